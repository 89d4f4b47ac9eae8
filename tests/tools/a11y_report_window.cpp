// The accessibility test's window: one report of the shipped data stores in
// the program's own report viewer, shown until it is closed, for a screen
// reader's view from outside the process (tests/system/a11y). Usage:
//   a11y_report_window TYPE LANG FOLDER
// TYPE rat, bal, com or tre; LANG E or F; FOLDER an empty folder that
// receives a copy of the built application folder's stores and templates.
// Prints READY once the viewer is shown.

#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "reports/ui/frmReportViewer.h"
#include "support/AppFixture.h"
#include "support/SampleReports.h"
#include "ui/Navigator.h"
#include "ui/QtServices.h"

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
    auto prepared = test::PrepareSampleReport(argv[1], argv[2]);
    if (!prepared) {
        std::cout << "NO REPORT" << std::endl;
        return 1;
    }
    QTimer::singleShot(0, [] { std::cout << "READY" << std::endl; });
    frmReportViewer::ShowPrepared(*prepared);
    return 0;
}
