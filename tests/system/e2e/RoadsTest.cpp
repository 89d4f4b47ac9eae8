// The program's roads from end to end, through the real screens on a copy of
// the shipped stores, in English and in French: every step is a mouse click or
// a key press on the widget a user would use, and each road checks where it
// arrives and what it carries along.

#include "support/ui/ScreenHelpers.h"
#include "support/AppFixture.h"
#include "support/ui/ScreensFixture.h"

#include "core/AppPath.h"
#include "core/DBTools.h"
#include "core/Edition.h"
#include "core/modMain.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/LineItemDefinitions.h"
#include "enterprise/ui/frmMyValues.h"
#include "enterprise/ui/frmOpenExisting.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/frmReportViewer.h"
#include "ui/frmAbout.h"
#include "ui/frmStart.h"
#include "selection/ui/frmIndustryDefinitions.h"
#include "selection/ui/frmMenu.h"
#include "selection/ui/frmSearch.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using namespace zorva;
using namespace zorva::test;

namespace {

class Roads : public AppFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        language = GetParam();
    }
    void TearDown() override {
        DestroyAllScreens();
        report::ResetReportPreparations();
        gintLanguage = 0;
        AppFixture::TearDown();
    }
    std::string T(int id) const { return Txt(id, language); }

    // Start screen, the language's button: the main menu, active.
    frmMenu& Start() {
        auto& start = frmStart::instance();
        if (!start.isActiveWindow()) ShowAndActivate(start);
        auto& menu = frmMenu::instance();
        const int before = menu.ActivationCount();
        Click(Child<QAbstractButton>(&start, language ? "cmdFrancais" : "cmdEnglish"));
        EXPECT_TRUE(QTest::qWaitForWindowActive(&menu));
        EXPECT_TRUE(WaitForActivation(menu, before));
        EXPECT_FALSE(start.isVisible());
        EXPECT_EQ(gintLanguage, language);
        return menu;
    }
    // Main menu: a data set, Search: the search screen, active.
    frmSearch& Search(const char* option) {
        auto& menu = frmMenu::instance();
        Click(Child<QAbstractButton>(&menu, option));
        auto* existing = ExistingScreen<frmSearch>();
        const int before = existing ? existing->ActivationCount() : 0;
        Click(Child<QAbstractButton>(&menu, "cmdSearch"));
        auto& search = frmSearch::instance();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&search));
        EXPECT_TRUE(WaitForActivation(search, before));
        EXPECT_FALSE(menu.isVisible());
        return search;
    }

    int language = 0;
};

// Runs trigger; when the report viewer comes up, keeps its title and text and
// presses its Return button with the mouse.
struct Shown {
    QString title, text;
};
Shown ReportShownBy(const std::function<void()>& trigger) {
    Shown shown;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget());
        if (!viewer || seen) return;
        seen = true;
        shown.title = viewer->windowTitle();
        if (viewer->Document()) shown.text = viewer->Document()->toPlainText();
        auto* back = viewer->findChild<QPushButton*>("btnBack");
        QTest::mouseClick(back, Qt::LeftButton, Qt::NoModifier, back->rect().center());
    });
    poll.start(20);
    trigger();
    Settle();
    EXPECT_TRUE(seen) << "the report viewer did not come up";
    return shown;
}

void ClickToolButton(QMainWindow* window, const char* action) {
    auto* bar = window->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    auto* button = qobject_cast<QAbstractButton*>(bar->widgetForAction(Child<QAction>(window, action)));
    Click(button);
}

void ClickCell(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(index).center());
    Settle();
}

std::string Chosen(frmSearch& s) { return s.ChosenNaics(); }

// One way of finding an industry on the search screen, by real events.
struct Way {
    const char* option;
    std::function<void(frmSearch&)> choose;
};

