#include "ui/ScreenBase.h"

#include "core/Services.h"
#include "core/Strings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QScrollArea>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWindow>

#include <algorithm>
#include <map>
#include <vector>

// The artwork is compiled into the GUI library; a static library's resources
// must be registered by a call that the linker keeps.
static void initScreenResources() { Q_INIT_RESOURCE(images); }

namespace zorva {

namespace {
// Posted to a screen whose activation is due.
const QEvent::Type kActivateEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
} // namespace

// A window of the program went away. Once the platform has settled, if no
// visible window has the focus, `preferred` (the window it was opened from,
// or the window under a message box) or else the visible main screen becomes
// the active window, as a window manager would do; the program does not
// count on one being there.
static void ActivateNextWindow(QPointer<QWidget> preferred) {
    QTimer::singleShot(0, qApp, [preferred] {
        QWindow* focus = QGuiApplication::focusWindow();
        if (focus && focus->isVisible()) return;
        QWidget* next = preferred && preferred->isVisible() ? preferred.data() : nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (next) break;
            auto* screen = qobject_cast<ScreenBase*>(w);
            if (screen && screen->IsMainScreen() && screen->isVisible()) next = screen;
        }
        if (next) next->activateWindow();
    });
}

// Watches which of the program's windows becomes active (see ScreenBase.h).
class ActivationTracker : public QObject {
public:
    static ActivationTracker& instance() {
        static ActivationTracker* tracker = [] {
            auto* t = new ActivationTracker(qApp);
            qApp->installEventFilter(t);
            return t;
        }();
        return *tracker;
    }

    // A screen was hidden: showing it again is an activation.
    void forget(QWidget* w) {
        if (last_ == w) last_ = nullptr;
    }

    // A window of the program became active (also called when Qt sends no
    // event because it still counts a hidden window as the active one).
    void windowActivated(QWidget* w) {
        const bool changed = last_ != w;
        last_ = w;
        if (!changed) return;
        if (auto* screen = qobject_cast<ScreenBase*>(w))
            QCoreApplication::postEvent(screen, new QEvent(kActivateEvent));
    }

    static bool isTransient(const QWidget* w) {
        if (qobject_cast<const QMessageBox*>(w)) return true;
        if (w->property("zorvaTransient").toBool()) return true;
        const Qt::WindowType type = w->windowType();
        return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        if (event->type() == QEvent::WindowActivate) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && !isTransient(w)) windowActivated(w);
        } else if (event->type() == QEvent::Hide) {
            // A message box of the program closed: the window under it is
            // active again (no activation, it is still the last one).
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow() && isTransient(w) && w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip)
                ActivateNextWindow(last_);
        }
        return false;
    }

private:
    using QObject::QObject;

    QPointer<QWidget> last_;
};

namespace detail {

namespace {
std::map<std::type_index, QPointer<ScreenBase>>& registry() {
    static std::map<std::type_index, QPointer<ScreenBase>> r;
    return r;
}
} // namespace

ScreenBase* FindScreen(std::type_index type) {
    auto it = registry().find(type);
    if (it == registry().end() || !it->second) return nullptr;
    // A screen closed for good (destroyed on close) is no longer the instance.
    if (it->second->property("zorvaDying").toBool()) return nullptr;
    return it->second;
}

void RegisterScreen(std::type_index type, ScreenBase* screen) { registry()[type] = screen; }

} // namespace detail

void DestroyAllScreens() {
    std::vector<QPointer<ScreenBase>> all;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<ScreenBase*>(w)) all.emplace_back(s);
    for (auto& [type, s] : detail::registry())
        if (s) all.push_back(s);
    for (auto& s : all) delete s.data();
    detail::registry().clear();
    // Deferred deletions and stray activations of the destroyed windows.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

bool WaitForActivation(ScreenBase& screen, int before, int timeoutMs) {
    QPointer<ScreenBase> guard(&screen);
    QElapsedTimer timer;
    timer.start();
    while (guard && guard->ActivationCount() <= before) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return guard != nullptr;
}

