#pragma once
// Ground for the screen tests: an application folder (with a blank in its
// path) holding a small industry store whose availability the test chooses,
// an empty user store, a stand-in help viewer and the four help files; the
// fakes installed and both stores open. Every screen is destroyed after each
// test.

#include "core/gui/ScreenBase.h"
#include "support/AppFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace zorva::test {

// Rows of the 2010 ratio table of each option name; an option that is not
// listed gets one row, an option mapped to -1 has no table at all.
using Availability = std::map<std::string, int>;

// Writes an industry store with the nineteen ratio tables of 2010 and
// datadescription ("English description of optX" / "Description française
// de optX").
void MakeIndustryStore(const std::string& file, const Availability& rows);
// Adds rows to a ratio table of the store through a connection of its own.
void AddRatioRows(const std::string& file, const std::string& table, int rows);

class ScreensTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Availability used by SetUp; override to change it.
    virtual Availability availability() const;

    std::string appDir;
    std::string industryFile;
    Fakes fakes;
};

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
// Presses a key (with modifiers) on the active window, as a user would.
void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Shows a screen and waits until it is active and its activation has run.
void ShowAndActivate(ScreenBase& screen);
// Runs trigger, which shows a modal window; while that window is up, waits
// for it to become active and its activation to run, then calls inspect with
// it. inspect must close or hide it.
void WhileModal(const std::function<void()>& trigger, const std::function<void(ScreenBase&)>& inspect);

// Widgets of a window whose text does not fit: each entry names the widget.
std::vector<std::string> ClippedWidgets(QWidget* window);

} // namespace zorva::test
