#pragma once
// Ground for the screen tests: an application folder (with a blank in its
// path) holding a small industry store whose availability the test chooses,
// an empty user store, a stand-in help viewer and the four help files; the
// fakes installed and both stores open. Every screen is destroyed after each
// test.

#include "support/AppFixture.h"
#include "support/ui/ScreenHelpers.h"
#include "ui/ScreenBase.h"

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

} // namespace zorva::test
