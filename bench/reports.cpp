// From the call of PrepareAndShowReport to a rendered document, per report
// type: the preparation of the report tables on the shipped data stores, the
// template rendered in the same transaction, and the document laid out in
// pages (what the viewer shows). Run on a copy of the application folder.

#include "BenchStores.h"
#include "CliCommands.h"
#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/RecordStore.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportViewerLogic.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace zorva;

namespace {

const char* kCsv =
    "FirmName,Year,Cash,Ar,Inv,CA,OA,Invest,Ptfl,OperatingRevenue,Sales,GrossProfit,OperatingProfit,"
    "InterestExpense,PretaxProfit,ProfitAfterTax,AccountsPayable,Paper,Mtg,Bonds,Ol,AmtsAffil,OLiab,DefTax,"
    "ShareC,RetEarn,OtherSur,CurrentAssets,CurrentLiabilities\n"
    "Harbourview Fine Foods,2010,85000,121000,314000,360000,40000,50000,30000,2480000,2400000,563000,129000,"
    "36500,101700,84300,213000,0,120000,0,102000,65000,20000,5000,50000,-25000,450000,570000,313000\n";

std::vector<std::string> ComparisonValues(const std::string& naics) {
    auto inputs = cli::ReadEnterprises(kCsv, naics, 0);
    RecordTexts record = inputs.at(0).record;
    subRemoveBlanksCommas(record);
    return BuildComparisonValues(record, naics, "Oilseed and grain farming");
}

// The enterprise saved for 2008, 2009 and 2010 (the trend reads the saved years).
void SaveThreeYears() {
    auto inputs = cli::ReadEnterprises(kCsv, "1111", 0);
    RecordTexts record = inputs.at(0).record;
    subRemoveBlanksCommas(record);
    for (std::int16_t y : {2008, 2009, 2010}) {
        record[Field::Year] = std::to_string(y);
        store::SaveRecord(gcnUser, record, y);
    }
}

void RenderReport(benchmark::State& state, const std::string& type) {
    const std::string naics = "1111";
    const auto values = type == "com" || type == "tre" ? ComparisonValues(naics) : std::vector<std::string>{};
    if (type == "tre") SaveThreeYears();
    for (auto _ : state) {
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, 3, "NS", 2010, naics, "E", values);
        if (!prepared) {
            state.SkipWithError("the report was not prepared");
            break;
        }
        auto doc = report::MakeDocument(prepared->rendered);
        benchmark::DoNotOptimize(doc->pageCount());  // laid out in pages by MakeDocument
    }
}

// The comparison up to the rendered HTML and charts, without the document.
void BM_ComparisonPrepared(benchmark::State& state) {
    const auto values = ComparisonValues("1111");
    for (auto _ : state) {
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, "com", 3, "NS", 2010, "1111", "E", values);
        benchmark::DoNotOptimize(prepared.has_value());
    }
}
BENCHMARK(BM_ComparisonPrepared)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_Ratios(benchmark::State& s) { RenderReport(s, "rat"); }
void BM_BalanceSheet(benchmark::State& s) { RenderReport(s, "bal"); }
void BM_Comparison(benchmark::State& s) { RenderReport(s, "com"); }
// The trend of three saved years: 15 charts and the structure of each year.
void BM_Trend(benchmark::State& s) { RenderReport(s, "tre"); }

BENCHMARK(BM_Ratios)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_BalanceSheet)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_Comparison)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_Trend)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    // A copy of the application folder: the preparations write the user store.
    std::string why;
    if (!bench::OpenShippedStores(&why)) {
        std::cerr << why << "\n";
        return 1;
    }
    const fs::path dir = AppPath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DisconnectFromDB(gcnIndustry);
    DisconnectFromDB(gcnUser);
    fs::remove_all(dir);
    return 0;
}
