// The values screen as a whole: opening afresh, definitions, the comparison
// report and its checks, the keyboard road from typing to the report, both
// languages, and a desktop whose decimal mark is a comma.

#include "support/ui/ValuesFixture.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/LineItemDefinitions.h"
#include "enterprise/RecordStore.h"
#include "selection/ui/frmMenu.h"
#include "selection/IndustryDefinition.h"
#include "selection/IndustrySearch.h"
#include "selection/ui/frmIndustryDefinitions.h"
#include "selection/ui/frmSearch.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "reports/ui/frmReportViewer.h"
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

using namespace zorva;
using namespace zorva::test;

namespace {

// Runs trigger; when the report viewer comes up, records its title and closes it.
QString reportShownBy(const std::function<void()>& trigger) {
    QString title;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget())) {
            title = viewer->windowTitle();
            viewer->reject();
        }
    });
    poll.start(20);
    trigger();
    Settle();
    return title;
}

TEST_F(ValuesTest, OpensAfreshWithTheIndustryAndAnEmptyRecord) {
    EXPECT_EQ(Child<QComboBox>(&screen(), "cboYear")->currentText(), "2010");
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text().toStdString(), Txt(544));
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->selectedText(), Child<QLineEdit>(&screen(), "txtFirmName")->text());
    for (Field f : ValueFields()) EXPECT_EQ(box(f)->text(), "0") << ControlName(f);
    EXPECT_FALSE(screen().DataChanged());
    EXPECT_EQ(Child<QLabel>(&screen(), "lblNAICS")->text().toStdString(), naics);
    EXPECT_TRUE(ClippedWidgets(&screen()).empty());
    Child<QAction>(&screen(), "mnuFrench")->trigger();
    Settle();
    EXPECT_EQ(Child<QLabel>(&screen(), "lblFirmName")->text().toStdString(), Txt(545 - 1, 1));
    EXPECT_EQ(Child<QAction>(&screen(), "tbCompare")->toolTip().toStdString(), Txt(948, 1));
    // The hidden main menu follows the switch.
    EXPECT_EQ(Child<QPushButton>(&frmMenu::instance(), "cmdSearch")->text().toStdString(), Txt(504, 1));
    const auto clipped = ClippedWidgets(&screen());
    EXPECT_TRUE(clipped.empty()) << (clipped.empty() ? "" : clipped.front());

}

// Windows that come up over the screen (about, the list of stored records)
// never cost what is typed, however often the user goes back and forth.
TEST_F(ValuesTest, WindowsOverTheScreenKeepTheRecord) {
    enter(Field::Cash, "5");
    WhileModal([&] { Child<QAction>(&screen(), "mnuAbout")->trigger(); }, [](ScreenBase& about) { about.close(); });
    EXPECT_EQ(box(Field::Cash)->text(), "5");
    EXPECT_TRUE(screen().DataChanged()) << "still unsaved";

    store::SaveRecord(gcnUser, RecordTexts(screen().fncRecordFromControls()), 2010);
    fakes.messages->answer(MsgAnswer::No);  // keep the changes unsaved for now
    Child<QAction>(&screen(), "tbOpen")->trigger();
    Settle();
    QPointer<frmOpenExisting> list = ExistingScreen<frmOpenExisting>();
    ASSERT_TRUE(list && list->isVisible());
    for (int i = 0; i < 2; ++i) {
        int before = screen().ActivationCount();
        screen().activateWindow();
        ASSERT_TRUE(WaitForActivation(screen(), before));
        before = list->ActivationCount();
        list->activateWindow();
        ASSERT_TRUE(WaitForActivation(*list, before));
    }
    EXPECT_EQ(box(Field::Cash)->text(), "5");
    EXPECT_TRUE(screen().DataChanged());
}

