// The start screen: texts, the language choice, the licence links with F1,
// the artwork and the exit question.
#include "support/ui/ScreensFixture.h"

#include "core/Globals.h"
#include "ui/StartScreen.h"
#include "ui/frmStart.h"
#include "selection/ui/frmMenu.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <filesystem>

namespace zorva::test {
namespace {

class StartScreen : public ScreensTest {
protected:
    frmStart& start() {
        ShowStartScreen();
        auto& s = frmStart::instance();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&s));
        return s;
    }
    // Clicks the link of a licence label.
    void clickLink(QLabel* label) {
        ASSERT_NE(label, nullptr);
        QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, label->rect().center());
        Settle();
    }
};

TEST_F(StartScreen, ShowsTheFixedBilingualTextsCentredWithTheArtwork) {
    auto& s = start();
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(s.windowTitle(), "ZORVA - VELMO   2010, 2009 and 2008");
    EXPECT_EQ(Child<QLabel>(&s, "lblReferenceYrs")->text(), "Reference Years / Années de référence 2010, 2009, 2008");
    EXPECT_EQ(Child<QPushButton>(&s, "cmdEnglish")->text(), "English");
    EXPECT_EQ(Child<QPushButton>(&s, "cmdFrancais")->text(), "Français");
    EXPECT_EQ(Child<QLabel>(&s, "lblLicenseAgreementE")->accessibleName(), "License Agreement");
    EXPECT_EQ(Child<QLabel>(&s, "lblLicenseAgreementF")->accessibleName(), "Entente d'exploitation sous licence");

    auto* banner = Child<QLabel>(&s, "Picture3");
    auto* strip = Child<QLabel>(&s, "Picture1");
    EXPECT_EQ(banner->size(), QSize(599, 55));
    EXPECT_EQ(strip->size(), QSize(511, 20));
    ASSERT_FALSE(banner->pixmap().isNull());
    ASSERT_FALSE(strip->pixmap().isNull());
    EXPECT_EQ(banner->pixmap().deviceIndependentSize().toSize(), QSize(599, 55));
    EXPECT_EQ(strip->pixmap().deviceIndependentSize().toSize(), QSize(511, 20));

    const QRect display = s.screen()->geometry();
    EXPECT_EQ(s.frameGeometry().left(), (display.width() - s.frameGeometry().width()) / 2);
    EXPECT_EQ(s.frameGeometry().top(), (display.height() - s.frameGeometry().height()) / 2);
    EXPECT_TRUE(ClippedWidgets(&s).empty()) << ClippedWidgets(&s).front();
    EXPECT_EQ(gintLanguage, 0);
}

TEST_F(StartScreen, EachLanguageButtonHidesItAndShowsTheMainMenuInItsLanguage) {
    struct Case {
        const char* button;
        int language;
        const char* instructions;
        const char* title;
    };
    for (const Case& c : {Case{"cmdEnglish", 0, "Choose a set of financial data", "Zorva for 2010, 2009 and 2008"},
                          Case{"cmdFrancais", 1, "Choisir une série de données financières",
                               "Velmo pour 2010, 2009 et 2008"}}) {
        SCOPED_TRACE(c.button);
        auto& s = start();
        Click(Child<QPushButton>(&s, c.button));
        EXPECT_EQ(gintLanguage, c.language);
        EXPECT_FALSE(s.isVisible());
        auto* menu = ExistingScreen<frmMenu>();
        ASSERT_NE(menu, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(menu));
        ASSERT_TRUE(WaitForActivation(*menu, 0));
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(Child<QLabel>(menu, "lblInstructions")->text(), c.instructions);
        EXPECT_EQ(menu->windowTitle(), c.title);
        DestroyAllScreens();
        gintLanguage = 0;
    }
}

TEST_F(StartScreen, LicenceLinksOpenTopic9999OfTheConceptsHelpAndF1RepeatsIt) {
    auto& s = start();
    const std::string viewer = appDir + "/hh";

    // Before any link, F1 opens nothing.
    Press(&s, Qt::Key_F1);
    EXPECT_TRUE(fakes.processes->started.empty());

    clickLink(Child<QLabel>(&s, "lblLicenseAgreementF"));
    ASSERT_EQ(fakes.processes->started.size(), 1u);
    EXPECT_EQ(fakes.processes->started[0].program, viewer);
    const std::vector<std::string> french{appDir + "/ZORV_ConceptsHelp_Fre.chm", "--topic", "9999"};
    EXPECT_EQ(fakes.processes->started[0].arguments, french);
    EXPECT_EQ(s.HelpFile(), "ZORV_ConceptsHelp_Fre.chm");
    EXPECT_EQ(s.HelpContextID(), 9999);

    Press(&s, Qt::Key_F1);
    ASSERT_EQ(fakes.processes->started.size(), 2u);
    EXPECT_EQ(fakes.processes->started[1].arguments, french);

    clickLink(Child<QLabel>(&s, "lblLicenseAgreementE"));
    Press(&s, Qt::Key_F1);
    ASSERT_EQ(fakes.processes->started.size(), 4u);
    const std::vector<std::string> english{appDir + "/ZORV_ConceptsHelp_Eng.chm", "--topic", "9999"};
    EXPECT_EQ(fakes.processes->started[2].arguments, english);
    EXPECT_EQ(fakes.processes->started[3].arguments, english);
    // The start screen stays, the language is still unchosen.
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(gintLanguage, 0);
    EXPECT_TRUE(fakes.messages->empty());
}

TEST_F(StartScreen, AMissingHelpFileIsReportedAndTheScreenStaysUsable) {
    std::filesystem::remove(appDir + "/ZORV_ConceptsHelp_Eng.chm");
    auto& s = start();
    clickLink(Child<QLabel>(&s, "lblLicenseAgreementE"));
    EXPECT_TRUE(fakes.processes->started.empty());
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "The help file was not found: " + appDir + "/ZORV_ConceptsHelp_Eng.chm");
    EXPECT_TRUE(s.isVisible());
    EXPECT_TRUE(fakes.exit->codes.empty());
}

TEST_F(StartScreen, ClosingAsksTheExitQuestionInEnglish) {
    auto& s = start();
    fakes.messages->answer(MsgAnswer::No);
    EXPECT_FALSE(s.close());
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Do you want to exit?");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(ExistingScreen<frmMenu>(), nullptr);

    fakes.messages->answer(MsgAnswer::Yes);
    EXPECT_THROW(s.close(), ProgramEnded);
    EXPECT_EQ(fakes.exit->codes, std::vector<int>{0});
    EXPECT_EQ(ExistingScreen<frmMenu>(), nullptr);
}

} // namespace
} // namespace zorva::test
