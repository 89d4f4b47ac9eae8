// File > Import… on the values screen, with the keyboard: the preview shows
// each line item with the value read and its cell and lists the unknown
// lines; Escape leaves the boxes as they were, Enter imports.

#include "support/ui/ScreensFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "enterprise/ui/frmImportPreview.h"
#include "enterprise/ui/frmMyValues.h"
#include "selection/ui/frmSearch.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTimer>

#include <fstream>

using namespace zorva;
using namespace zorva::test;

namespace {
class ImportScreen : public AppFixture {
protected:
    void TearDown() override {
        frmImportPreview::FileChooser() = nullptr;
        DestroyAllScreens();
        AppFixture::TearDown();
    }
};
} // namespace

TEST_F(ImportScreen, CtrlLShowsThePreviewAndOnlyImportFillsTheBoxes) {
    ASSERT_TRUE(subSetDataTable("optVol3"));
    auto rs = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
    frmSearch::instance().ChooseCode(rs->Fields(0).toString());
    gintLanguage = 1;
    auto& screen = frmMyValues::instance();
    ShowAndActivate(screen);
    const std::string path = MakeTempDir("zorva-import-screen") + "/etat.csv";
    std::ofstream(path) << "Poste,Montant\nEncaisse et dépôts :,\"1 234,50\"\nAchalandage,7\nCOMPTES CREDITEURS,500\n";
    frmImportPreview::FileChooser() = [&](QWidget*) { return path; };

    struct Case {
        Qt::Key key;
        const char* cash;
        const char* total;
    };
    for (const Case& c : {Case{Qt::Key_Escape, "0", "0"}, Case{Qt::Key_Return, "1234.5", "1234.5"}}) {
        bool seen = false;
        screen.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
        QTimer::singleShot(0, [&] {
            auto* d = screen.findChild<frmImportPreview*>();
            if (!d) return ADD_FAILURE() << "no preview";
            seen = true;
            auto* lines = Child<QTableWidget>(d, "tblLines");
            auto* unknown = Child<QListWidget>(d, "lstUnknown");
            EXPECT_EQ(lines->rowCount(), 2);
            EXPECT_EQ(unknown->count(), 1);
            if (lines->rowCount() == 2 && unknown->count() == 1) {
                EXPECT_EQ(lines->item(0, 0)->text().toStdString(), "Encaisse et dépôts");
                EXPECT_EQ(lines->item(0, 1)->text().toStdString(), "1 234,50");
                EXPECT_EQ(lines->item(0, 2)->text().toStdString(), "B2");
                EXPECT_EQ(lines->item(0, 3)->text().toStdString(), "1234.5");
                EXPECT_EQ(unknown->item(0)->text().toStdString(), "A3  Achalandage");
            }
            QWidget* target = d->focusWidget() ? d->focusWidget() : d;
            QTest::keyClick(target, c.key);
            if (d->isVisible()) {
                ADD_FAILURE() << "the key did not close the preview";
                d->reject();
            }
        });
        Press(&screen, Qt::Key_L, Qt::ControlModifier);
        EXPECT_TRUE(seen);
        EXPECT_EQ(Child<QLineEdit>(&screen, "txtCash")->text().toStdString(), c.cash);
        EXPECT_EQ(Child<QLineEdit>(&screen, "txtTa")->text().toStdString(), c.total);
    }
    EXPECT_EQ(Child<QLineEdit>(&screen, "txtAccountsPayable")->text().toStdString(), "500");
}