TEST_F(ValuesTest, ALabelShowsItsDefinitionByMouseKeyboardOrAssistiveTechnology) {
    QPushButton* label = screen().ValueLabel(Field::Equity1);
    Click(label);
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().title, "TOTAL SHAREHOLDERS' EQUITY DEFINITION");
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::Information);

    // Shift+F1 in a box shows its label's definition: paragraphs apart by
    // one empty line, sub-items indented.
    focus(box(Field::AccountsPayable));
    key(Qt::Key_F1, Qt::ShiftModifier);
    const std::string body = fakes.messages->last().text;
    EXPECT_EQ(fakes.messages->last().title, "ACCOUNTS PAYABLE DEFINITION");
    size_t emptyLines = 0;
    for (size_t p = body.find("\n\n"); p != std::string::npos; p = body.find("\n\n", p + 2)) ++emptyLines;
    EXPECT_EQ(emptyLines, 6u);
    EXPECT_NE(body.find("\n\n     ii) holdbacks payable"), std::string::npos);

    Child<QAction>(&screen(), "mnuFrench")->trigger();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fakes.messages->shown.size() == 3; }, 1000));  // a press is animated
    EXPECT_EQ(fakes.messages->last().title, "DÉFINITION DU POSTE « TOTAL, CAPITAUX PROPRES »");
}

// A comparison saves nothing: a statement typed and compared is still
// offered for saving when the user starts a new one.
TEST_F(ValuesTest, AComparedStatementIsStillOfferedForSaving) {
    if (!industryChosen()) GTEST_SKIP() << "the search screen cannot choose an industry yet";
    Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
    enter(Field::Cash, "100");
    enter(Field::ShareC, "100");
    const QString title = reportShownBy([&] { Child<QAction>(&screen(), "mnuReport")->trigger(); });
    EXPECT_FALSE(title.isEmpty()) << "no report came up";
    EXPECT_TRUE(screen().isVisible());
    EXPECT_EQ(box(Field::Cash)->text(), "100");
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text(), "Acme");
    EXPECT_TRUE(screen().DataChanged());

    fakes.messages->answer(MsgAnswer::Yes);
    const size_t before = fakes.messages->shown.size();
    Child<QAction>(&screen(), "mnuNew")->trigger();
    ASSERT_EQ(fakes.messages->shown.size(), before + 2) << "the save question, then saved";
    EXPECT_EQ(fakes.messages->shown.end()[-2].text, store::SaveChangesQuestion("Acme", 0));
    EXPECT_EQ(storedRows("FirmName = 'Acme'"), 1) << "saved on Yes";
    EXPECT_EQ(box(Field::Cash)->text(), "0") << "then a new statement";
}

// A comparison refused by a check leaves nothing behind: the next "Enter new
// data" starts afresh, not with the old screen.
TEST_F(ValuesTest, ARefusedComparisonLeavesNoStaleScreen) {
    Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
    key(Qt::Key_S, Qt::ControlModifier);  // saved, so leaving asks nothing
    key(Qt::Key_I, Qt::ControlModifier);  // no amounts: refused
    EXPECT_EQ(fakes.messages->last().text, Txt(560));
    Child<QAction>(&screen(), "mnuReturn")->trigger();
    Settle();
    ASSERT_FALSE(screen().isVisible());

    frmSearch& search = frmSearch::instance();
    ShowAndActivate(search);
    if (search.ChosenNaics().empty()) search.ChooseCode(naics);
    Child<QAbstractButton>(&search, "optCompareNew")->setChecked(true);
    const int before = screen().ActivationCount();
    Click(Child<QAbstractButton>(&search, "cmdContinue"));
    ASSERT_TRUE(WaitForActivation(screen(), before));
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text().toStdString(), Txt(544));
    EXPECT_EQ(Child<QLabel>(&screen(), "lblNAICS")->text().toStdString(), search.ChosenNaics());
}

