// Preparing each of the three reports on the shipped data store: the copy of
// three years of an industry, the title tables and, for the comparison, the
// enterprise's row of Rpt_Comparison. Each preparation is one transaction on
// the user store.

#include "BenchStores.h"

#include "core/Catalogue.h"
#include "enterprise/EnterpriseRecord.h"
#include "reports/prep/ReportPrep.h"

#include <benchmark/benchmark.h>

using namespace zorva;

namespace {

struct Setup {
    bool ok = false;
    std::string why, naics;
    Setup() {
        ok = bench::OpenShippedStores(&why);
        if (ok) naics = bench::FirstIndustry(RatioTableName(3, "ALL", 2010));
    }
};
Setup& setup() {
    static Setup s;
    return s;
}

void BM_PrepareRatiosReport(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            fncPrepareRatiosReport(gcnIndustry, gcnUser, "rat", 3, "ALL", 2010, setup().naics, "E"));
}
BENCHMARK(BM_PrepareRatiosReport)->Unit(benchmark::kMillisecond);

void BM_PrepareBalanceSheetReport(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            fncPrepareBalanceSheetReport(gcnIndustry, gcnUser, "bal", 3, "ALL", 2010, setup().naics, "F"));
}
BENCHMARK(BM_PrepareBalanceSheetReport)->Unit(benchmark::kMillisecond);

void BM_PrepareComparisonReport(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = "Benchmark Ltd";
    r[Field::Year] = "2009";
    const std::pair<Field, const char*> amounts[] = {
        {Field::Cash, "50000"},        {Field::Ar, "120000"},          {Field::Inv, "80000"},
        {Field::CA, "250000"},         {Field::AccountsPayable, "90000"}, {Field::Mtg, "150000"},
        {Field::ShareC, "100000"},     {Field::RetEarn, "160000"},     {Field::OperatingRevenue, "900000"},
        {Field::Sales, "880000"},      {Field::GrossProfit, "300000"}, {Field::OperatingProfit, "70000"},
        {Field::InterestExpense, "8000"}, {Field::PretaxProfit, "62000"}, {Field::ProfitAfterTax, "48000"},
        {Field::CurrentAssets, "250000"}, {Field::CurrentLiabilities, "110000"}};
    for (const auto& [f, v] : amounts) r[f] = v;
    subCalculateSubTotals(r);
    const auto values = BuildComparisonValues(r, setup().naics, "Industry");
    for (auto _ : state)
        benchmark::DoNotOptimize(fncPrepareComparisonReport(gcnIndustry, gcnUser, "com", 3, "ALL", 2009,
                                                            setup().naics, "E", values));
}
BENCHMARK(BM_PrepareComparisonReport)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
