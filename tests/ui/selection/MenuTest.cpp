// The main menu: captions and menus in both languages, availability on
// every activation, descriptions, Search, help, about and the exit question.
#include "support/ui/ScreensFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "ui/StartScreen.h"
#include "ui/frmAbout.h"
#include "ui/frmStart.h"
#include "selection/ui/frmMenu.h"
#include "selection/ui/frmSearch.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <set>

namespace zorva::test {
namespace {

class MainMenu : public ScreensTest {
protected:
    // The way a user gets there: the start screen and a language button.
    frmMenu& menu(int language = 0) {
        ShowStartScreen();
        auto& start = frmStart::instance();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&start));
        Click(Child<QPushButton>(&start, language ? "cmdFrancais" : "cmdEnglish"));
        auto& m = frmMenu::instance();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        EXPECT_TRUE(WaitForActivation(m, 0));
        return m;
    }
    QRadioButton* option(frmMenu& m, const char* name) { return Child<QRadioButton>(&m, name); }
    QString description(frmMenu& m) { return Child<QPlainTextEdit>(&m, "txtDescription")->toPlainText(); }
    static QString accessibleName(QWidget* w) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(QAccessible::Name) : QString();
    }
};

TEST_F(MainMenu, CaptionsMenusAndShortcutsInEachLanguage) {
    struct Expect {
        const char* name;
        const char* english;
        const char* french;
    };
    const Expect labels[] = {
        {"lblInstructions", "Choose a set of financial data", "Choisir une série de données financières"},
        {"lblCanada", "All of Canada", "Tout le Canada"},
        {"lblRegProvTerr", "Regions, Provinces and Territories", "Les régions, provinces et territoires"},
        {"lblOR", "OR", "OU"},
        {"lblVol1", "Volume 1", "Volume 1"},
        {"lblVol2", "Volume 2", "Volume 2"},
        {"lblVolume3", "Volume 3", "Volume 3"},
        {"Label1", "Volume 3", "Volume 3"},
        {"lblVol3", "Enterprises with Revenue of $30,000 to less than $5 million",
         "Entreprises ayant de 30 000 $ à moins de 5 millions de dollars de revenu"},
        {"lblDescription", "Description", "Description"},
    };
    const Expect menus[] = {{"mnuFile", "File", "Fichier"}, {"mnuLanguage", "Language", "Langue"},
                            {"mnuHelp", "Help", "Aide"}};
    const Expect items[] = {{"mnuExit", "Exit", "Quitter"},
                            {"mnuEnglish", "English", "English"},
                            {"mnuFrench", "Français", "Français"},
                            {"mnuContents", "Contents", "Contenu"},
                            {"mnuTechnical", "Technical Help", "Aide technique"},
                            {"mnuAbout", "About ZORVA", "Au sujet de VELMO"}};
    const std::pair<const char*, const char*> shortcuts[] = {{"mnuExit", "Ctrl+X"},  {"mnuEnglish", "F2"},
                                                             {"mnuFrench", "F3"},    {"mnuContents", "F1"},
                                                             {"mnuTechnical", "Ctrl+T"}, {"mnuAbout", "Ctrl+P"}};

    auto& m = menu(1);
    for (int language : {1, 0, 1}) {
        SCOPED_TRACE(language);
        if (language == 0) Press(&m, Qt::Key_F2);
        else if (gintLanguage == 0) Press(&m, Qt::Key_F3);
        ASSERT_EQ(gintLanguage, language);
        EXPECT_EQ(m.windowTitle(), language ? "Velmo pour 2010, 2009 et 2008" : "Zorva for 2010, 2009 and 2008");
        for (const auto& e : labels)
            EXPECT_EQ(Child<QLabel>(&m, e.name)->text(), language ? e.french : e.english) << e.name;
        for (const auto& e : menus)
            EXPECT_EQ(Child<QMenu>(&m, e.name)->title(), language ? e.french : e.english) << e.name;
        for (const auto& e : items)
            EXPECT_EQ(Child<QAction>(&m, e.name)->text(), language ? e.french : e.english) << e.name;
        EXPECT_EQ(Child<QPushButton>(&m, "cmdSearch")->text(), language ? "Rechercher" : "Search");
        for (const auto& choice : Catalogue()) {
            auto* opt = option(m, choice.option);
            EXPECT_EQ(opt->text().toStdString(), ChoiceCaption(choice, language)) << choice.option;
            EXPECT_EQ(accessibleName(opt), opt->text());
        }
        EXPECT_EQ(accessibleName(Child<QPlainTextEdit>(&m, "txtDescription")), "Description");
        EXPECT_EQ(accessibleName(Child<QFrame>(&m, "Shape1")), language ? "Tout le Canada" : "All of Canada");
        EXPECT_TRUE(ClippedWidgets(&m).empty()) << ClippedWidgets(&m).front();
    }
    for (const auto& [name, key] : shortcuts)
        EXPECT_EQ(Child<QAction>(&m, name)->shortcut(), QKeySequence(QString::fromLatin1(key))) << name;
    // The menus are in the order File, Language, Help.
    QList<QAction*> bar = m.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0]->menu(), Child<QMenu>(&m, "mnuFile"));
    EXPECT_EQ(bar[1]->menu(), Child<QMenu>(&m, "mnuLanguage"));
    EXPECT_EQ(bar[2]->menu(), Child<QMenu>(&m, "mnuHelp"));
}

