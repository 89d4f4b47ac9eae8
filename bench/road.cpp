// The program's road through its real screens (offscreen), on the shipped
// stores: start-up to the start screen shown, a click to each report shown in
// the viewer (ratios and balance sheet from the search screen, comparison
// from the values screen), and the peak resident memory of a run that opens
// each report once.
//
// Start-up is timed inside the process: opening the two stores (with their
// integrity check) and showing the start screen, without the process's own
// launch and Qt's initialisation.

#include "BenchStores.h"

#include "core/Catalogue.h"
#include "ui/Navigator.h"
#include "ui/QtServices.h"
#include "ui/ScreenBase.h"
#include "enterprise/ui/frmMyValues.h"
#include "reports/ui/frmReportViewer.h"
#include "ui/StartScreen.h"
#include "ui/frmStart.h"
#include "selection/ui/frmSearch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QToolBar>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>
#include <iostream>

using namespace zorva;

namespace {

std::string gAppDir;

template <class T>
T* Child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

void Settle() { QCoreApplication::processEvents(); }

// Seconds from clicking the button until the report viewer is up, active and
// painted (the report's first screen drawn); the viewer is then closed.
// Negative when no viewer came up.
double ClickToReport(QAbstractButton* button) {
    QElapsedTimer timer;
    double seconds = -1;
    QTimer poll;  // runs on every pass of the viewer's event loop
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* viewer = qobject_cast<frmReportViewer*>(QApplication::activeModalWidget());
        if (!viewer || !viewer->isVisible() || seconds >= 0) return;
        viewer->repaint();
        seconds = timer.nsecsElapsed() / 1e9;
        viewer->reject();
    });
    poll.start(0);
    timer.start();
    button->click();
    Settle();
    return seconds;
}

// The search screen with Nova Scotia's first industry chosen, View industry data.
frmSearch& SearchScreen() {
    auto& search = frmSearch::instance();
    if (!search.isVisible()) {
        subSetDataTable("optNovaScotia");
        const int before = search.ActivationCount();
        search.Show();
        WaitForActivation(search, before);
        search.ChooseCode(bench::FirstIndustry(gstrDataTable));
    }
    Child<QAbstractButton>(&search, "optReport")->click();
    return search;
}

// The values screen with a statement that passes the comparison's checks.
frmMyValues& ValuesScreen() {
    auto& values = frmMyValues::instance();
    if (!values.isVisible()) {
        SearchScreen();
        const int before = values.ActivationCount();
        values.Show();
        WaitForActivation(values, before);
        Child<QLineEdit>(&values, "txtFirmName")->setText("Harbourview Fine Foods");
        const std::pair<Field, const char*> amounts[] = {
            {Field::Cash, "120000"},          {Field::Ar, "80000"},         {Field::Inv, "150000"},
            {Field::CA, "400000"},            {Field::OperatingRevenue, "900000"}, {Field::Sales, "880000"},
            {Field::GrossProfit, "300000"},   {Field::OperatingProfit, "70000"},   {Field::InterestExpense, "12000"},
            {Field::PretaxProfit, "58000"},   {Field::ProfitAfterTax, "45000"},    {Field::AccountsPayable, "90000"},
            {Field::Mtg, "250000"},           {Field::ShareC, "100000"},           {Field::RetEarn, "310000"},
            {Field::CurrentAssets, "350000"}, {Field::CurrentLiabilities, "140000"}};
        for (const auto& [f, text] : amounts) values.ValueBox(f)->setText(text);
        values.subCalculateSubTotals();
    }
    return values;
}

QAbstractButton* CompareButton(frmMyValues& values) {
    auto* bar = values.findChild<QToolBar*>();
    return qobject_cast<QAbstractButton*>(bar->widgetForAction(Child<QAction>(&values, "tbCompare")));
}

void Report(benchmark::State& state, const char* type) {
    QAbstractButton* button = nullptr;
    if (std::string(type) == "com") {
        button = CompareButton(ValuesScreen());
    } else {
        auto& search = SearchScreen();
        Child<QAbstractButton>(&search, type)->click();
        button = Child<QAbstractButton>(&search, "cmdContinue");
    }
    for (auto _ : state) {
        const double s = ClickToReport(button);
        if (s < 0) {
            state.SkipWithError("the report viewer did not come up");
            break;
        }
        state.SetIterationTime(s);
    }
}

// Runs first: the start screen, then each report once; the process's peak
// resident set size afterwards.
void BM_PeakMemoryOpeningEachReportOnce(benchmark::State& state) {
    for (auto _ : state) {
        ShowStartScreen();
        WaitForActivation(frmStart::instance(), 0);
        auto& search = SearchScreen();
        for (const char* type : {"optRatios", "optBalanceSheet"}) {
            Child<QAbstractButton>(&search, type)->click();
            ClickToReport(Child<QAbstractButton>(&search, "cmdContinue"));
        }
        ClickToReport(CompareButton(ValuesScreen()));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MiB"] = usage.ru_maxrss / 1024.0;
}

void BM_StartToStartScreen(benchmark::State& state) {
    for (auto _ : state) {
        DestroyAllScreens();
        ResetGlobals();
        SetAppPath(gAppDir);
        QElapsedTimer timer;
        timer.start();
        OpenDataStores();
        ShowStartScreen();
        auto& start = frmStart::instance();
        WaitForActivation(start, 0);
        Settle();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
    DestroyAllScreens();
}

void BM_ClickToRatiosReport(benchmark::State& s) { Report(s, "optRatios"); }
void BM_ClickToBalanceSheetReport(benchmark::State& s) { Report(s, "optBalanceSheet"); }
void BM_ClickToComparisonReport(benchmark::State& s) { Report(s, "com"); }

BENCHMARK(BM_PeakMemoryOpeningEachReportOnce)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_StartToStartScreen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClickToRatiosReport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClickToBalanceSheetReport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_ClickToComparisonReport)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // No kept choice of the user's: the viewer opens with its reading view.
    char config[] = "/tmp/zorva-bench-config-XXXXXX";
    if (mkdtemp(config)) setenv("XDG_CONFIG_HOME", config, 1);
    ZorvaApplication app(argc, argv);
    InstallQtServices();
    InstallScreenNavigator();
    std::string why;
    if (!bench::OpenShippedStores(&why)) {
        std::cerr << why << "\n";
        return 1;
    }
    gAppDir = AppPath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyAllScreens();
    ResetGlobals();
    std::error_code ec;
    std::filesystem::remove_all(config, ec);
    return 0;
}
