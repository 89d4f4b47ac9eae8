#pragma once
// Ground for the search screen tests: a copy of the shipped application
// folder with both stores open and the fakes installed; the search screen is
// entered from the main menu as a user does. Report preparations can be
// replaced by a recorder, so that Continue shows what it asked for.

#include "selection/ui/frmSearch.h"
#include "support/AppFixture.h"
#include "support/ui/ScreenHelpers.h"
#include "ui/ScreenBase.h"

#include <QAbstractButton>
#include <QTest>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorva::test {

// What Continue asked the report viewer for.
struct ReportRequest {
    std::string type, province, naics, language;
    std::int16_t volume = 0, year = 0;
};

class SearchTest : public AppFixture {
protected:
    void TearDown() override;

    // Main menu, the data set's option, Search: the search screen, active.
    frmSearch& Enter(const char* option = "optVol1");
    // Report preparations record their request and show nothing.
    std::vector<ReportRequest>& RecordReports();

    std::vector<ReportRequest> requests;
};

} // namespace zorva::test
