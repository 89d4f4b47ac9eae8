// The values screen's store work on a copy of the application folder holding
// 500 saved enterprises: saving a record (name check, replace lookup, then
// delete and insert in one transaction), opening a record from the list (the
// list read, then the chosen row), and Compare up to the comparison report
// laid out in pages (the checks, the comparison values, the preparation and
// the rendering the viewer shows).

#include "BenchStores.h"
#include "core/AppPath.h"
#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/RecordStore.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportViewerLogic.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace zorva;

namespace {

constexpr int kStored = 500;

RecordTexts statement(const std::string& name) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = name;
    r[Field::Year] = "2010";
    r[Field::NAICS] = "1111";
    const std::pair<Field, const char*> amounts[] = {
        {Field::Cash, "85000"},          {Field::Ar, "121000"},          {Field::Inv, "314000"},
        {Field::CA, "360000"},           {Field::OA, "40000"},           {Field::Invest, "50000"},
        {Field::Ptfl, "30000"},          {Field::OperatingRevenue, "2480000"}, {Field::Sales, "2400000"},
        {Field::GrossProfit, "563000"},  {Field::OperatingProfit, "129000"}, {Field::InterestExpense, "36500"},
        {Field::PretaxProfit, "101700"}, {Field::ProfitAfterTax, "84300"}, {Field::AccountsPayable, "213000"},
        {Field::Mtg, "120000"},          {Field::Ol, "102000"},          {Field::AmtsAffil, "65000"},
        {Field::OLiab, "20000"},         {Field::DefTax, "5000"},        {Field::ShareC, "50000"},
        {Field::RetEarn, "-25000"},      {Field::OtherSur, "450000"},    {Field::CurrentAssets, "570000"},
        {Field::CurrentLiabilities, "313000"}};
    for (const auto& [f, v] : amounts) r[f] = v;
    subCalculateSubTotals(r);
    return r;
}

void BM_SaveRecord(benchmark::State& state) {
    RecordTexts r = statement("Enterprise 250");
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::VerifyFirmName(r[Field::FirmName], 0));
        benchmark::DoNotOptimize(store::RecordExists(gcnUser, r[Field::FirmName], 2010));
        store::SaveRecord(gcnUser, r, 2010);
    }
}

// The same with the disk flush at commit left to the system (what the save
// costs apart from waiting for the disk); the program keeps the full flush.
void BM_SaveRecordWithoutFlush(benchmark::State& state) {
    sqlite3_exec(gcnUser->handle(), "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    BM_SaveRecord(state);
    sqlite3_exec(gcnUser->handle(), "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
}

void BM_OpenRecordFromList(benchmark::State& state) {
    for (auto _ : state) {
        auto list = store::ListFirms(gcnUser, 0);
        list->Move(kStored / 2);
        auto record = store::LoadRecord(gcnUser, list->Fields(0).toString(), 2010);
        benchmark::DoNotOptimize(record);
    }
}

void BM_CompareToReport(benchmark::State& state) {
    RecordTexts r = statement("Harbourview Fine Foods");
    const std::string naics = "1111";
    for (auto _ : state) {
        RecordTexts shown = r;
        subCalculateSubTotals(shown);
        subRemoveBlanksCommas(shown);
        if (CheckBeforeComparison(shown) != ComparisonCheck::Ok) {
            state.SkipWithError("the statement does not pass the checks");
            break;
        }
        const auto values = BuildComparisonValues(shown, naics, "Oilseed and grain farming");
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, "com", 3, "NS", 2010, naics, "E", values);
        if (!prepared) {
            state.SkipWithError("the report was not prepared");
            break;
        }
        auto doc = report::MakeDocument(prepared->rendered);
        doc->setPageSize(QSizeF(612, 792));
        benchmark::DoNotOptimize(doc->pageCount());
    }
}

BENCHMARK(BM_SaveRecord)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveRecordWithoutFlush)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenRecordFromList)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_CompareToReport)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    // A copy of the application folder: saving and the report write the user store.
    std::string why;
    if (!bench::OpenShippedStores(&why)) {
        std::cerr << why << "\n";
        return 1;
    }
    const fs::path dir = AppPath();
    {
        Transaction tx(gcnUser);
        ExecCmdInDB(gcnUser, "delete * from MyValues");
        for (int i = 0; i < kStored; ++i) store::SaveRecord(gcnUser, statement("Enterprise " + std::to_string(i)), 2010);
        tx.Commit();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DisconnectFromDB(gcnIndustry);
    DisconnectFromDB(gcnUser);
    fs::remove_all(dir);
    return 0;
}
