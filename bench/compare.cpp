// A comparison run over 10,000 generated enterprises, exactly as zorva-cli
// compare runs it: the CSV read and normalised as the values screen would,
// the four checks, the comparison computed in memory and the row as JSON.
// A second benchmark times the enterprise-record work alone.

#include "BenchStores.h"

#include "CliCommands.h"
#include "core/Catalogue.h"
#include "selection/IndustrySearch.h"
#include "enterprise/EnterpriseRecord.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>

using namespace zorva;

namespace {

constexpr int kEnterprises = 10000;

// Balanced statements with cents, a few of them refused by the checks
// (unbalanced, no name, a year without data in some data sets).
std::string generatedCsv() {
    std::mt19937 rng(2010);
    std::uniform_int_distribution<long> amount(0, 50000000);  // cents
    auto money = [&] {
        long c = amount(rng);
        std::ostringstream s;
        s << c / 100 << "." << (c % 100 < 10 ? "0" : "") << c % 100;
        return s.str();
    };
    std::ostringstream csv;
    csv << "FirmName,Year,Cash,Ar,Inv,CA,OA,Invest,Ptfl,OperatingRevenue,Sales,GrossProfit,OperatingProfit,"
           "InterestExpense,PretaxProfit,ProfitAfterTax,AccountsPayable,Mtg,Bonds,ShareC,RetEarn,CurrentAssets,"
           "CurrentLiabilities\n";
    for (int i = 0; i < kEnterprises; ++i) {
        std::string cash = money(), ar = money(), inv = money(), ca = money();
        // Liabilities and equity that add up to the assets.
        long assets = 0;
        for (const auto& t : {cash, ar, inv, ca}) assets += std::lround(std::stod(t) * 100);
        long ap = assets / 4, mtg = assets / 3, share = assets / 10;
        long ret = assets - ap - mtg - share;
        auto cents = [](long c) {
            std::ostringstream s;
            s << (c < 0 ? "-" : "") << std::labs(c) / 100 << "." << (std::labs(c) % 100 < 10 ? "0" : "") << std::labs(c) % 100;
            return s.str();
        };
        if (i % 97 == 0) ret += 100;  // out of balance
        csv << (i % 211 == 0 ? "" : "Enterprise " + std::to_string(i)) << "," << 2008 + i % 3 << "," << cash << ","
            << ar << "," << inv << "," << ca << ",0,0,0," << money() << "," << money() << "," << money() << ","
            << money() << "," << money() << "," << money() << "," << money() << "," << cents(ap) << "," << cents(mtg)
            << ",0," << cents(share) << "," << cents(ret) << "," << money() << "," << money() << "\n";
    }
    return csv.str();
}

struct Setup {
    bool ok = false;
    std::string why, naics, title, csv;
    const DatasetChoice* dataset = FindChoice("optVol3");
    Setup() {
        ok = bench::OpenShippedStores(&why);
        if (!ok) return;
        subSetDataTable(dataset->option);
        naics = bench::FirstIndustry(gstrDataTable);
        auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, 0);
        title = industry ? industry->title : std::string();
        csv = generatedCsv();
    }
};
Setup& setup() {
    static Setup s;
    return s;
}

void BM_Compare10000Enterprises(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    long failed = 0;
    for (auto _ : state) {
        auto inputs = cli::ReadEnterprises(setup().csv, setup().naics, 0);
        std::ostringstream out;
        failed = cli::CompareAll(inputs, *setup().dataset, setup().naics, setup().title, 0, out);
        benchmark::DoNotOptimize(out.str());
    }
    state.counters["enterprises"] = kEnterprises;
    state.counters["refused"] = static_cast<double>(failed);
}
BENCHMARK(BM_Compare10000Enterprises)->Unit(benchmark::kMillisecond);

// The same 10,000 enterprises one by one through the comparison report's
// preparation and its table (each: extraction, the row written, read back),
// as the tool compared before the batch. Slow (tens of seconds): run it with
// --benchmark_filter=ThroughTheTable.
void BM_Compare10000EnterprisesThroughTheTable(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    long failed = 0;
    for (auto _ : state) {
        auto inputs = cli::ReadEnterprises(setup().csv, setup().naics, 0);
        std::ostringstream out;
        failed = 0;
        for (const auto& input : inputs) {
            bool ok = false;
            out << cli::CompareOne(input, *setup().dataset, setup().naics, setup().title, 0, &ok) << "\n";
            failed += !ok;
        }
        benchmark::DoNotOptimize(out.str());
    }
    state.counters["refused"] = static_cast<double>(failed);
}
BENCHMARK(BM_Compare10000EnterprisesThroughTheTable)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// Reading, normalising, subtotals, checks and comparison values of the 10,000
// enterprises, without the database.
void BM_EnterpriseRecords10000(benchmark::State& state) {
    const std::string csv = setup().csv.empty() ? generatedCsv() : setup().csv;
    for (auto _ : state) {
        auto inputs = cli::ReadEnterprises(csv, "111", 0);
        for (auto& in : inputs) {
            RecordTexts r = in.record;
            subRemoveBlanksCommas(r);
            benchmark::DoNotOptimize(CheckBeforeComparison(r));
            benchmark::DoNotOptimize(BuildComparisonValues(r, "111", "Industry"));
        }
    }
}
BENCHMARK(BM_EnterpriseRecords10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
