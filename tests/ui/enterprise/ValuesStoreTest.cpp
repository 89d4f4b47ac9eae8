// The values screen's record and the open-existing list: the placeholder name,
// the sorted list and opening from it, commands that finish the box being
// typed, the save question when the screen is left. The flows themselves
// (replace, year, delete, nothing stored) are tested on a plain record in
// tests/enterprise/ValuesFlowTest.cpp.

#include "support/ui/ValuesFixture.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/RecordStore.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "selection/ui/frmMenu.h"
#include <QComboBox>
#include <QLabel>
#include <QMenu>

#include <QHeaderView>
#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QTableWidget>

using namespace zorva;
using namespace zorva::test;

namespace {

RecordTexts recordOf(const std::string& name, const std::string& cash) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = name;
    r[Field::Year] = "2010";
    r[Field::Cash] = cash;
    subCalculateSubTotals(r);
    return r;
}

TEST_F(ValuesTest, TheNamePlaceholderIsNoNameInEitherLanguage) {
    for (int language : {0, 1}) {
        Child<QMenu>(&screen(), "mnuLanguage")->actions()[language]->trigger();
        EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text().toStdString(), Txt(544, language)) << "placeholder follows";
        EXPECT_FALSE(screen().subSave_Firm_Record(false));
        EXPECT_EQ(fakes.messages->last().text, Txt(554, language));
        Child<QLineEdit>(&screen(), "txtFirmName")->setText("   ");
        EXPECT_FALSE(screen().subSave_Firm_Record(false));
        // The other language's placeholder is a name like any other.
        Child<QLineEdit>(&screen(), "txtFirmName")->setText(QString::fromStdString(Txt(544, 1 - language)));
        EXPECT_TRUE(screen().subSave_Firm_Record(true));
        Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
        Child<QMenu>(&screen(), "mnuLanguage")->actions()[1 - language]->trigger();
        EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text(), "Acme") << "a typed name stays";
        screen().subInitializeValues();
    }
    EXPECT_EQ(storedRows(), 2);
}

TEST_F(ValuesTest, TheListIsSortedByNameAndOpensTheChosenRecord) {
    for (const auto& [name, year, cash] : {std::tuple{"Zeta", 2010, "1"}, {"alpha", 2010, "2"}, {"alpha", 2008, "3"},
                                           {"Beta", 2009, "4"}}) {
        RecordTexts r = recordOf(name, cash);
        store::SaveRecord(gcnUser, r, static_cast<std::int16_t>(year));
    }
    const struct { int language; const char* name; const char* year; } headings[] = {
        {0, "FirmName", "Year"}, {1, "Nom", "Année"}};
    for (const auto& h : headings) {
        gintLanguage = static_cast<std::int16_t>(h.language);
        frmOpenExisting& list = frmOpenExisting::instance();
        ASSERT_TRUE(list.fncLoadFirms());
        QTableWidget* grid = Child<QTableWidget>(&list, "dbgFirms");
        EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QString::fromUtf8(h.name));
        EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), QString::fromUtf8(h.year));
        QStringList rows;
        for (int i = 0; i < grid->rowCount(); ++i) rows << grid->item(i, 0)->text() + " " + grid->item(i, 1)->text();
        EXPECT_EQ(rows, QStringList({"alpha 2008", "alpha 2010", "Beta 2009", "Zeta 2010"}));
        list.close();
        Settle();
    }
    gintLanguage = 0;

    // Open existing from the toolbar, then a double click on the second row.
    Child<QAction>(&screen(), "tbOpen")->trigger();
    Settle();
    QPointer<frmOpenExisting> list = ExistingScreen<frmOpenExisting>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    QTableWidget* grid = Child<QTableWidget>(list.data(), "dbgFirms");
    EXPECT_TRUE(QTest::qWaitForWindowExposed(list.data()));
    Settle();
    const QRect cell = grid->visualRect(grid->model()->index(1, 0));
    // A double click as the platform delivers it.
    QWidget* viewport = grid->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, cell.center());
    QMouseEvent dbl(QEvent::MouseButtonDblClick, cell.center(), viewport->mapToGlobal(cell.center()), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dbl);
    Settle();
    EXPECT_TRUE(!list || !list->isVisible());
    EXPECT_TRUE(screen().isVisible());
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text(), "alpha");
    EXPECT_EQ(Child<QComboBox>(&screen(), "cboYear")->currentText(), "2010");
    EXPECT_EQ(box(Field::Cash)->text(), "2");
    EXPECT_EQ(box(Field::Ta)->text(), "2");
    EXPECT_EQ(Child<QLabel>(&screen(), "lblNAICS")->text().toStdString(), naics) << "the industry chosen now";
    EXPECT_FALSE(screen().DataChanged());
}

