// The office's user store on a PostgreSQL server beside the SQLite file, on
// the same work: saving a record (name check, replace lookup, then the save's
// one transaction), opening a record from the list of 500, and preparing the
// comparison (the report tables filled and read back for the report). The
// server is a throwaway one on a local Unix socket, with its default
// durability (commits wait for the disk, as SQLite's do).
//
// Each benchmark runs once per store: .../sqlite and .../postgresql.

#include "BenchStores.h"
#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/RecordStore.h"
#include "reports/render/ReportViewerLogic.h"
#include "store/Diagnostics.h"
#include "store/ServerStore.h"
#include "store/Validate.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace zorva;

namespace {

constexpr int kStored = 500;
ConnectionHandle gFile, gServer;

RecordTexts statement(const std::string& name) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = name;
    r[Field::Year] = "2010";
    r[Field::NAICS] = "1111";
    const std::pair<Field, const char*> amounts[] = {
        {Field::Cash, "85000"}, {Field::Ar, "121000"}, {Field::Inv, "314000"}, {Field::CA, "360000"},
        {Field::OperatingRevenue, "2480000"}, {Field::Sales, "2400000"}, {Field::GrossProfit, "563000"},
        {Field::OperatingProfit, "129000"}, {Field::PretaxProfit, "101700"}, {Field::ProfitAfterTax, "84300"},
        {Field::AccountsPayable, "213000"}, {Field::Mtg, "120000"}, {Field::ShareC, "50000"},
        {Field::RetEarn, "-25000"}, {Field::OtherSur, "446000"}, {Field::CurrentAssets, "520000"},
        {Field::CurrentLiabilities, "213000"}};
    for (const auto& [f, v] : amounts) r[f] = v;
    subCalculateSubTotals(r);
    return r;
}

void fill(ConnectionHandle& cn) {
    Transaction tx(cn);
    ExecCmdInDB(cn, "delete * from MyValues");
    for (int i = 0; i < kStored; ++i) store::SaveRecord(cn, statement("Enterprise " + std::to_string(i)), 2010);
    tx.Commit();
}

void BM_Save(benchmark::State& state, ConnectionHandle* cn) {
    RecordTexts r = statement("Enterprise 250");
    for (auto _ : state) {
        benchmark::DoNotOptimize(store::VerifyFirmName(r[Field::FirmName], 0));
        benchmark::DoNotOptimize(store::RecordExists(*cn, r[Field::FirmName], 2010));
        store::SaveRecord(*cn, r, 2010);
    }
}

void BM_OpenFromList(benchmark::State& state, ConnectionHandle* cn) {
    for (auto _ : state) {
        auto list = store::ListFirms(*cn, 0);
        list->Move(kStored / 2);
        benchmark::DoNotOptimize(store::LoadRecord(*cn, list->Fields(0).toString(), 2010));
    }
}

void BM_PrepareComparison(benchmark::State& state, ConnectionHandle* cn) {
    RecordTexts r = statement("Harbourview Fine Foods");
    subRemoveBlanksCommas(r);
    const auto values = BuildComparisonValues(r, "1111", "Oilseed and grain farming");
    for (auto _ : state) {
        auto prepared = report::PrepareReport(gcnIndustry, *cn, "com", 3, "NS", 2010, "1111", "E", values);
        if (!prepared) {
            state.SkipWithError("the comparison was not prepared");
            break;
        }
        benchmark::DoNotOptimize(prepared->rendered.html.size());
    }
}

#define ZORVA_BOTH(fn, iterations)                                                                         \
    BENCHMARK_CAPTURE(fn, sqlite, &gFile)->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(10)->ReportAggregatesOnly(true); \
    BENCHMARK_CAPTURE(fn, postgresql, &gServer)->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(10)->ReportAggregatesOnly(true)

ZORVA_BOTH(BM_Save, 20);
ZORVA_BOTH(BM_OpenFromList, 20);
ZORVA_BOTH(BM_PrepareComparison, 5);

int run(const std::string& command) { return std::system(command.c_str()); }

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    std::string why;
    if (!bench::OpenShippedStores(&why)) {
        std::cerr << why << "\n";
        return 1;
    }
    const fs::path dir = AppPath();
    gFile = gcnUser;
    // A server with its default durability on a socket in the folder.
    const std::string script = std::string(ZORVA_BENCH_SOURCE_DIR) + "/tests/support/pg-test-server";
    // A folder of its own in the temporary folder: the server runs as nobody
    // when the benchmark runs as root, and must reach it.
    std::string socket = (fs::temp_directory_path() / "zorva-bench-pg-XXXXXX").string();
    if (!mkdtemp(socket.data())) return 1;
    if (run("ZORVA_PG_DURABLE=1 " + script + " start '" + socket + "' >/dev/null") != 0) {
        std::cerr << "the PostgreSQL server did not start\n";
        return 1;
    }
    int status = 0;
    try {
        const std::string root = "postgresql://zorva@/postgres?host=" + socket;
        ConnectionHandle admin;
        ConnectToFile(admin, root, "unknown");
        ExecCmdInDB(admin, "create database bench");
        DisconnectFromDB(admin);
        const std::string address = "postgresql://zorva@/bench?host=" + socket;
        zorvadata::Diagnostics diags;
        zorvadata::UserSource src;
        zorvadata::StoreSummary summary;
        if (!zorvadata::loadUserSource(AppFile("user"), src, diags) &&
            !zorvadata::loadUserSource(std::string(ZORVA_BENCH_SOURCE_DIR) + "/data/user", src, diags))
            throw std::runtime_error(diags.text());
        if (!zorvadata::updateServerStore(src, address, {}, diags, summary)) throw std::runtime_error(diags.text());
        ConnectToFile(gServer, address, "unknown");
        fill(gFile);
        fill(gServer);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        status = 1;
    }
    DisconnectFromDB(gServer);
    gFile.reset();
    DisconnectFromDB(gcnIndustry);
    DisconnectFromDB(gcnUser);
    run(script + " kill '" + socket + "'");
    fs::remove_all(socket);
    fs::remove_all(dir);
    return status;
}