const Way kWays[] = {
    {"optSearchNaics",
     [](frmSearch& s) {
         auto* tree = Child<QTreeWidget>(&s, "TreeView1");
         QTreeWidgetItem* paper = nullptr;
         for (QTreeWidgetItemIterator it(tree); *it && !paper; ++it)
             if ((*it)->parent() && (*it)->childCount() == 0) paper = *it;
         ASSERT_NE(paper, nullptr);
         tree->scrollToItem(paper);
         ClickCell(tree, tree->indexFromItem(paper));
     }},
    {"optKeyword",
     [](frmSearch& s) {
         auto* box = Child<QLineEdit>(&s, "txtKeyword");
         box->setFocus(Qt::MouseFocusReason);
         // Every industry (an empty word), so that the road is the same in both languages.
         QTest::keyClick(box, Qt::Key_Return);
         Settle();
         auto* grid = Child<QTableView>(&s, "dbgridKeywordResults");
         ASSERT_TRUE(grid->isVisible());
         ASSERT_GT(grid->model()->rowCount(), 0);
         ClickCell(grid, grid->model()->index(0, 1));
     }},
    {"optNAICScode",
     [](frmSearch& s) {
         auto* list = Child<QComboBox>(&s, "cboNAICScodes");
         list->setFocus(Qt::TabFocusReason);
         QTest::keyClick(list, Qt::Key_Down);
         Settle();
     }},
    {"optNAICSTitle",
     [](frmSearch& s) {
         auto* list = Child<QComboBox>(&s, "cboNAICSTitle");
         list->setFocus(Qt::TabFocusReason);
         QTest::keyClick(list, Qt::Key_Down);
         Settle();
     }},
};

// From the search screen: an industry of the code list, Compare a new
// statement, Continue: the values screen, active.
frmMyValues& ContinueToNewStatement(frmSearch& s) {
    Click(Child<QAbstractButton>(&s, "optNAICScode"));
    kWays[2].choose(s);
    Click(Child<QAbstractButton>(&s, "optCompareNew"));
    Click(Child<QAbstractButton>(&s, "cmdContinue"));
    auto& v = frmMyValues::instance();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&v));
    Settle();
    return v;
}

// Start -> menu -> search by each of the four ways -> the ratios and the
// balance-sheet report -> back to the search screen with the choice kept ->
// back to the main menu.
TEST_P(Roads, FindAnIndustryEachWayAndViewItsReports) {
    auto& menu = Start();
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.option);
        auto& s = Search("optNovaScotia");
        Click(Child<QAbstractButton>(&s, way.option));
        way.choose(s);
        const std::string code = Chosen(s);
        ASSERT_FALSE(code.empty());
        const QString title = Child<QPlainTextEdit>(&s, "txtIndName")->toPlainText().trimmed();
        ASSERT_FALSE(title.isEmpty());
        Click(Child<QAbstractButton>(&s, "optReport"));
        QString previousTitle;
        for (const char* type : {"optRatios", "optBalanceSheet"}) {
            SCOPED_TRACE(type);
            Click(Child<QAbstractButton>(&s, type));
            const Shown shown = ReportShownBy([&] { Click(Child<QAbstractButton>(&s, "cmdContinue")); });
            EXPECT_FALSE(shown.title.isEmpty());
            EXPECT_NE(shown.title, previousTitle);
            previousTitle = shown.title;
            EXPECT_TRUE(shown.text.contains(QString::fromStdString(code))) << shown.text.left(300).toStdString();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
            Settle();
            EXPECT_EQ(Chosen(s), code);
        }
        // Return to the main menu with the button.
        Click(Child<QAbstractButton>(&s, "btnBack"));
        EXPECT_FALSE(s.isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&menu));
    }
    EXPECT_TRUE(fakes.messages->empty()) << fakes.messages->last().text;
}

