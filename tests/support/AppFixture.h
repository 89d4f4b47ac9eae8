#pragma once
// A temporary copy of the application folder with the program's data stores,
// the fakes installed and the connections open: the ground for tests that
// drive procedures and screens.

#include "support/FakeServices.h"

#include <gtest/gtest.h>

#include <string>

namespace zorva::test {

// The application folder assembled by the build.
std::string BuiltAppDir();
// A new empty temporary folder (removed at the end of the test program).
std::string MakeTempDir(const std::string& prefix = "zorva-test");
// A positive whole number from the environment (a load's size or length), or
// the fallback when it is not set or not one.
int EnvNumber(const char* name, int fallback);
// Copies the built application folder's stores, templates and help into a
// new temporary folder and returns it.
std::string CopyAppFolder();

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string appDir;
    Fakes fakes;
};

// The same on the data stores the build assembled; skips the test when the
// application folder has none.
class ShippedStoresFixture : public AppFixture {
protected:
    void SetUp() override;
};

} // namespace zorva::test
