// The about screen: its texts from the string table in the current language,
// the fixed version, Return and the close box.
#include "support/ui/ScreensFixture.h"

#include "core/DBTools.h"
#include "core/Globals.h"
#include "support/PgServer.h"
#include "core/Strings.h"
#include "ui/StartScreen.h"
#include "ui/frmAbout.h"
#include "ui/frmStart.h"
#include "selection/ui/frmMenu.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace zorva::test {
namespace {

class AboutScreen : public ScreensTest {
protected:
    frmMenu& menu() {
        auto& m = frmMenu::instance();
        ShowAndActivate(m);
        return m;
    }
    static std::string text(ScreenBase& about, const char* name) {
        return Child<QLabel>(&about, name)->text().toStdString();
    }
};

TEST_F(AboutScreen, TextsFollowTheLanguageAndVersionStaysFixed) {
    auto& m = menu();
    QPointer<ScreenBase> first;
    WhileModal([&] { Press(&m, Qt::Key_P, Qt::ControlModifier); },
               [&](ScreenBase& about) {
                   first = &about;
                   EXPECT_EQ(about.windowTitle(), "About ZORVA");
                   EXPECT_EQ(text(about, "lblTitle"), "Zorva");
                   EXPECT_EQ(text(about, "lblStats"), "Brevik");
                   EXPECT_EQ(text(about, "lblBuilding"), LoadResString(574));
                   EXPECT_EQ(text(about, "lblStreet"), LoadResString(342));
                   EXPECT_EQ(text(about, "lblProv"), LoadResString(344));
                   EXPECT_EQ(text(about, "lblSubjectMatter"), LoadResString(346));
                   EXPECT_EQ(text(about, "lblTechnical"), LoadResString(348));
                   EXPECT_EQ(text(about, "lblEmail"), LoadResString(570));
                   EXPECT_EQ(text(about, "lblFax"), LoadResString(1500));
                   EXPECT_EQ(text(about, "lblIllustrative"), LoadResString(914));
                   EXPECT_EQ(text(about, "lblVersion"), "Version 2010.2");
                   EXPECT_EQ(Child<QPushButton>(&about, "cmdReturn")->text(), "Return");
                   EXPECT_TRUE(ClippedWidgets(&about).empty()) << ClippedWidgets(&about).front();
                   const QRect display = about.screen()->geometry();
                   EXPECT_EQ(about.frameGeometry().left(),
                             (display.width() - about.frameGeometry().width()) / 2);
                   Click(Child<QPushButton>(&about, "cmdReturn"));
               });
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->isVisible());

    // Return only hid it: the next About shows the same window, in French now.
    Press(&m, Qt::Key_F3);
    WhileModal([&] { Press(&m, Qt::Key_P, Qt::ControlModifier); },
               [&](ScreenBase& about) {
                   EXPECT_EQ(&about, first.data());
                   EXPECT_EQ(about.windowTitle(), "Au sujet de VELMO");
                   EXPECT_EQ(text(about, "lblTitle"), "Velmo");
                   EXPECT_EQ(text(about, "lblStats"), "Brevik");
                   EXPECT_EQ(text(about, "lblStreet"), LoadResString(343));
                   EXPECT_EQ(text(about, "lblEmail"), LoadResString(571));
                   EXPECT_EQ(text(about, "lblFax"), LoadResString(1501));
                   EXPECT_EQ(text(about, "lblIllustrative"), LoadResString(915));
                   EXPECT_EQ(text(about, "lblVersion"), "Version 2010.2");
                   EXPECT_EQ(Child<QPushButton>(&about, "cmdReturn")->text(), "Retourner");
                   EXPECT_TRUE(ClippedWidgets(&about).empty()) << ClippedWidgets(&about).front();
                   Click(Child<QPushButton>(&about, "cmdReturn"));
               });
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(fakes.messages->empty());
}

// On the office's server the about screen names the server, database and
// user (never the password, whatever it holds) and says whether the
// connection is encrypted: sslmode=require over a local socket is not.
TEST_F(AboutScreen, TheOfficesServerIsNamedWithoutPasswordAndWithItsEncryption) {
    std::string why;
    if (!PgAvailable(&why)) GTEST_SKIP() << why;
    const std::string store = NewServerStore();
    const auto at = store.find('@');
    ConnectToFile(gcnUser, "postgresql://zorva:SE%2FCR%3FET" + store.substr(at) + "&sslmode=require", "unknown");
    auto& m = menu();
    WhileModal([&] { Press(&m, Qt::Key_P, Qt::ControlModifier); },
               [&](ScreenBase& about) {
                   const std::string shown = text(about, "lblUserStore");
                   EXPECT_NE(shown.find(LoadResString(3208)), std::string::npos) << shown;
                   EXPECT_NE(shown.find("zorva@"), std::string::npos) << shown;
                   EXPECT_EQ(shown.find("CR"), std::string::npos) << shown;
                   EXPECT_TRUE(ClippedWidgets(&about).empty()) << ClippedWidgets(&about).front();
                   Click(Child<QPushButton>(&about, "cmdReturn"));
               });
    DisconnectFromDB(gcnUser);
}

TEST_F(AboutScreen, TheCloseBoxReturnsLikeReturnAndTheNextAboutIsANewWindow) {
    auto& m = menu();
    const int activations = m.ActivationCount();
    QPointer<ScreenBase> first;
    WhileModal([&] { Child<QAction>(&m, "mnuAbout")->trigger(); },
               [&](ScreenBase& about) {
                   first = &about;
                   EXPECT_TRUE(about.close());
               });
    Settle();
    EXPECT_TRUE(first.isNull());  // destroyed
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    EXPECT_TRUE(WaitForActivation(m, activations));
    EXPECT_TRUE(fakes.messages->empty());  // no exit question on the about screen

    gintLanguage = 1;
    WhileModal([&] { Child<QAction>(&m, "mnuAbout")->trigger(); },
               [&](ScreenBase& about) {
                   EXPECT_EQ(about.windowTitle(), "Au sujet de VELMO");
                   Click(Child<QPushButton>(&about, "cmdReturn"));
               });
}

} // namespace
} // namespace zorva::test