// Search -> Enter new data -> typed record -> Save -> back to the search
// screen -> Open existing data -> the list -> Open -> the same record ->
// comparison report -> back -> main menu. The stored row holds what was typed.
TEST_P(Roads, EnterSaveReopenAndCompare) {
    Start();
    auto& s = Search("optVol3");
    Click(Child<QAbstractButton>(&s, "optNAICScode"));
    kWays[2].choose(s);
    const std::string code = Chosen(s);
    ASSERT_FALSE(code.empty());
    Click(Child<QAbstractButton>(&s, "optCompareNew"));
    Click(Child<QAbstractButton>(&s, "cmdContinue"));
    auto& v = frmMyValues::instance();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    Settle();

    const QString name = QString::fromUtf8("L'Érable d'or");
    auto* nameBox = Child<QLineEdit>(&v, "txtFirmName");
    nameBox->setFocus(Qt::TabFocusReason);
    QTest::keyClick(nameBox, Qt::Key_A, Qt::ControlModifier);
    TypeText(nameBox, name);
    auto* year = Child<QComboBox>(&v, "cboYear");
    year->setFocus(Qt::TabFocusReason);
    QTest::keyClick(year, Qt::Key_Up);  // 2009
    Settle();
    ASSERT_EQ(year->currentText(), "2009");
    const std::map<Field, QString> typed = {{Field::Cash, "1500"}, {Field::Ar, "2500.25"}, {Field::Inv, "1000"},
                                            {Field::OperatingRevenue, "9000"}, {Field::Sales, "8800"},
                                            {Field::GrossProfit, "3000"}, {Field::OperatingProfit, "700"},
                                            {Field::InterestExpense, "50"}, {Field::PretaxProfit, "650"},
                                            {Field::ProfitAfterTax, "500"}, {Field::AccountsPayable, "2000.25"},
                                            {Field::ShareC, "3000"}, {Field::CurrentAssets, "5000.25"},
                                            {Field::CurrentLiabilities, "2000.25"}};
    for (const auto& [field, text] : typed) {
        QLineEdit* box = v.ValueBox(field);
        box->setFocus(Qt::TabFocusReason);
        Settle();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        Settle();
    }
    EXPECT_EQ(v.ValueBox(Field::Ta)->text(), "5000.25");
    EXPECT_EQ(v.ValueBox(Field::TotLiabShareEq)->text(), "5000.25");
    Press(&v, Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(fakes.messages->empty());
    EXPECT_EQ(fakes.messages->last().text, T(962));
    EXPECT_FALSE(v.DataChanged());
    auto rs = GetRS(gcnUser, "select Cash, Ar, Ta, AccountsPayable from MyValues where [Year] = 2009", "read");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_DOUBLE_EQ(rs->Fields(1).toDouble(), 2500.25);
    EXPECT_DOUBLE_EQ(rs->Fields(2).toDouble(), 5000.25);

    // Back to the search screen (toolbar-less road: the menu's shortcut).
    Press(&v, Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
    Settle();
    EXPECT_EQ(Chosen(s), code);
    Click(Child<QAbstractButton>(&s, "optCompareExisting"));
    Click(Child<QAbstractButton>(&s, "cmdContinue"));
    auto* list = ExistingScreen<frmOpenExisting>();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(list));
    Settle();
    auto* grid = Child<QTableWidget>(list, "dbgFirms");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 0)->text(), name);
    ClickCell(grid, grid->model()->index(0, 0));
    Click(Child<QAbstractButton>(list, "cmdOpen"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    Settle();
    EXPECT_EQ(nameBox->text(), name);
    EXPECT_EQ(year->currentText(), "2009");
    for (const auto& [field, text] : typed) EXPECT_EQ(v.ValueBox(field)->text(), text) << ColumnName(field);
    EXPECT_EQ(v.ValueBox(Field::Tliab)->text(), "2000.25");

    // The comparison from the toolbar; the record stays as it was.
    const Shown shown = ReportShownBy([&] { ClickToolButton(&v, "tbCompare"); });
    EXPECT_FALSE(shown.title.isEmpty());
    EXPECT_TRUE(shown.text.contains(name)) << shown.text.left(300).toStdString();
    EXPECT_TRUE(v.isVisible());
    v.activateWindow();  // what the window manager does when the viewer goes
    ASSERT_TRUE(QTest::qWaitForWindowActive(&v));
    Settle();
    EXPECT_EQ(nameBox->text(), name);
    EXPECT_EQ(v.ValueBox(Field::Ar)->text(), "2500.25");
    EXPECT_FALSE(v.DataChanged());

    // Return to the main menu: no question (nothing changed).
    const size_t messages = fakes.messages->shown.size();
    Press(&v, Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmMenu::instance()));
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(fakes.messages->shown.size(), messages);
    EXPECT_EQ(GetRS(gcnUser, "select * from MyValues", "read")->RecordCount(), 1);
}

