#pragma once
// Ground for the report tests: fixture stores with the fakes installed.

#include "support/FakeServices.h"
#include "support/FixtureStores.h"

#include "core/Globals.h"

#include <gtest/gtest.h>

namespace zorva::test {

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        fakes = InstallFakes();
    }
    void TearDown() override { ResetGlobals(); }

    // Number of rows of a table of the user store.
    long countRows(const std::string& table) {
        return static_cast<long>(stores.userRows("select * from " + table).size());
    }

    FixtureStores stores;
    Fakes fakes;
};

} // namespace zorva::test