TEST_F(MainMenu, TheTwoBoxesHoldTheirChoicesWithORBetweenAndProvincesIndented) {
    auto& m = menu();
    auto* left = Child<QFrame>(&m, "Shape1");
    auto* right = Child<QFrame>(&m, "Shape2");
    auto* orLabel = Child<QLabel>(&m, "lblOR");
    for (const char* name : {"optVol1", "optVol2", "optVol3"}) EXPECT_TRUE(left->isAncestorOf(option(m, name)));
    for (const auto& choice : Catalogue()) {
        if (choice.volume == 3 && choice.region != std::string("ALL")) {
            EXPECT_TRUE(right->isAncestorOf(option(m, choice.option))) << choice.option;
        }
    }
    const int orX = orLabel->mapTo(&m, QPoint(0, 0)).x();
    EXPECT_LT(left->mapTo(&m, QPoint(left->width(), 0)).x(), orX + 1);
    EXPECT_GT(right->mapTo(&m, QPoint(0, 0)).x(), orX);

    // Top to bottom in the right box; provinces and territories indented under their region.
    const char* order[] = {"optAtlantic", "optNewfoundland", "optNewBrunswick", "optNovaScotia", "optPEI",
                           "optQuebec", "optOntario", "optPrairies", "optManitoba", "optSaskatchewan",
                           "optAlberta", "optBritishColumbia", "optTerritories", "optNunavut", "optNWT",
                           "optYukon"};
    const std::set<std::string> indented{"optNewfoundland", "optNewBrunswick", "optNovaScotia", "optPEI",
                                         "optManitoba",     "optSaskatchewan", "optAlberta",    "optNunavut",
                                         "optNWT",          "optYukon"};
    const int regionX = option(m, "optAtlantic")->mapTo(&m, QPoint(0, 0)).x();
    int lastY = -1;
    for (const char* name : order) {
        const QPoint at = option(m, name)->mapTo(&m, QPoint(0, 0));
        EXPECT_GT(at.y(), lastY) << name;
        lastY = at.y();
        if (indented.count(name)) EXPECT_GE(at.x(), regionX + 16) << name;
        else EXPECT_EQ(at.x(), regionX) << name;
    }
    // The description under the left box, Search at the bottom.
    auto* desc = Child<QPlainTextEdit>(&m, "txtDescription");
    EXPECT_GT(desc->mapTo(&m, QPoint(0, 0)).y(), left->mapTo(&m, QPoint(0, left->height())).y());
    auto* search = Child<QPushButton>(&m, "cmdSearch");
    EXPECT_GE(search->mapTo(&m, QPoint(0, 0)).y(), right->mapTo(&m, QPoint(0, right->height())).y());
    EXPECT_TRUE(desc->isReadOnly());
    // No option is chosen at the start.
    for (const auto& choice : Catalogue()) EXPECT_FALSE(option(m, choice.option)->isChecked());
}