// The industry definition window from the search and the values screen, the
// line-item definitions, and the about screen from every main screen.
TEST_P(Roads, DefinitionWindowsAndAbout) {
    auto& menu = Start();
    auto& s = Search("optVol1");
    Press(&s, Qt::Key_D, Qt::ControlModifier);  // nothing chosen yet
    EXPECT_EQ(fakes.messages->last().text, T(556));
    EXPECT_EQ(ExistingScreen<frmIndustryDefinitions>(), nullptr);

    Click(Child<QAbstractButton>(&s, "optNAICScode"));
    kWays[2].choose(s);
    const std::string code = Chosen(s);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round ? "values screen" : "search screen");
        ScreenBase& from = round ? static_cast<ScreenBase&>(frmMyValues::instance()) : s;
        if (round) {
            Click(Child<QAbstractButton>(&s, "optCompareNew"));
            Click(Child<QAbstractButton>(&s, "cmdContinue"));
            ASSERT_TRUE(QTest::qWaitForWindowActive(&from));
            Settle();
        }
        Press(&from, Qt::Key_D, Qt::ControlModifier);
        auto* def = ExistingScreen<frmIndustryDefinitions>();
        ASSERT_NE(def, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(def));
        EXPECT_TRUE(Child<QLabel>(def, "lblNAICS")->text().startsWith(QString::fromStdString(code)));
        EXPECT_FALSE(Child<QPlainTextEdit>(def, "txtDefinition")->toPlainText().isEmpty());
        EXPECT_EQ(Child<QAbstractButton>(def, "cmdContinue")->text().toStdString(), T(336));
        Click(Child<QAbstractButton>(def, "cmdContinue"));
        EXPECT_EQ(ExistingScreen<frmIndustryDefinitions>(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&from));
        Settle();
        EXPECT_EQ(Chosen(s), code);
    }
    // A line item's definition: a click on its caption.
    auto& v = frmMyValues::instance();
    Click(v.ValueLabel(Field::Inv));
    const LineItemDefinition inventory = Definition(Field::Inv, language);
    EXPECT_EQ(fakes.messages->last().title, inventory.title);
    EXPECT_NE(fakes.messages->last().text.find(inventory.body.substr(0, 20)), std::string::npos);

    // About, modal over each main screen; its Return button closes it.
    for (ScreenBase* screen : {static_cast<ScreenBase*>(&v), static_cast<ScreenBase*>(&s),
                               static_cast<ScreenBase*>(&menu)}) {
        if (!screen->isVisible()) ShowAndActivate(*screen);
        WhileModal([&] { Child<QAction>(screen, "mnuAbout")->trigger(); },
                   [&](ScreenBase& about) {
                       EXPECT_EQ(about.windowTitle().toStdString().empty(), false);
                       Click(Child<QAbstractButton>(&about, "cmdReturn"));
                   });
        EXPECT_TRUE(screen->isVisible());
    }
}

