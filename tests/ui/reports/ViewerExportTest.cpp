// The report viewer's Export menu, used with the keyboard: each file type is
// written where the user chose, its extension added.

#include "support/AppFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/frmReportViewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

using namespace zorva;
using namespace zorva::test;

namespace {
class ViewerExport : public AppFixture {};
}

TEST_F(ViewerExport, TheExportMenuWritesEachFileTypeChosenWithTheKeyboard) {
    const DatasetChoice& c = *FindChoice("optVol3");
    subSetDataTable(c.option);
    auto first = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    auto prepared = report::PrepareReport(gcnIndustry, gcnUser, "rat", c.volume, c.region, 2010,
                                          first->Fields(0).toString(), "F", {});
    ASSERT_TRUE(prepared.has_value());
    gintLanguage = 1;
    const std::string dir = MakeTempDir("zorva-viewer-export");
    std::string asked;
    frmReportViewer::ExportPathChooser() = [&](QWidget*, const std::string& filter) {
        asked = filter;
        return dir + "/rapport";
    };
    frmReportViewer viewer;
    viewer.SetReport(prepared->rendered);
    viewer.show();
    auto* button = viewer.findChild<QAbstractButton*>("btnExport");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().remove('&').toStdString(), "Exporter");
    EXPECT_EQ(button->accessibleName().toStdString(), "Exporter");
    struct Case {
        const char* action;
        const char* filter;
        const char* file;
    };
    for (const Case& k : {Case{"mnuExportCsv", "Fichiers CSV (*.csv)", "rapport.csv"},
                          Case{"mnuExportXlsx", "Classeurs Excel (*.xlsx)", "rapport.xlsx"}}) {
        bool chosen = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menu->setActiveAction(menu->findChild<QAction*>(k.action));
            QTest::keyClick(menu, Qt::Key_Return);
            chosen = true;
        });
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QTRY_VERIFY(chosen);
        QTRY_VERIFY(std::filesystem::exists(dir + "/" + k.file));
        EXPECT_EQ(asked, k.filter);
        EXPECT_GT(std::filesystem::file_size(dir + "/" + k.file), 500u) << k.file;
    }
    frmReportViewer::ExportPathChooser() = nullptr;
}