// Older versions stored any numeric year: such a row opens from the list with
// its values, and a message says the year must be changed before comparing.
TEST_F(ValuesTest, AStoredRowOfAYearNotComparedOpensWithItsValuesAndAMessage) {
    ExecCmdInDB(gcnUser, "insert into MyValues (FirmName, [Year], Cash, Ta, TotLiabShareEq) values (?, ?, ?, ?, ?)",
                {Variant("Old firm"), Variant(std::int64_t{2007}), Variant(1234.0), Variant(1234.0), Variant(1234.0)});
    for (int language : {0, 1}) {
        gintLanguage = static_cast<std::int16_t>(language);
        screen().subInitializeValues();
        frmOpenExisting& list = frmOpenExisting::instance();
        ASSERT_TRUE(list.fncLoadFirms());
        QTableWidget* grid = Child<QTableWidget>(&list, "dbgFirms");
        ASSERT_EQ(grid->rowCount(), 1);
        grid->setCurrentCell(0, 0);
        list.subOpenRecord();  // what Open and a double click on the row do
        Settle();
        EXPECT_TRUE(screen().isVisible());
        EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text(), "Old firm");
        EXPECT_EQ(Child<QComboBox>(&screen(), "cboYear")->currentText(), "2007");
        EXPECT_EQ(box(Field::Cash)->text().remove(QRegularExpression("[^0-9]")), "1234");
        ASSERT_FALSE(fakes.messages->shown.empty());
        EXPECT_EQ(fakes.messages->last().text, StoredYearMessage(2007, language));
        EXPECT_NE(fakes.messages->last().text.find("2007"), std::string::npos);
    }
    gintLanguage = 0;
}

TEST_F(ValuesTest, ToolbarAndMenuCommandsFinishTheBoxBeingTyped) {
    Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
    const struct { const char* typed; double stored; } cases[] = {{"-", 0}, {"12", 12}, {"-.25", -0.25}};
    for (const auto& c : cases) {
        focus(box(Field::Cash));
        box(Field::Cash)->selectAll();
        type(c.typed);
        ASSERT_EQ(QApplication::focusWidget(), box(Field::Cash));
        key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(stored("Cash", "FirmName = 'Acme'"), c.stored) << c.typed;
        EXPECT_EQ(stored("Toa", "FirmName = 'Acme'"), c.stored) << c.typed;
    }
    box(Field::Ar)->setText("12abc");
    Child<QAction>(&screen(), "tbSave")->trigger();
    EXPECT_EQ(stored("Ar", "FirmName = 'Acme'"), 12);
}