// A language switch from each main screen: the screen follows at once, the
// main menu too, and every other screen shows the new language as soon as it
// is shown again.
TEST_P(Roads, LanguageSwitchFromEveryScreen) {
    auto& menu = Start();
    auto& s = Search("optVol2");
    auto& v = ContinueToNewStatement(s);

    ScreenBase* const screens[] = {&v, &s, &menu};
    auto inLanguage = [&](ScreenBase* screen, int lang) {
        if (screen == &menu) return Child<QAbstractButton>(&menu, "cmdSearch")->text().toStdString() == Txt(504, lang);
        if (screen == &v) return Child<QLabel>(&v, "lblFirmName")->text().toStdString() == Txt(544, lang);
        return s.windowTitle().toStdString().rfind(Txt(1002, lang), 0) == 0;
    };
    for (ScreenBase* from : screens) {
        for (int lang : {1 - language, language}) {
            const std::string where = std::string(from->metaObject()->className()) + (lang ? " F3" : " F2");
            SCOPED_TRACE(where);
            for (ScreenBase* other : screens)
                if (other != from) other->hide();
            if (!from->isActiveWindow()) ShowAndActivate(*from);
            Press(from, lang ? Qt::Key_F3 : Qt::Key_F2);
            EXPECT_EQ(gintLanguage, lang);
            EXPECT_TRUE(inLanguage(from, lang));
            EXPECT_TRUE(inLanguage(&menu, lang));
            for (ScreenBase* other : screens) {
                if (other == from) continue;
                ShowAndActivate(*other);
                EXPECT_TRUE(inLanguage(other, lang)) << other->metaObject()->className();
                other->hide();
            }
        }
    }
}

// Every exit question: No keeps the screen (and the record), Yes ends the
// program; a changed record is offered for saving first.
TEST_P(Roads, EveryExitQuestion) {
    auto& start = frmStart::instance();
    ShowAndActivate(start);
    gintLanguage = static_cast<std::int16_t>(language);
    fakes.messages->answer(MsgAnswer::No);
    start.close();
    EXPECT_EQ(fakes.messages->last().text, T(478));
    EXPECT_TRUE(start.isVisible());
    fakes.messages->answer(MsgAnswer::Yes);
    EXPECT_THROW(start.close(), ProgramEnded);
    fakes.exit->codes.clear();

    auto& menu = Start();
    auto& s = Search("optVol1");
    auto& v = ContinueToNewStatement(s);
    // Values screen: unchanged, only the exit question; changed, the save
    // question first (Cancel keeps everything, No goes on to the exit question).
    fakes.messages->shown.clear();
    fakes.messages->answer(MsgAnswer::No);
    Child<QAction>(&v, "mnuExit")->trigger();
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, T(478));
    EXPECT_TRUE(v.isVisible());
    auto* cash = v.ValueBox(Field::Cash);
    cash->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(cash, "42");
    QTest::keyClick(cash, Qt::Key_Return);
    Settle();
    ASSERT_TRUE(v.DataChanged());
    fakes.messages->shown.clear();
    fakes.messages->answer(MsgAnswer::Cancel);
    Child<QAction>(&v, "mnuExit")->trigger();
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_NE(fakes.messages->last().text, T(478));
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(cash->text(), "42");
    fakes.messages->answer(MsgAnswer::No);  // not saved
    fakes.messages->answer(MsgAnswer::No);  // and not ended
    v.close();
    ASSERT_EQ(fakes.messages->shown.size(), 3u);
    EXPECT_EQ(fakes.messages->last().text, T(478));
    EXPECT_TRUE(v.isVisible());
    EXPECT_TRUE(fakes.exit->codes.empty());
    fakes.messages->answer(MsgAnswer::No);
    fakes.messages->answer(MsgAnswer::Yes);
    EXPECT_THROW(Child<QAction>(&v, "mnuExit")->trigger(), ProgramEnded);
    EXPECT_EQ(fakes.exit->codes, std::vector<int>{0});
    fakes.exit->codes.clear();
    v.hide();

    // Search screen and main menu.
    for (ScreenBase* screen : {static_cast<ScreenBase*>(&s), static_cast<ScreenBase*>(&menu)}) {
        SCOPED_TRACE(screen->metaObject()->className());
        for (ScreenBase* other : {static_cast<ScreenBase*>(&s), static_cast<ScreenBase*>(&menu)})
            if (other != screen) other->hide();
        if (!screen->isActiveWindow()) ShowAndActivate(*screen);
        fakes.messages->shown.clear();
        fakes.messages->answer(MsgAnswer::No);
        Child<QAction>(screen, "mnuExit")->trigger();
        Settle();
        ASSERT_EQ(fakes.messages->shown.size(), 1u);
        EXPECT_EQ(fakes.messages->last().text, T(478));
        EXPECT_TRUE(screen->isVisible());
        fakes.messages->answer(MsgAnswer::No);
        screen->close();  // the window's close box asks the same
        EXPECT_EQ(fakes.messages->shown.size(), 2u);
        EXPECT_TRUE(screen->isVisible());
        fakes.messages->answer(MsgAnswer::Yes);
        EXPECT_THROW(Child<QAction>(screen, "mnuExit")->trigger(), ProgramEnded);
        EXPECT_EQ(fakes.exit->codes, std::vector<int>{0});
        fakes.exit->codes.clear();
    }
}

