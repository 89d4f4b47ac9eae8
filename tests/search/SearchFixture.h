#pragma once
// Ground for the search screen tests: a copy of the shipped application
// folder with both stores open and the fakes installed; the search screen is
// entered from the main menu as a user does. Report preparations can be
// replaced by a recorder, so that Continue shows what it asked for.

#include "core/gui/ScreenBase.h"
#include "selection/frmSearch.h"
#include "support/AppFixture.h"

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

void Settle();
void Click(QAbstractButton* button);
// Presses a key on the focus widget of the active window.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Makes a window the active one and waits for its activation to run.
bool Activate(ScreenBase& screen);
// Runs trigger, which shows the report viewer; when it is up, records its
// title into *title and returns from it with its Return button.
void ReturnFromViewer(const std::function<void()>& trigger, QString* title);

} // namespace zorva::test
