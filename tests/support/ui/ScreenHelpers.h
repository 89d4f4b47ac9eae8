#pragma once
// Driving the screens as a user does, in the screen tests: events settled,
// clicks, keys, windows activated, modal windows inspected while they are up.

#include "ui/ScreenBase.h"

#include <QAbstractButton>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zorva::test {

// Finds a child by object name and fails the test when it is missing.
template <class T>
T* Child(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no child named " << name;
    return found;
}

// Lets pending events run (activations are posted).
void Settle();
// Clicks a button with the mouse in its middle.
void Click(QAbstractButton* button);
// Presses a key (with modifiers) on a window's focus widget (or the window),
// as a user would.
void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Presses a key on the focus widget of the active window.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Shows a screen and waits until it is active and its activation has run.
void ShowAndActivate(ScreenBase& screen);
// The same, answering whether it happened.
bool Activate(ScreenBase& screen);
// Runs trigger, which shows a modal window; while that window is up, waits
// for it to become active and its activation to run, then calls inspect with
// it. inspect must close or hide it.
void WhileModal(const std::function<void()>& trigger, const std::function<void(ScreenBase&)>& inspect);
// Runs trigger, which shows the report viewer; when it is up, records its
// title into *title and returns from it with its Return button.
void ReturnFromViewer(const std::function<void()>& trigger, QString* title);

// Widgets of a window whose text does not fit: each entry names the widget.
std::vector<std::string> ClippedWidgets(QWidget* window);

// Types any text, as a keyboard with every character would: ASCII through
// QTest's keys (Return for a line break), anything else as a key event
// carrying the character, one code point at a time.
void TypeText(QWidget* widget, const QString& text);

} // namespace zorva::test
