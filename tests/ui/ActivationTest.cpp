// The shared screen machinery: activation, one main screen at a time,
// centring, the single instance, modal showing and the exit question.
#include "support/ui/ScreensFixture.h"

#include "core/Globals.h"
#include "core/Services.h"
#include "ui/QtServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

namespace zorva::test {
namespace {

class Plain : public ScreenBase {
public:
    explicit Plain(bool main = false) {
        SetMainScreen(main);
        resize(300, 200);
    }
    int loads = 0;
    bool askOnClose = false;

protected:
    void Form_Load() override {
        ++loads;
        CentreOnScreen();
    }
    void Form_Unload(bool& cancel) override {
        if (askOnClose) AskExitQuestion(cancel);
    }
};
class MainA : public Plain {
public:
    MainA() : Plain(true) {}
};
class MainB : public Plain {
public:
    MainB() : Plain(true) {}
};
class Other : public Plain {};

using Activation = ScreensTest;

TEST_F(Activation, ShowingAScreenActivatesItAndAnotherProgramWindowInBetweenActivatesItAgain) {
    auto& a = ScreenInstance<MainA>();
    ShowAndActivate(a);
    EXPECT_EQ(a.ActivationCount(), 1);

    // Another window of the program becomes active, then this one again.
    auto& other = ScreenInstance<Other>();
    ShowAndActivate(other);
    EXPECT_EQ(other.ActivationCount(), 1);
    EXPECT_EQ(a.ActivationCount(), 1);
    a.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    ASSERT_TRUE(WaitForActivation(a, 1));
    EXPECT_EQ(a.ActivationCount(), 2);

    // Becoming active again while it already was the last program window is not.
    QApplication::setActiveWindow(nullptr);  // the user went to another application
    Settle();
    QApplication::setActiveWindow(&a);       // and came back
    Settle();
    EXPECT_EQ(a.ActivationCount(), 2);
}

TEST_F(Activation, ClosingOneOfTheProgramsMessageBoxesIsNotAnActivation) {
    InstallQtServices();
    services().exit = fakes.exit;
    auto& a = ScreenInstance<MainA>();
    ShowAndActivate(a);
    const int before = a.ActivationCount();

    bool answered = false;
    QTimer::singleShot(0, [&] {
        for (int i = 0; i < 100 && !answered; ++i) {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                EXPECT_TRUE(QTest::qWaitForWindowActive(box));
                box->button(QMessageBox::No)->click();
                answered = true;
            } else {
                QTest::qWait(20);
            }
        }
    });
    EXPECT_EQ(MsgBox("Continue?", MsgButtons::YesNo), MsgAnswer::No);
    ASSERT_TRUE(answered);
    // The screen under the box is the active window again, without an activation.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    Settle();
    QTest::qWait(50);
    EXPECT_EQ(a.ActivationCount(), before);
}

TEST_F(Activation, HidingAndShowingAgainIsAnActivationAndOnlyOneMainScreenIsVisible) {
    auto& a = ScreenInstance<MainA>();
    auto& b = ScreenInstance<MainB>();
    ShowAndActivate(a);
    ShowAndActivate(b);
    EXPECT_FALSE(a.isVisible());
    EXPECT_TRUE(b.isVisible());
    // A window that is not a main screen leaves the main screen up.
    auto& other = ScreenInstance<Other>();
    ShowAndActivate(other);
    EXPECT_TRUE(b.isVisible());
    // That window goes away: the main screen is the active window again.
    other.hide();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&b));
    ASSERT_TRUE(WaitForActivation(b, 1));

    b.hide();
    ShowAndActivate(b);
    EXPECT_EQ(b.ActivationCount(), 3);
    ShowAndActivate(a);
    EXPECT_FALSE(b.isVisible());
    EXPECT_EQ(a.ActivationCount(), 2);
}

TEST_F(Activation, OneInstanceLoadedOnceAndCentredOnTheDisplay) {
    auto& a = ScreenInstance<MainA>();
    EXPECT_EQ(&ScreenInstance<MainA>(), &a);
    EXPECT_EQ(a.loads, 1);
    ShowAndActivate(a);
    a.hide();
    ShowAndActivate(a);
    EXPECT_EQ(a.loads, 1);

    const QRect display = a.screen()->geometry();
    EXPECT_EQ(a.frameGeometry().left(), display.left() + (display.width() - a.frameGeometry().width()) / 2);
    EXPECT_EQ(a.frameGeometry().top(), display.top() + (display.height() - a.frameGeometry().height()) / 2);

    // Larger than the display: the title bar stays on it.
    auto& big = ScreenInstance<Other>();
    big.resize(display.width() + 200, display.height() + 100);
    big.CentreOnScreen();
    EXPECT_EQ(big.frameGeometry().topLeft(), display.topLeft());
}

TEST_F(Activation, ModalWindowBlocksItsOwnerUntilHiddenAndTheOwnerIsActivatedAfterwards) {
    auto& a = ScreenInstance<MainA>();
    ShowAndActivate(a);
    auto& modal = ScreenInstance<Other>();
    bool sawModal = false;
    WhileModal([&] { modal.ShowModal(&a); },
               [&](ScreenBase& w) {
                   sawModal = &w == &modal;
                   EXPECT_EQ(QApplication::activeModalWidget(), &modal);
                   w.hide();
               });
    EXPECT_TRUE(sawModal);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&a));
    EXPECT_TRUE(WaitForActivation(a, 1));
    EXPECT_EQ(a.ActivationCount(), 2);
}

TEST_F(Activation, ExitQuestionNoKeepsTheScreenAndTheGlobalsYesEndsTheProgram) {
    auto& a = ScreenInstance<MainA>();
    a.askOnClose = true;
    ShowAndActivate(a);
    gintLanguage = 1;
    gstrDataTable = "ZORVA_Vol1_ALL_2010_Final_Ratios";

    fakes.messages->answer(MsgAnswer::No);
    EXPECT_FALSE(a.close());
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "Voulez-vous quitter?");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(fakes.messages->last().title, "");
    EXPECT_TRUE(a.isVisible());
    EXPECT_TRUE(fakes.exit->codes.empty());
    EXPECT_EQ(gintLanguage, 1);
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol1_ALL_2010_Final_Ratios");

    fakes.messages->answer(MsgAnswer::Yes);
    EXPECT_THROW(a.close(), ProgramEnded);
    EXPECT_EQ(fakes.exit->codes, std::vector<int>{0});
}

TEST_F(Activation, HidingTheLastVisibleWindowDoesNotEndTheProgram) {
    auto& a = ScreenInstance<MainA>();
    ShowAndActivate(a);
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    a.hide();
    Settle();
    EXPECT_TRUE(fakes.exit->codes.empty());
}

} // namespace
} // namespace zorva::test
