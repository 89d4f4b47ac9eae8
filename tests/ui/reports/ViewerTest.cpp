// Showing a report: the report types, the preparation inside one transaction,
// and the viewer screen with its buttons.

#include "support/ReportFolder.h"

#include "core/Globals.h"
#include "reports/render/ReportSample.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/frmReportViewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTextDocument>
#include <QTimer>

#include <filesystem>

#include <sqlite3.h>

namespace zorva::test {
namespace {

using namespace zorva::report;

TEST(ReportTypes, FirstThreeLettersInAnyCase) {
    EXPECT_EQ(ReportTypeOf("RATIOS").type, ReportType::Ratios);
    EXPECT_EQ(ReportTypeOf("bal").type, ReportType::BalanceSheet);
    EXPECT_EQ(ReportTypeOf("Comparison").type, ReportType::Comparison);
    EXPECT_EQ(ReportTypeOf("co").type, ReportType::Invalid);
    EXPECT_EQ(ReportTypeOf("").type, ReportType::Invalid);
    EXPECT_EQ(ReportCaption(ReportTypeOf("rat"), "E"), "ZORVA Ratios Report");
    EXPECT_EQ(ReportCaption(ReportTypeOf("bal"), "f"), "VELMO Rapport de bilan");  // lower-case f is French here
    EXPECT_EQ(ReportCaption(ReportTypeOf("com"), "F"), "VELMO Rapport de comparaison");
}

TEST(ReportViewerResize, KeepsTheReturnButtonOnTheViewsRightEdge) {
    auto g = ViewerResize(10000, 8000, 105, 735);
    EXPECT_EQ(g.viewerWidth, 9800);
    EXPECT_EQ(g.viewerHeight, 6800);
    EXPECT_EQ(g.backLeft, 9800 + 105 - 735);
    auto tiny = ViewerResize(100, 1000, 105, 735);  // never a negative size
    EXPECT_EQ(tiny.viewerWidth, 0);
    EXPECT_EQ(tiny.viewerHeight, 0);
}

class Viewer : public ReportFolder {
protected:
    void SetUp() override {
        ReportFolder::SetUp();
        // The preparation: the sample rows, written inside the caller's transaction.
        auto fill = [this](ConnectionHandle&, ConnectionHandle& w, const std::string& type, std::int16_t,
                           const std::string&, std::int16_t, const std::string&, const std::string& lang,
                           const std::vector<std::string>& values) {
            insideTransaction = sqlite3_get_autocommit(w->handle()) == 0;
            ++prepared;
            FillSampleReport(w, type.substr(0, 3), lang, values.empty() ? "Sample" : values[0]);
            return ready;
        };
        ReportPreparations() = {fill, fill, fill, {}};
    }
    bool ready = true;
    bool insideTransaction = false;
    int prepared = 0;
};

TEST_F(Viewer, UnknownTypeGivesTheMessageAndPreparesNothing) {
    EXPECT_FALSE(PrepareReport(industry, user, "xyz", 3, "NS", 2010, "445110", "E", {}));
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Invalid Report Type: xyz");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OK);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::None);
    EXPECT_EQ(prepared, 0);
}

TEST_F(Viewer, PreparesInOneTransactionAndRendersTheTemplate) {
    auto p = PrepareReport(industry, user, "COM", 3, "NS", 2010, "445110", "F", {"Chez Ginette"});
    ASSERT_TRUE(p);
    EXPECT_TRUE(insideTransaction);
    EXPECT_EQ(p->caption, "VELMO Rapport de comparaison");
    EXPECT_TRUE(p->rendered.errors.empty());
    EXPECT_NE(p->rendered.html.find("Chez Ginette"), std::string::npos);
    // Committed: another connection sees the prepared row.
    ConnectionHandle other;
    ConnectToFile(other, dir + "/myData.mdb", dir);
    EXPECT_EQ(GetRS(other, "select MyFirmName from Rpt_Comparison", "read")->Fields(0).toString(), "Chez Ginette");
}

TEST_F(Viewer, PreparationWithoutDataShowsNothing) {
    ready = false;
    EXPECT_FALSE(PrepareReport(industry, user, "com", 3, "NS", 2008, "445110", "E", {"X"}));
    EXPECT_EQ(prepared, 1);
}

TEST_F(Viewer, TheNoDataMessageWaitsUntilTheWriteLockIsReleased) {
    ready = false;
    ReportPreparations().comparison = [this](ConnectionHandle&, ConnectionHandle& w, const std::string&,
                                             std::int16_t, const std::string&, std::int16_t, const std::string&,
                                             const std::string&, const std::vector<std::string>&) {
        ExecCmdInDB(w, "delete * from Rpt_Comparison");
        MsgBox("This industry has no data for 2008");
        return false;
    };
    bool lockHeldWhileShown = true;
    fakes.messages->onShow = [&](const ShownMessage&) {
        // A second copy of the program can write while the message is up.
        ConnectionHandle other;
        ConnectToFile(other, dir + "/myData.mdb", dir);
        sqlite3_busy_timeout(other->handle(), 0);
        try {
            ExecCmdInDB(other, "BEGIN IMMEDIATE; ROLLBACK");
            lockHeldWhileShown = false;
        } catch (const DbError&) {
        }
    };
    EXPECT_FALSE(PrepareReport(industry, user, "com", 3, "NS", 2008, "445110", "E", {"X"}));
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "This industry has no data for 2008");
    EXPECT_FALSE(lockHeldWhileShown);
}

TEST_F(Viewer, ScreenShowsTheReportAndReturns) {
    bool returned = false;
    frmReportViewer::AfterReturn() = [&] { returned = true; };
    std::string pdf = dir + "/saved";
    frmReportViewer::PdfPathChooser() = [&](QWidget*) { return pdf; };
    fakes.printer->present = false;
    gintLanguage = 1;

    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        checked = true;
        EXPECT_EQ(w->windowTitle().toStdString(), "ZORVA Ratios Report");
        auto* view = w->findChild<QWidget*>("CRViewer1");
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->accessibleName().toStdString(), "Rapport");
        ASSERT_NE(w->Document(), nullptr);
        EXPECT_GE(w->Document()->pageCount(), 1);
        EXPECT_NE(w->Document()->toPlainText().indexOf("Net profit margin"), -1);
        auto* back = w->findChild<QAbstractButton*>("btnBack");
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->toolTip().toStdString(), "Retourner");
        EXPECT_EQ(back->accessibleName().toStdString(), "Retourner");
        // Print without a printer: the program's message.
        w->findChild<QAbstractButton*>("btnPrint")->click();
        EXPECT_EQ(fakes.messages->last().text, "Aucune imprimante n'est connectée à votre ordinateur.");
        // Save as PDF: the ".pdf" is added.
        w->findChild<QAbstractButton*>("btnPdf")->click();
        EXPECT_TRUE(std::filesystem::exists(pdf + ".pdf"));
        // The resize rule.
        w->resize(10000 / kTwipsPerPixel, 8000 / kTwipsPerPixel);
        EXPECT_EQ(view->width(), (10000 / kTwipsPerPixel * kTwipsPerPixel - 200) / kTwipsPerPixel);
        EXPECT_EQ(back->x() + back->width(), view->x() + view->width());
        back->click();
    });
    PrepareAndShowReport(industry, user, "ratios", 3, "NS", 2010, "445110", "E", {});
    EXPECT_TRUE(checked);
    EXPECT_TRUE(returned);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the hourglass is gone
    frmReportViewer::AfterReturn() = nullptr;
}

} // namespace
} // namespace zorva::test
