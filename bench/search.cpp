// The industry search screen on the shipped data stores, through its widgets
// (offscreen): the key word search from its button to the filled grid, the
// sector tree of the largest data set, and the main menu's Search button to
// the search screen shown, active and refreshed.

#include "BenchStores.h"

#include "core/Edition.h"
#include "core/Catalogue.h"
#include "selection/IndustrySearch.h"
#include "ui/Navigator.h"
#include "ui/ScreenBase.h"
#include "selection/ui/frmMenu.h"
#include "selection/ui/frmSearch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <iostream>

using namespace zorva;

namespace {

// The choice whose data set has the most industries.
std::string gLargest;

template <class T>
T* Child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QString::fromLatin1(name));
}

void Settle() { QCoreApplication::processEvents(); }

// Main menu, the largest data set, Search; timed from the click until the
// search screen has been refreshed by its activation.
double EnterSearch() {
    auto& menu = frmMenu::instance();
    if (!menu.isVisible()) {
        const int shown = menu.ActivationCount();
        menu.Show();
        WaitForActivation(menu, shown);
    }
    Settle();
    Child<QRadioButton>(&menu, gLargest.c_str())->setChecked(true);
    auto* search = ExistingScreen<frmSearch>();
    const int before = search ? search->ActivationCount() : 0;
    QElapsedTimer timer;
    timer.start();
    Child<QAbstractButton>(&menu, "cmdSearch")->click();
    WaitForActivation(frmSearch::instance(), before);
    Settle();
    return timer.nsecsElapsed() / 1e9;
}

void BM_MenuSearchToSearchScreen(benchmark::State& state) {
    EnterSearch();  // the screen exists from now on
    for (auto _ : state) {
        state.SetIterationTime(EnterSearch());
        frmSearch::instance().hide();
    }
}

void BM_TreeOfTheLargestDataSet(benchmark::State& state) {
    if (!ExistingScreen<frmSearch>() || !frmSearch::instance().isVisible()) EnterSearch();
    auto& search = frmSearch::instance();
    Child<QAbstractButton>(&search, "optSearchNaics")->click();  // the tree on screen
    for (auto _ : state) {
        search.subLoadTreeView();
        Settle();
    }
}

void KeywordSearch(benchmark::State& state, const char* word) {
    if (!ExistingScreen<frmSearch>() || !frmSearch::instance().isVisible()) EnterSearch();
    auto& search = frmSearch::instance();
    Child<QAbstractButton>(&search, "optKeyword")->click();
    Child<QLineEdit>(&search, "txtKeyword")->setText(QString::fromUtf8(word));
    auto* button = Child<QAbstractButton>(&search, "cmdKeyword");
    auto* grid = Child<QTableView>(&search, "dbgridKeywordResults");
    for (auto _ : state) {
        button->click();
        Settle();  // laid out and painted
        benchmark::DoNotOptimize(grid->model()->rowCount());
    }
    state.counters["rows"] = grid->model()->rowCount();
}

void BM_KeywordEverything(benchmark::State& s) { KeywordSearch(s, ""); }
void BM_KeywordWord(benchmark::State& s) { KeywordSearch(s, "manufacturing"); }

BENCHMARK(BM_KeywordEverything)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_KeywordWord)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_TreeOfTheLargestDataSet)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_MenuSearchToSearchScreen)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    InstallScreenNavigator();
    std::string why;
    if (!bench::OpenShippedStores(&why)) {
        std::cerr << why << "\n";
        return 1;
    }
    long most = -1;
    for (const auto& choice : Catalogue()) {
        const long rows = CountTableRows(gcnIndustry, RatioTableName(choice.volume, choice.region, CurrentEdition().latest));
        if (rows > most) {
            most = rows;
            gLargest = choice.option;
        }
    }
    std::cerr << "largest data set: " << gLargest << " (" << most << " industries)\n";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyAllScreens();
    DisconnectFromDB(gcnIndustry);
    DisconnectFromDB(gcnUser);
    return 0;
}
