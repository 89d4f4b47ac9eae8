#include "support/ui/ScreenHelpers.h"

#include "reports/ui/frmReportViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace zorva::test {

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    Settle();
}

void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
    ASSERT_NE(window, nullptr);
    QWidget* target = QApplication::focusWidget() && QApplication::focusWidget()->window() == window
                          ? QApplication::focusWidget()
                          : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    Settle();
}

void ShowAndActivate(ScreenBase& screen) {
    const int before = screen.ActivationCount();
    screen.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
    ASSERT_TRUE(WaitForActivation(screen, before));
}

void WhileModal(const std::function<void()>& trigger, const std::function<void(ScreenBase&)>& inspect) {
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        QElapsedTimer timer;
        timer.start();
        ScreenBase* modal = nullptr;
        while (timer.elapsed() < 3000) {
            if (auto* w = qobject_cast<ScreenBase*>(QApplication::activeModalWidget()))
                if (w->isActiveWindow() && w->ActivationCount() > 0) {
                    modal = w;
                    break;
                }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        if (!modal) return;
        inspected = true;
        inspect(*modal);
    });
    trigger();
    Settle();
    EXPECT_TRUE(inspected) << "no modal window came up";
}

std::vector<std::string> ClippedWidgets(QWidget* window) {
    std::vector<std::string> clipped;
    const QRect inside = window->rect();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        const bool hasText = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
        if (!hasText) continue;
        // What the text needs: a wrapped label its height at its width,
        // anything else its size hint.
        QSize need = w->sizeHint();
        if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap())
            need = QSize(0, label->heightForWidth(label->width()));
        const QRect onWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        if (w->width() < need.width() || w->height() < need.height() || !inside.contains(onWindow))
            clipped.push_back(w->objectName().toStdString() + " (" + std::to_string(w->width()) + "x" +
                              std::to_string(w->height()) + " < " + std::to_string(need.width()) + "x" +
                              std::to_string(need.height()) + ")");
    }
    return clipped;
}

void Press(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    Settle();
}

bool Activate(ScreenBase& screen) {
    const int before = screen.ActivationCount();
    screen.Show();
    return QTest::qWaitForWindowActive(&screen) && WaitForActivation(screen, before);
}

void ReturnFromViewer(const std::function<void()>& trigger, QString* title) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 5000) {
            if (auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget())) {
                seen = true;
                *title = viewer->windowTitle();
                viewer->findChild<QPushButton*>("btnBack")->click();
                return;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
    });
    trigger();
    Settle();
    EXPECT_TRUE(seen) << "the report viewer did not come up";
}

void TypeText(QWidget* widget, const QString& text) {
    for (uint cp : text.toUcs4()) {
        if (cp == '\r') continue;
        if (cp == '\n') {
            QTest::keyClick(widget, Qt::Key_Return);
        } else if (cp >= 0x20 && cp < 0x7f) {
            QTest::keyClick(widget, static_cast<char>(cp));
        } else if (cp == '\t') {
            QTest::keyClick(widget, Qt::Key_Tab);
        } else {
            const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1);
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, one, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, one, Qt::NoModifier);
        }
    }
}


} // namespace zorva::test
