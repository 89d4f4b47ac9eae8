#pragma once
// The base of every window of the program, and the machinery the windows
// share: loading, centring, activation, the single instance of each screen,
// modal showing and the exit question.
//
// Life of a screen
//   A screen is created on its first use through ScreenInstance<T>() (each
//   screen class offers it as T::instance()), which also runs its Form_Load
//   once. From then on the same object is hidden and shown; the four main
//   screens (start, main menu, search, values) are never destroyed while the
//   program runs. A screen that sets Qt::WA_DeleteOnClose is destroyed when
//   its window is closed, and the next ScreenInstance<T>() creates a new one.
//   Exactly one main screen is visible: showing a main screen hides the
//   other main screens.
//
// Activation
//   Form_Activate runs when a screen becomes the program's active window
//   after another window of the program was active (a screen, the about
//   screen, a report, the definition window), and when it becomes active
//   after having been shown. Coming back from another application, or from
//   one of the program's own message boxes, is not an activation.
//
//   One application-wide event filter (ActivationTracker in ScreenBase.cpp)
//   watches QEvent::WindowActivate of every top-level widget of the program
//   and remembers the last program window that was active. Message boxes
//   (QMessageBox, or any window with the property "zorvaTransient" set to
//   true), pop-up menus and tool tips are not remembered. When a ScreenBase
//   becomes active and it is not the remembered window, its activation is
//   due. Hiding a screen forgets it, so showing it again is an activation.
//   Leaving the application clears the active window but not the memory, so
//   coming back to the same window is not an activation.
//
//   When the active window of the program is hidden or closed (a screen, or
//   a message box), the window it was opened from, or else the visible main
//   screen, is made active, as a window manager would do; the program does
//   not count on one being there.
//
//   A due activation is posted to the screen as an event of its own and
//   Form_Activate runs from the event loop right after Qt has finished
//   switching the active window and the keyboard focus, so that a handler
//   may show a message box or another window safely. Tests wait for it with
//   WaitForActivation() (or by processing events); it works offscreen,
//   where QWidget::activateWindow() and showing a window activate it.

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <typeindex>

class QCloseEvent;

namespace zorva {

class ScreenBase : public QMainWindow {
    Q_OBJECT
public:
    explicit ScreenBase(QWidget* parent = nullptr);
    ~ScreenBase() override;

    // Runs Form_Load the first time it is called (ScreenInstance() calls it
    // right after creating the screen; showing a screen calls it too).
    void EnsureLoaded();
    bool IsLoaded() const { return loaded_; }

    // Shows the screen modeless and makes it the active window.
    void Show();
    // Shows the screen modal over owner (the calling screen) and returns when
    // it has been hidden or closed. The owner stays behind it.
    void ShowModal(QWidget* owner);

    // Puts the window in the middle of its display: top = (display height -
    // window height) / 2, left likewise with the widths, the window's frame
    // included. A window larger than the display keeps its top left corner
    // on the display, so that its title bar stays reachable.
    void CentreOnScreen();

    // Makes the window fit its display's available area (a large scale
    // factor, a small display): when the content needs more room than the
    // display has, it goes into a scroll area that follows the keyboard focus,
    // a fixed or minimum size is relaxed to the display, and the window is
    // made no larger than the display and kept on it. Runs after Form_Load.
    void FitOnScreen();

    // A main screen (start, main menu, search, values): only one is visible.
    bool IsMainScreen() const { return mainScreen_; }

    // How many times Form_Activate has run (tests, diagnostics).
    int ActivationCount() const { return activations_; }

signals:
    // Emitted when the window is hidden (by Hide, by closing, by a modal
    // window being done).
    void Hidden();

protected:
    // The screen's own handlers.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    // The window is about to close; set cancel to keep it open.
    virtual void Form_Unload(bool& cancel) { (void)cancel; }

    void SetMainScreen(bool main) { mainScreen_ = main; }

    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    friend class ActivationTracker;
    void runActivation();

    bool loaded_ = false;
    bool mainScreen_ = false;
    int activations_ = 0;
};

// Makes a top-level window no larger than its display's available area and
// keeps its frame on that area (windows laid out by hand, which reflow when
// resized: the report viewer).
void ClampToScreen(QWidget& window);

// Asks the exit question shared by the main screens: text 478 in the current
// language, Yes and No, exclamation icon, no title of its own. Yes ends the
// program at once (through the exit service); No sets cancel, so the caller's
// window stays open.
void AskExitQuestion(bool& cancel);

// The single instance of each screen class.
namespace detail {
ScreenBase* FindScreen(std::type_index type);
void RegisterScreen(std::type_index type, ScreenBase* screen);
} // namespace detail

template <class T>
T& ScreenInstance() {
    auto* existing = static_cast<T*>(detail::FindScreen(std::type_index(typeid(T))));
    if (existing) return *existing;
    T* created = new T();
    detail::RegisterScreen(std::type_index(typeid(T)), created);
    created->EnsureLoaded();
    return *created;
}

// The instance of a screen class if it exists, else nullptr.
template <class T>
T* ExistingScreen() {
    return static_cast<T*>(detail::FindScreen(std::type_index(typeid(T))));
}

// Destroys every screen of the program (tests: each test starts from none).
void DestroyAllScreens();

// Processes events until screen's activation count exceeds `before` or the
// timeout passes; true when it did.
bool WaitForActivation(ScreenBase& screen, int before, int timeoutMs = 2000);

} // namespace zorva