// From the search screen on, the keyboard alone: type a statement, save it,
// go back, open it again from the list and ask for its comparison.
TEST_F(ValuesTest, AStatementTypedSavedReopenedAndComparedFromTheKeyboard) {
    if (!industryChosen()) GTEST_SKIP() << "the search screen cannot choose an industry yet";
    frmSearch& search = frmSearch::instance();
    auto continueWith = [&](const char* option) {
        key(Qt::Key_B, Qt::ControlModifier);  // Return to Industry Selection
        ASSERT_TRUE(search.isVisible());
        if (search.ChosenNaics().empty()) search.ChooseCode(naics);
        Child<QAbstractButton>(&search, option)->setChecked(true);
        Click(Child<QAbstractButton>(&search, "cmdContinue"));
    };
    continueWith("optCompareNew");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen()));
    Settle();
    ASSERT_EQ(QApplication::focusWidget(), Child<QLineEdit>(&screen(), "txtFirmName"));
    type("Keyboard & Co");
    key(Qt::Key_Tab);
    type("2009");
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), box(Field::Cash));
    // Along the Enter chain, from cash to net profit.
    const char* amounts[] = {"100", "50", "", "", "", "", "",  // Cash ... Ptfl
                             "90", "", "", "", "", "", "", "",  // AccountsPayable ... DefTax
                             "60", "", "",                      // ShareC ... OtherSur
                             "150", "90",                       // current assets and liabilities
                             "500", "500", "", "40", "5", "30", "20"};
    for (const char* amount : amounts) {
        type(amount);
        key(Qt::Key_Return);
    }
    EXPECT_EQ(QApplication::focusWidget(), box(Field::AccountsPayable));
    EXPECT_EQ(box(Field::Ta)->text(), "150");
    EXPECT_EQ(box(Field::TotLiabShareEq)->text(), "150");
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(fakes.messages->last().text, Txt(962));

    continueWith("optCompareExisting");
    QPointer<frmOpenExisting> list = ExistingScreen<frmOpenExisting>();
    ASSERT_TRUE(list && list->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.data()));
    Press(list, Qt::Key_Return);
    EXPECT_TRUE(screen().isVisible());
    EXPECT_FALSE(search.isVisible());
    EXPECT_EQ(Child<QLineEdit>(&screen(), "txtFirmName")->text(), "Keyboard & Co");
    EXPECT_EQ(Child<QComboBox>(&screen(), "cboYear")->currentText(), "2009");
    EXPECT_EQ(box(Field::ProfitAfterTax)->text(), "20");
    EXPECT_FALSE(reportShownBy([&] { key(Qt::Key_I, Qt::ControlModifier); }).isEmpty());
}

// A language switch from the values screen reaches every other screen: the
// hidden search screen's key word results (found in English titles) are put
// away, its chosen industry and the open definition window are French.
TEST_F(ValuesTest, ALanguageSwitchLeavesNoScreenInTheOldLanguage) {
    if (!industryChosen()) GTEST_SKIP() << "the search screen cannot choose an industry yet";
    frmSearch& search = frmSearch::instance();
    ShowAndActivate(search);
    Child<QAbstractButton>(&search, "optKeyword")->setChecked(true);
    Child<QLineEdit>(&search, "txtKeyword")->setText("a");
    Click(Child<QAbstractButton>(&search, "cmdKeyword"));
    ASSERT_TRUE(Child<QWidget>(&search, "dbgridKeywordResults")->isVisibleTo(&search));
    search.ChooseCode(naics);
    ShowAndActivate(screen());
    key(Qt::Key_D, Qt::ControlModifier);  // the definition window, beside the screen
    auto* definition = ExistingScreen<frmIndustryDefinitions>();
    ASSERT_NE(definition, nullptr);

    Child<QAction>(&screen(), "mnuFrench")->trigger();
    Settle();
    EXPECT_FALSE(Child<QWidget>(&search, "dbgridKeywordResults")->isVisibleTo(&search));
    EXPECT_TRUE(Child<QLineEdit>(&search, "txtKeyword")->text().isEmpty());
    const auto french = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, 1);
    ASSERT_TRUE(french.has_value());
    EXPECT_EQ(Child<QPlainTextEdit>(&search, "txtIndName")->toPlainText().toStdString(), french->title);
    EXPECT_EQ(Child<QLabel>(&screen(), "lblIndustry")->text().toStdString(), french->title);
    EXPECT_EQ(definition->windowTitle().toStdString(), Txt(334, 1));
    EXPECT_EQ(Child<QLabel>(definition, "lblNAICS")->text().toStdString(),
              LookupDefinition(gcnIndustry, gstrNaicsTable, naics, 1)->heading);
}

// A desktop whose decimal mark is a comma: the test program runs this
// fixture again under a French Canadian locale.
class CommaDesktop : public ValuesTest {};