TEST_F(MainMenu, ChoicesWithoutDataAreGreyedOnEveryActivation) {
    auto& m = menu();
    for (const auto& choice : Catalogue()) {
        const std::string name = choice.option;
        const bool expected = name != "optVol2" && name != "optYukon" && name != "optNunavut";
        EXPECT_EQ(option(m, choice.option)->isEnabled(), expected) << name;
    }
    // A greyed choice cannot be chosen and shows no description.
    Click(option(m, "optVol2"));
    EXPECT_FALSE(option(m, "optVol2")->isChecked());
    EXPECT_TRUE(description(m).isEmpty());

    // Rows arrive while the about screen is over the menu: coming back is an
    // activation and the check runs again.
    WhileModal([&] { Press(&m, Qt::Key_P, Qt::ControlModifier); },
               [&](ScreenBase& about) {
                   AddRatioRows(industryFile, "ZORVA_Vol2_ALL_2010_Final_Ratios", 1);
                   Click(Child<QPushButton>(&about, "cmdReturn"));
               });
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    Settle();
    EXPECT_TRUE(option(m, "optVol2")->isEnabled());
    EXPECT_FALSE(option(m, "optYukon")->isEnabled());
    EXPECT_FALSE(option(m, "optNunavut")->isEnabled());

    // A message box of the program is not an activation: the check does not run.
    AddRatioRows(industryFile, "ZORVA_Vol3_YT_2010_Final_Ratios", 2);
    Click(Child<QPushButton>(&m, "cmdSearch"));  // no choice: a message
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    Settle();
    EXPECT_FALSE(option(m, "optYukon")->isEnabled());
}

TEST_F(MainMenu, DescriptionFollowsTheLanguageAtTheNextClick) {
    auto& m = menu(1);
    Click(option(m, "optVol1"));
    EXPECT_EQ(description(m), "Description française de optVol1");
    Press(&m, Qt::Key_F2);
    EXPECT_TRUE(description(m).isEmpty());
    EXPECT_TRUE(option(m, "optVol1")->isChecked());
    Click(option(m, "optVol1"));
    EXPECT_EQ(description(m), "English description of optVol1");
    Click(option(m, "optBritishColumbia"));
    EXPECT_EQ(description(m), "English description of optBritishColumbia");
    EXPECT_FALSE(option(m, "optVol1")->isChecked());
    // Clicking only describes: the data set globals are untouched.
    EXPECT_TRUE(gstrDataTable.empty());
    EXPECT_TRUE(gstrDatasetCaption.empty());
}

TEST_F(MainMenu, SearchWithoutAChoiceAsksForOne) {
    auto& m = menu(1);
    Click(Child<QPushButton>(&m, "cmdSearch"));
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Veuillez choisir une série de données financières");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OK);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::None);
    EXPECT_EQ(fakes.messages->last().title, "");
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(gstrDataTable.empty());
    EXPECT_EQ(gintVolume, 0);
    EXPECT_TRUE(gstrDatasetCaption.empty());
}