TEST_F(ValuesTest, LeavingWithUnsavedChangesAsksToSaveThem) {
    // Editing the name alone is a change.
    Child<QLineEdit>(&screen(), "txtFirmName")->selectAll();
    focus(Child<QLineEdit>(&screen(), "txtFirmName"));
    type("Acme");
    EXPECT_TRUE(screen().DataChanged());

    // Return to Main Menu: Cancel stays, with the record as it was; No leaves.
    enter(Field::Cash, "8");
    fakes.messages->answer(MsgAnswer::Cancel);
    Child<QAction>(&screen(), "mnuReturn")->trigger();
    Settle();
    EXPECT_EQ(fakes.messages->last().text, store::SaveChangesQuestion("Acme", 0));
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(screen().isVisible());
    EXPECT_EQ(box(Field::Cash)->text(), "8");
    EXPECT_TRUE(screen().DataChanged());
    fakes.messages->answer(MsgAnswer::No);
    Child<QAction>(&screen(), "mnuReturn")->trigger();
    Settle();
    EXPECT_FALSE(screen().isVisible());
    EXPECT_TRUE(frmMenu::instance().isVisible());
    EXPECT_EQ(storedRows(), 0);

    // Closing the program: the save question, then the exit question.
    ShowAndActivate(screen());
    EXPECT_EQ(box(Field::Cash)->text(), "0") << "shown afresh: a new record";
    Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
    enter(Field::Cash, "9");
    fakes.messages->answer(MsgAnswer::No);
    fakes.messages->answer(MsgAnswer::No);
    screen().close();
    Settle();
    ASSERT_GE(fakes.messages->shown.size(), 2u);
    EXPECT_EQ(fakes.messages->shown.end()[-2].text, store::SaveChangesQuestion("Acme", 0));
    EXPECT_EQ(fakes.messages->last().text, Txt(478));
    EXPECT_TRUE(screen().isVisible());
}

// Leaving the screen (New, Open, Return, Exit) answered Yes to the save
// question while the save is refused (no name, a year that is not a reference
// year): after the refusal's message the screen stays, with the statement as
// typed, still unsaved, and nothing else is asked or shown.
TEST_F(ValuesTest, LeavingWithASaveThatIsRefusedKeepsTheScreenAndTheStatement) {
    const struct {
        const char* name;
        const char* year;
        std::string refusal;
    } refusals[] = {
        {"", "2010", Txt(store::kMsgInvalidName)},
        {"Acme", "2007", ComparisonCheckMessage(ComparisonCheck::YearOutOfRange, 0)},
    };
    for (const char* leaving : {"mnuNew", "mnuOpen", "mnuReturn", "mnuExit"}) {
        for (const auto& r : refusals) {
            SCOPED_TRACE(std::string(leaving) + " " + r.refusal);
            Child<QLineEdit>(&screen(), "txtFirmName")->setText(r.name);
            Child<QComboBox>(&screen(), "cboYear")->setEditText(r.year);
            enter(Field::Cash, "8");
            ASSERT_TRUE(screen().DataChanged());
            fakes.messages->shown.clear();
            fakes.messages->answer(MsgAnswer::Yes);
            Child<QAction>(&screen(), leaving)->trigger();
            Settle();
            ASSERT_EQ(fakes.messages->shown.size(), 2u) << fakes.messages->last().text;
            EXPECT_EQ(fakes.messages->shown[0].buttons, MsgButtons::YesNoCancel);
            EXPECT_EQ(fakes.messages->shown[1].text, r.refusal);
            EXPECT_TRUE(screen().isVisible());
            EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text(), r.name);
            EXPECT_EQ(Child<QComboBox>(&screen(), "cboYear")->currentText(), r.year);
            EXPECT_EQ(box(Field::Cash)->text(), "8");
            EXPECT_EQ(box(Field::Toa)->text(), "8");
            EXPECT_TRUE(screen().DataChanged());
            EXPECT_EQ(storedRows(), 0);
        }
    }
}

// Ctrl+X cuts the selected text of a box, as everywhere; Exit is Ctrl+Q.
TEST_F(ValuesTest, CtrlXCutsAndCtrlQExits) {
    enter(Field::Cash, "125");
    focus(box(Field::Cash));
    box(Field::Cash)->selectAll();
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(box(Field::Cash)->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "125");
    EXPECT_TRUE(fakes.messages->empty()) << "no exit question for a cut";
    fakes.messages->answer(MsgAnswer::No);  // the save question
    fakes.messages->answer(MsgAnswer::No);  // the exit question
    key(Qt::Key_Q, Qt::ControlModifier);
    ASSERT_FALSE(fakes.messages->empty());
    EXPECT_EQ(fakes.messages->last().text, Txt(478));
    EXPECT_TRUE(screen().isVisible());
}

} // namespace
