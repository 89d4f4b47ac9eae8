// File > Import from books… on the values screen, with the keyboard and the
// mouse: the preview shows the GnuCash book's statement and that it
// balances; leaving an account out (F2 in its line item, Home, Enter)
// changes the statement at once and says by how much it no longer
// balances; putting it back and clicking Import fills the values screen.

#include "support/ui/ScreensFixture.h"

#include "support/OtherPrograms.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/ImportFlow.h"
#include "enterprise/ui/frmBooksPreview.h"
#include "enterprise/ui/frmMyValues.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

using namespace zorva;
using namespace zorva::test;

namespace {
class BooksScreen : public AppFixture {
protected:
    void TearDown() override {
        frmBooksPreview::FileChooser() = nullptr;
        DestroyAllScreens();
        AppFixture::TearDown();
    }
};

// The row of an account in the preview's table.
int rowOf(QTableView* view, const QString& account) {
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 1).data().toString() == account) return r;
    return -1;
}

// The list of line items that F2 opened in the table (the one shown: a
// closed one waits hidden to be deleted).
QComboBox* openEditor(QTableView* view) {
    for (auto* box : view->findChildren<QComboBox*>())
        if (box->isVisible()) return box;
    return nullptr;
}

// The value the statement shows for a line item's caption.
QString statementValue(QTableWidget* t, const QString& caption) {
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text() == caption) return t->item(r, 1)->text();
    return {};
}
} // namespace

TEST_F(BooksScreen, ThePreviewRecomputesAtOnceAndImportFillsTheScreen) {
    gintLanguage = 1;
    auto& screen = frmMyValues::instance();
    ShowAndActivate(screen);
    const std::string book = TestBook("northwind-xml.gnucash");
    frmBooksPreview::FileChooser() = [&](QWidget*) { return book; };
    const QString petty = "Assets:Current Assets:Petty Cash";
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* d = screen.findChild<frmBooksPreview*>();
        if (!d) return ADD_FAILURE() << "no preview";
        seen = true;
        auto* accounts = Child<QTableView>(d, "tblAccounts");
        auto* statement = Child<QTableWidget>(d, "tblStatement");
        auto* balance = Child<QLabel>(d, "lblBalance");
        const QString totalAssets = QString::fromStdString(Txt(168, 1));
        EXPECT_EQ(statementValue(statement, totalAssets).toStdString(), "97\u00a0550,00");
        EXPECT_TRUE(balance->text().startsWith("Équilibré")) << balance->text().toStdString();

        const int row = rowOf(accounts, petty);
        if (row < 0) {
            d->reject();
            return ADD_FAILURE() << "no Petty Cash";
        }
        accounts->setFocus();
        accounts->setCurrentIndex(accounts->model()->index(row, 3));
        QTest::keyClick(accounts, Qt::Key_F2);
        auto* list = openEditor(accounts);
        if (!list) {
            d->reject();
            return ADD_FAILURE() << "no list of line items";
        }
        EXPECT_EQ(list->accessibleName(), "Poste du compte " + petty);
        QTest::keyClick(list, Qt::Key_Home);  // (exclu)
        QTest::keyClick(list, Qt::Key_Return);
        QCoreApplication::processEvents();    // the list commits its choice once the key is handled
        EXPECT_EQ(statementValue(statement, totalAssets).toStdString(), "97\u00a0250,00");
        EXPECT_NE(balance->text().indexOf("écart de 300,00"), -1) << balance->text().toStdString();
        EXPECT_NE(Child<QLabel>(d, "lblLeftOut")->text().indexOf(petty), -1);

        QTest::keyClick(accounts, Qt::Key_F2);
        list = openEditor(accounts);
        if (!list) {
            d->reject();
            return ADD_FAILURE() << "no list of line items the second time";
        }
        QTest::keyClick(list, Qt::Key_Down);  // Encaisse et dépôts
        QTest::keyClick(list, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_TRUE(balance->text().startsWith("Équilibré")) << balance->text().toStdString();
        QTest::mouseClick(Child<QPushButton>(d, "btnImport"), Qt::LeftButton);
    });
    Press(&screen, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(fakes.messages->empty()) << fakes.messages->last().text;
    EXPECT_EQ(Child<QLineEdit>(&screen, "txtCash")->text().toStdString(), "17750");
    EXPECT_EQ(Child<QLineEdit>(&screen, "txtTa")->text().toStdString(), "97550");
    EXPECT_EQ(Child<QLineEdit>(&screen, "txtRetEarn")->text().toStdString(), "18950");
    EXPECT_EQ(Child<QLineEdit>(&screen, "txtFirmName")->text().toStdString(), "northwind-xml");
    EXPECT_TRUE(screen.DataChanged());
}