TEST_F(MainMenu, SearchWithAChoiceSetsTheDataSetAndHandsOverToTheSearchScreen) {
    auto& m = menu();
    Click(option(m, "optNovaScotia"));
    Click(Child<QPushButton>(&m, "cmdSearch"));
    EXPECT_TRUE(fakes.messages->empty());
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol3_NS_2010_Final_Ratios");
    EXPECT_EQ(gintVolume, 3);
    EXPECT_EQ(gstrRegion, "NS");
    EXPECT_EQ(gstrNaicsTable, "ZORVA_NAICS_Description_Ind_Raw");
    EXPECT_EQ(gstrDatasetCaption, "Nova Scotia");
    // The menu is hidden and the search screen shown.
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(frmSearch::instance().isVisible());

    ShowAndActivate(m);
    Press(&m, Qt::Key_F3);
    Click(option(m, "optVol1"));
    Click(Child<QPushButton>(&m, "cmdSearch"));
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol1_ALL_2010_Final_Ratios");
    EXPECT_EQ(gintVolume, 1);
    EXPECT_EQ(gstrRegion, "ALL");
    EXPECT_EQ(gstrNaicsTable, "ZORVA_NAICS_Description_Ind_Detailed");
    EXPECT_EQ(gstrDatasetCaption, "Entreprises ayant 25 millions de dollars ou plus de revenu");

    // Coming back keeps the choice and checks availability again.
    AddRatioRows(industryFile, "ZORVA_Vol3_YT_2010_Final_Ratios", 1);
    ShowAndActivate(m);
    EXPECT_TRUE(option(m, "optVol1")->isChecked());
    EXPECT_TRUE(option(m, "optYukon")->isEnabled());
    // A language switch elsewhere: determining again changes only the caption.
    gintLanguage = 0;
    m.subLoadCaptions();
    EXPECT_TRUE(m.fncDetermineDataset());
    EXPECT_EQ(gstrDatasetCaption, "Enterprises with Revenue of $25 million or more");
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol1_ALL_2010_Final_Ratios");
}

TEST_F(MainMenu, HelpItemsStartTheViewerOnTheHelpOfTheLanguage) {
    auto& m = menu();
    const std::string viewer = appDir + "/hh";
    Press(&m, Qt::Key_F1);
    Press(&m, Qt::Key_T, Qt::ControlModifier);
    Press(&m, Qt::Key_F3);
    Press(&m, Qt::Key_F1);
    Press(&m, Qt::Key_T, Qt::ControlModifier);
    const char* files[] = {"ZORV_ConceptsHelp_Eng.chm", "ZORV_Tech_Help_Eng.chm", "ZORV_ConceptsHelp_Fre.chm",
                           "ZORV_Tech_Help_Fre.chm"};
    ASSERT_EQ(fakes.processes->started.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fakes.processes->started[i].program, viewer);
        // Contents (F1) opens the concepts help at the main menu's topic.
        std::vector<std::string> expected{appDir + "/" + files[i]};
        if (i % 2 == 0) expected.insert(expected.end(), {"--topic", "1100"});
        EXPECT_EQ(fakes.processes->started[i].arguments, expected);
    }
    EXPECT_TRUE(fakes.messages->empty());

    // Without the viewer: a message in the current language, the menu stays.
    std::filesystem::remove(viewer);
    Press(&m, Qt::Key_F1);
    EXPECT_EQ(fakes.processes->started.size(), 4u);
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Le visualiseur d'aide n'a pas pu être lancé : " + viewer);
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(fakes.exit->codes.empty());
}

TEST_F(MainMenu, ExitItemAndCloseBoxAskTheExitQuestion) {
    auto& m = menu(1);
    fakes.messages->answer(MsgAnswer::No);
    Press(&m, Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Voulez-vous quitter?");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(m.isVisible());

    // Ctrl+X with the description box focused still means Exit.
    Child<QPlainTextEdit>(&m, "txtDescription")->setFocus();
    fakes.messages->answer(MsgAnswer::No);
    Press(&m, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(fakes.messages->shown.size(), 2u);

    fakes.messages->answer(MsgAnswer::No);
    EXPECT_FALSE(m.close());
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(fakes.messages->shown.size(), 3u);
    EXPECT_TRUE(fakes.exit->codes.empty());

    fakes.messages->answer(MsgAnswer::Yes);
    EXPECT_THROW(Child<QAction>(&m, "mnuExit")->trigger(), ProgramEnded);
    EXPECT_EQ(fakes.exit->codes, std::vector<int>{0});
}

} // namespace
} // namespace zorva::test
