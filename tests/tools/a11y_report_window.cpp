// The accessibility test's window: one report of the shipped data stores in
// the program's own report viewer, shown until it is closed, for a screen
// reader's view from outside the process (tests/system/a11y). Usage:
//   a11y_report_window TYPE LANG FOLDER
// TYPE rat, bal, com or tre; LANG E or F; FOLDER an empty folder that
// receives a copy of the built application folder's stores and templates.
// Prints READY once the viewer is shown. TYPE "search" shows the search
// screen instead (first data set of the main menu), searching by NAICS code,
// its list of codes focused.

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "reports/ui/frmReportViewer.h"
#include "selection/ui/frmMenu.h"
#include "selection/ui/frmSearch.h"
#include "support/AppFixture.h"
#include "support/SampleReports.h"
#include "ui/Navigator.h"
#include "ui/QtServices.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>
#include <iostream>

using namespace zorva;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: a11y_report_window TYPE LANG FOLDER\n";
        return 2;
    }
    ZorvaApplication app(argc, argv);
    InstallQtServices();
    InstallScreenNavigator();
    namespace fs = std::filesystem;
    for (const auto& e : fs::directory_iterator(test::BuiltAppDir())) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".mdb" || ext == ".rpt"))
            fs::copy_file(e.path(), fs::path(argv[3]) / e.path().filename(), fs::copy_options::overwrite_existing);
    }
    SetAppPath(argv[3]);
    OpenDataStores();
    gintLanguage = argv[2][0] == 'F' ? 1 : 0;
    if (std::string(argv[1]) == "search") {
        auto& menu = frmMenu::instance();
        menu.show();
        menu.findChild<QRadioButton*>("optVol1")->setChecked(true);
        menu.findChild<QPushButton*>("cmdSearch")->click();
        // No window manager gives the search screen the keyboard once the
        // main menu is hidden: it takes it, when shown.
        auto* wait = new QTimer(&app);
        QObject::connect(wait, &QTimer::timeout, [wait] {
            auto& search = frmSearch::instance();
            if (!search.isVisible()) return;
            search.activateWindow();
            if (!search.isActiveWindow()) return;
            wait->stop();
            // Search by NAICS code: the list of codes, focused.
            search.findChild<QAbstractButton*>("optNAICScode")->click();
            search.findChild<QComboBox*>("cboNAICScodes")->setFocus();
            std::cout << "READY" << std::endl;
        });
        wait->start(200);
        return app.exec();
    }
    auto prepared = test::PrepareSampleReport(argv[1], argv[2]);
    if (!prepared) {
        std::cout << "NO REPORT" << std::endl;
        return 1;
    }
    QTimer::singleShot(0, [] {
        // No window manager gives the window the keyboard: it takes it.
        if (QWidget* viewer = QApplication::activeModalWidget()) viewer->activateWindow();
        std::cout << "READY" << std::endl;
    });
    frmReportViewer::ShowPrepared(*prepared);
    return 0;
}