TEST_F(CommaDesktop, ACommaTypedIsTheDecimalPointAndPointsStayNumbers) {
    if (!std::getenv("ZORVA_VALUES_COMMA_CHILD")) GTEST_SKIP() << "run by ValuesTest.UnderACommaDesktop";
    ASSERT_EQ(QLocale::system().decimalPoint(), ",");
    focus(box(Field::Cash));
    type("12,5");
    EXPECT_EQ(box(Field::Cash)->text(), "12.5");
    key(Qt::Key_Tab);
    EXPECT_EQ(box(Field::Cash)->text(), "12.5");
    enter(Field::Ar, "0.25");
    EXPECT_EQ(box(Field::Toa)->text(), "12.75");
    EXPECT_TRUE(fakes.messages->empty()) << fakes.messages->last().text;
    Child<QLineEdit>(&screen(), "txtFirmName")->setText("Acme");
    ASSERT_TRUE(screen().subSave_Firm_Record(false));
    EXPECT_EQ(stored("Toa", "1=1"), 12.75);
}

TEST_F(ValuesTest, UnderACommaDesktop) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "fr_CA.UTF-8");
    env.insert("LANG", "fr_CA.UTF-8");
    env.insert("ZORVA_VALUES_COMMA_CHILD", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=CommaDesktop.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
}

} // namespace

// Amounts read grouped ("2,480,000", "2 480 000") in the boxes that are not
// being edited, on screen and for a screen reader; the program and the record
// keep the plain digits, and a language switch regroups at once.
TEST_F(ValuesTest, AmountsShowGroupedByTheLanguageWhileNotEdited) {
    // The window as painted (as on screen, not the box alone), in the box's
    // place, against the same window with a plain line edit holding `text`
    // laid over the box.
    auto looksLike = [](QLineEdit* box, const QString& text) {
        QWidget* window = box->window();
        const QRect place(box->mapTo(window, QPoint(0, 0)), box->size());
        const QImage shown = window->grab().toImage().copy(place);
        QLineEdit twin(box->parentWidget());
        twin.setGeometry(box->geometry());
        twin.setFont(box->font());
        twin.setPalette(box->palette());
        twin.setStyleSheet(box->styleSheet());
        twin.setAlignment(box->alignment());
        twin.setReadOnly(box->isReadOnly());
        twin.setText(text);
        twin.setCursorPosition(0);
        twin.show();
        twin.raise();
        const QImage typed = window->grab().toImage().copy(place);
        // Alike to the eye: the antialiased corners of the frame may differ
        // by a few levels, nothing else.
        if (shown.size() != typed.size()) return false;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor a = shown.pixelColor(x, y), b = typed.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) > 24 || std::abs(a.green() - b.green()) > 24 ||
                    std::abs(a.blue() - b.blue()) > 24)
                    return false;
            }
        return true;
    };
    auto spoken = [](QLineEdit* box) {
        return QAccessible::queryAccessibleInterface(box)->text(QAccessible::Value);
    };
    enter(Field::Cash, "2480000");
    enter(Field::Ar, "-1234.5");
    enter(Field::Inv, "999");
    ASSERT_FALSE(box(Field::Cash)->hasFocus());
    const QString nbsp(QChar(0x00A0));
    const struct {
        Field field;
        QString plain, english, french;
    } cases[] = {
        {Field::Cash, "2480000", "2,480,000", "2" + nbsp + "480" + nbsp + "000"},
        {Field::Ar, "-1234.5", "-1,234.5", "-1" + nbsp + "234,5"},
        {Field::Inv, "999", "999", "999"},
        {Field::Toa, "2479764.5", "2,479,764.5", "2" + nbsp + "479" + nbsp + "764,5"},  // a subtotal too
    };
    for (int language : {0, 1}) {
        Child<QAction>(&screen(), language ? "mnuFrench" : "mnuEnglish")->trigger();
        Settle();
        for (const auto& c : cases) {
            const QString& grouped = language ? c.french : c.english;
            EXPECT_EQ(box(c.field)->text(), c.plain) << ControlName(c.field);
            EXPECT_TRUE(looksLike(box(c.field), grouped)) << ControlName(c.field) << " " << language;
            EXPECT_EQ(spoken(box(c.field)), grouped) << ControlName(c.field);
        }
    }
    // While it is edited, a box holds, shows and speaks the plain digits.
    focus(box(Field::Cash));
    EXPECT_EQ(spoken(box(Field::Cash)), "2480000");
    type("5");
    EXPECT_EQ(box(Field::Cash)->text(), "5");
    EXPECT_EQ(screen().fncRecordFromControls()[Field::Ar], "-1234.5");
}