// The program started on the 2021-2023 edition (--industry-store): the
// start screen, the main menu, the search screen, the values screen's year
// list, the reports and the about screen name its years, never the shipped
// edition's.
TEST_P(Roads, TheSecondEditionShowsItsYearsEverywhere) {
    SetIndustryStorePath(appDir + "/ZOR_DATA_2023.mdb");
    OpenDataStores();
    ASSERT_EQ(CurrentEdition().latest, 2023);
    const QString years = language ? "2023, 2022 et 2021" : "2023, 2022 and 2021";
    auto& start = frmStart::instance();
    ShowAndActivate(start);
    EXPECT_EQ(start.windowTitle(), "ZORVA - VELMO   2023, 2022 and 2021");
    EXPECT_TRUE(Child<QLabel>(&start, "lblReferenceYrs")->text().endsWith(" 2023, 2022, 2021"));
    auto& menu = Start();
    EXPECT_TRUE(menu.windowTitle().endsWith(years)) << menu.windowTitle().toStdString();
    auto& s = Search("optVol3");
    EXPECT_TRUE(s.windowTitle().endsWith("(" + years + ")")) << s.windowTitle().toStdString();
    Click(Child<QAbstractButton>(&s, "optNAICScode"));
    kWays[2].choose(s);
    Click(Child<QAbstractButton>(&s, "optReport"));
    for (const char* type : {"optRatios", "optBalanceSheet"}) {
        Click(Child<QAbstractButton>(&s, type));
        const Shown shown = ReportShownBy([&] { Click(Child<QAbstractButton>(&s, "cmdContinue")); });
        for (const char* y : {"2023", "2022", "2021"}) EXPECT_TRUE(shown.text.contains(y)) << type << " " << y;
        EXPECT_FALSE(shown.text.contains("2010")) << type;
        ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
        Settle();
    }
    frmMyValues& v = ContinueToNewStatement(s);
    auto* year = Child<QComboBox>(&v, "cboYear");
    QStringList listed;
    for (int i = 0; i < year->count(); ++i) listed << year->itemText(i);
    EXPECT_EQ(listed, QStringList({"2021", "2022", "2023"}));
    EXPECT_EQ(year->currentText(), "2023");
    frmAbout& about = frmAbout::instance();
    about.subLoadCaptions();
    const QString edition = Child<QLabel>(&about, "lblEdition")->text();
    EXPECT_TRUE(edition.contains("2021-2023")) << edition.toStdString();
    EXPECT_TRUE(edition.contains("ZOR_DATA_2023.mdb")) << edition.toStdString();
    EXPECT_TRUE(fakes.messages->empty()) << fakes.messages->last().text;
    SetIndustryStorePath("");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Roads, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) { return info.param ? "French" : "English"; });

} // namespace
