#include "support/ui/SearchFixture.h"

#include "core/Globals.h"
#include "reports/render/ReportViewerLogic.h"
#include "reports/ui/frmReportViewer.h"
#include "selection/ui/frmMenu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace zorva::test {

void SearchTest::TearDown() {
    DestroyAllScreens();
    report::ResetReportPreparations();
    AppFixture::TearDown();
}

frmSearch& SearchTest::Enter(const char* option) {
    auto& menu = frmMenu::instance();
    if (menu.isVisible())
        EXPECT_TRUE(QTest::qWaitForWindowActive(&menu));  // back from the search screen
    else
        EXPECT_TRUE(Activate(menu));
    Settle();
    Click(menu.findChild<QRadioButton*>(option));
    auto* existing = ExistingScreen<frmSearch>();
    const int before = existing ? existing->ActivationCount() : 0;
    Click(menu.findChild<QPushButton*>("cmdSearch"));
    auto& search = frmSearch::instance();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&search));
    EXPECT_TRUE(WaitForActivation(search, before));
    return search;
}

std::vector<ReportRequest>& SearchTest::RecordReports() {
    auto record = [this](ConnectionHandle&, ConnectionHandle&, const std::string& type, std::int16_t volume,
                         const std::string& province, std::int16_t year, const std::string& naics,
                         const std::string& language, const std::vector<std::string>&) {
        requests.push_back({type, province, naics, language, volume, year});
        return false;
    };
    report::ReportPreparations().ratios = record;
    report::ReportPreparations().balanceSheet = record;
    return requests;
}

} // namespace zorva::test