ScreenBase::ScreenBase(QWidget* parent) : QMainWindow(parent) {
    static const bool resources = (initScreenResources(), true);
    (void)resources;
    ActivationTracker::instance();
    // The program ends only through the exit question or the failure policy,
    // never because its last visible window went away.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

ScreenBase::~ScreenBase() = default;

void ScreenBase::EnsureLoaded() {
    if (loaded_) return;
    loaded_ = true;
    ensurePolished();
    if (!testAttribute(Qt::WA_Resized)) adjustSize();
    Form_Load();
    FitOnScreen();
}

namespace {

QRect AvailableArea(const QWidget& window) {
    QScreen* display = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return display ? display->availableGeometry() : QRect();
}

// The room the window manager's frame takes around the window.
QSize FrameExtra(const QWidget& window) {
    if (!window.testAttribute(Qt::WA_WState_Created)) return {};
    return window.frameGeometry().size() - window.geometry().size();
}

} // namespace

void ClampToScreen(QWidget& window) {
    // The frame is known once the window exists on the platform.
    if (window.isWindow() && !window.testAttribute(Qt::WA_WState_Created)) (void)window.winId();
    const QRect area = AvailableArea(window);
    if (area.isEmpty()) return;
    const QSize room = area.size() - FrameExtra(window);
    if (window.width() > room.width() || window.height() > room.height())
        window.resize(window.size().boundedTo(room));
    // A window not placed yet is placed by Qt (a dialog over its owner, kept
    // on the display); one placed already is moved back onto the display.
    if (!window.testAttribute(Qt::WA_Moved)) return;
    const QSize outer = window.size() + FrameExtra(window);
    const QPoint at = window.pos();
    const int left = std::max(area.left(), std::min(at.x(), area.right() + 1 - outer.width()));
    const int top = std::max(area.top(), std::min(at.y(), area.bottom() + 1 - outer.height()));
    if (QPoint(left, top) != at) window.move(left, top);
}

void ScreenBase::FitOnScreen() {
    const QRect area = AvailableArea(*this);
    QWidget* content = centralWidget();
    if (area.isEmpty() || !content) return;
    const QSize room = area.size() - FrameExtra(*this);
    const QSize need = minimumSizeHint().expandedTo(minimumSize());
    if (need.width() <= room.width() && need.height() <= room.height() && size().width() <= room.width() &&
        size().height() <= room.height())
        return;
    if (!qobject_cast<QScrollArea*>(content)) {
        // The controls keep their names, parents' order and tab order; the
        // scroll area itself takes no focus and scrolls the focused control
        // into view.
        auto* scroll = new QScrollArea;
        scroll->setObjectName(QStringLiteral("scrFit"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setWidgetResizable(true);
        takeCentralWidget();
        scroll->setWidget(content);
        setCentralWidget(scroll);
    }
    setMinimumSize(minimumSize().boundedTo(room));
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(size().expandedTo(minimumSizeHint()).boundedTo(room));
    CentreOnScreen();
}


void ScreenBase::Show() {
    EnsureLoaded();
    show();
    raise();
    activateWindow();
}

void ScreenBase::ShowModal(QWidget* owner) {
    EnsureLoaded();
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    if (ownerWindow && parentWidget() != ownerWindow) {
        const Qt::WindowFlags flags = windowFlags() | Qt::Dialog;
        setParent(ownerWindow, flags);
    }
    setWindowModality(Qt::ApplicationModal);
    QPointer<ScreenBase> self(this);
    QEventLoop loop;
    connect(this, &ScreenBase::Hidden, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    Show();
    if (isVisible()) loop.exec(QEventLoop::DialogExec);
    if (self && !self->isVisible()) self->setWindowModality(Qt::NonModal);
}

void ScreenBase::CentreOnScreen() {
    // The frame is known once the window exists on the platform.
    if (!testAttribute(Qt::WA_WState_Created)) create();
    QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!display) return;
    const QRect area = display->availableGeometry();
    QSize outer = frameGeometry().size();
    if (outer.isEmpty()) outer = size();
    int left = area.x() + (area.width() - outer.width()) / 2;
    int top = area.y() + (area.height() - outer.height()) / 2;
    if (left < area.x()) left = area.x();
    if (top < area.y()) top = area.y();
    move(left, top);
}

bool ScreenBase::event(QEvent* e) {
    if (e->type() == kActivateEvent) {
        // Due when it was posted; still due if the window is still up.
        if (isVisible()) runActivation();
        return true;
    }
    return QMainWindow::event(e);
}

void ScreenBase::runActivation() {
    ++activations_;
    Form_Activate();
}

void ScreenBase::closeEvent(QCloseEvent* e) {
    bool cancel = false;
    Form_Unload(cancel);
    if (cancel) {
        e->ignore();
        return;
    }
    e->accept();
    // Destroyed on close: the next use creates a new instance.
    if (testAttribute(Qt::WA_DeleteOnClose)) setProperty("zorvaDying", true);
}

void ScreenBase::showEvent(QShowEvent* e) {
    EnsureLoaded();
    if (!e->spontaneous() && mainScreen_) {
        // Exactly one main screen is visible.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* other = qobject_cast<ScreenBase*>(w);
            if (other && other != this && other->mainScreen_ && other->isVisible()) other->hide();
        }
    }
    QMainWindow::showEvent(e);
    // When the active window is hidden and no other window takes over, the
    // platform keeps it as its focus window: showing it again then brings no
    // activation from the platform, so this window takes it itself.
    if (!e->spontaneous() && windowHandle() && QGuiApplication::focusWindow() == windowHandle() &&
        QApplication::activeWindow() != this) {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(this);
        QT_WARNING_POP
    }
}

void ScreenBase::hideEvent(QHideEvent* e) {
    QMainWindow::hideEvent(e);
    if (e->spontaneous()) return;  // minimised: still shown as far as the program goes
    ActivationTracker::instance().forget(this);
    ActivateNextWindow(parentWidget() ? parentWidget()->window() : nullptr);
    emit Hidden();
}

void AskExitQuestion(bool& cancel) {
    if (MsgBox(Txt(478), MsgButtons::YesNo, MsgIcon::Exclamation) == MsgAnswer::Yes) EndProgram(0);
    cancel = true;
}

} // namespace zorva
