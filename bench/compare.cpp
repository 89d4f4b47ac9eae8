// zorva-cli compare as a lender runs it: a file of enterprises in, one JSON
// line per enterprise out, timed end to end as a process (start-up, the
// stores opened, the file read, compared and written), beside a plain Python
// program computing the same rows (bench/compare_reference.py, Debian's
// python3) timed the same way in the same run. Each reports its peak
// resident memory ("peak_MiB").
//
//   10,000 enterprises of one industry                    make bench
//   1,000,000 enterprises across 20 industries            make bench-portfolio
//
// The million-enterprise benchmarks are registered only with
// ZORVA_BENCH_MILLION=1 (the make target sets it): each run takes seconds, the
// Python reference minutes.

#include "BenchStores.h"

#include "CliCommands.h"
#include "core/Catalogue.h"
#include "enterprise/EnterpriseRecord.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace zorva;

namespace {

// Balanced statements with cents, a few of them refused by the checks
// (unbalanced, no name), years 2008 to 2010; with `industries`, a NAICS
// column cycling through them.
void writeEnterprises(const std::string& path, long count, const std::vector<std::string>& industries) {
    std::mt19937 rng(2010);
    std::uniform_int_distribution<long> amount(0, 50000000);  // cents
    auto cents = [](long c) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s%ld.%02ld", c < 0 ? "-" : "", std::labs(c) / 100, std::labs(c) % 100);
        return std::string(buf);
    };
    std::ofstream csv(path, std::ios::binary);
    csv << (industries.empty() ? "" : "NAICS,")
        << "FirmName,Year,Cash,Ar,Inv,CA,OA,Invest,Ptfl,OperatingRevenue,Sales,GrossProfit,OperatingProfit,"
           "InterestExpense,PretaxProfit,ProfitAfterTax,AccountsPayable,Mtg,Bonds,ShareC,RetEarn,CurrentAssets,"
           "CurrentLiabilities\n";
    std::string line;
    for (long i = 0; i < count; ++i) {
        long a[4];
        long assets = 0;
        for (long& x : a) assets += x = amount(rng);
        const long ap = assets / 4, mtg = assets / 3, share = assets / 10;
        long ret = assets - ap - mtg - share;
        if (i % 97 == 0) ret += 100;  // out of balance
        line.clear();
        if (!industries.empty()) line += industries[static_cast<size_t>(i) % industries.size()] + ",";
        line += (i % 211 == 0 ? "" : "Enterprise " + std::to_string(i)) + "," + std::to_string(2008 + i % 3);
        for (long x : a) line += "," + cents(x);
        line += ",0,0,0";
        for (int k = 0; k < 7; ++k) line += "," + cents(amount(rng));
        line += "," + cents(ap) + "," + cents(mtg) + ",0," + cents(share) + "," + cents(ret);
        line += "," + cents(amount(rng)) + "," + cents(amount(rng)) + "\n";
        csv << line;
    }
}

struct Setup {
    bool ok = false;
    std::string why, dir, naics;
    std::vector<std::string> twenty;
    Setup() {
        ok = bench::OpenShippedStores(&why);
        if (!ok) return;
        dir = AppPath();
        subSetDataTable("optVol3");
        auto rs = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
        for (rs->MoveFirst(); !rs->Eof() && twenty.size() < 20; rs->MoveNext()) twenty.push_back(rs->Fields(0).toString());
        naics = twenty.empty() ? std::string() : twenty.front();
    }
    std::string file(const std::string& name) const { return dir + "/" + name; }
};
Setup& setup() {
    static Setup s;
    return s;
}

// Runs a program with its standard output sent to a file; the wall time in
// seconds and the child's peak resident memory in MiB.
struct ProcessRun {
    bool ok = false;
    double seconds = 0, peakMiB = 0;
};
ProcessRun runProcess(const std::vector<std::string>& argv, const std::string& outPath) {
    ProcessRun r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) return r;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) <= 1;  // 1: some rows refused, as generated
    return r;
}

void timeProcess(benchmark::State& state, const std::vector<std::string>& argv, long enterprises) {
    double peak = 0;
    for (auto _ : state) {
        ProcessRun r = runProcess(argv, setup().file("out.jsonl"));
        if (!r.ok) return state.SkipWithError(("failed: " + argv[0]).c_str());
        state.SetIterationTime(r.seconds);
        peak = std::max(peak, r.peakMiB);
    }
    state.counters["peak_MiB"] = peak;
    state.counters["enterprises"] = static_cast<double>(enterprises);
}

std::vector<std::string> cli(const std::string& values, bool naicsOption) {
    std::vector<std::string> a = {std::string(ZORVA_BENCH_APP_DIR) + "/zorva-cli", "--app-dir", setup().dir, "compare",
                                  "--dataset", "optVol3", "--values", values};
    if (naicsOption) a.insert(a.end(), {"--naics", setup().naics});
    return a;
}

std::vector<std::string> python(const std::string& values) {
    return {"/usr/bin/python3", ZORVA_BENCH_SOURCE_DIR "/bench/compare_reference.py", setup().dir, "3", "ALL",
            setup().naics, values};
}

const std::string& tenThousand() {
    static const std::string path = [] {
        const std::string p = setup().file("enterprises-10000.csv");
        writeEnterprises(p, 10000, {});
        return p;
    }();
    return path;
}

const std::string& million() {
    static const std::string path = [] {
        const std::string p = setup().file("enterprises-1000000.csv");
        writeEnterprises(p, 1000000, setup().twenty);
        return p;
    }();
    return path;
}

void BM_Compare10000Enterprises(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    timeProcess(state, cli(tenThousand(), true), 10000);
}
BENCHMARK(BM_Compare10000Enterprises)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PythonReference10000Enterprises(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    timeProcess(state, python(tenThousand()), 10000);
}
BENCHMARK(BM_PythonReference10000Enterprises)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CompareMillionEnterprises20Industries(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    timeProcess(state, cli(million(), false), 1000000);
}

void BM_PythonReferenceMillionEnterprises20Industries(benchmark::State& state) {
    if (!setup().ok) return state.SkipWithError(setup().why.c_str());
    timeProcess(state, python(million()), 1000000);
}

// Reading, normalising, subtotals, checks and comparison values of 10,000
// enterprises, in this process and without the database.
void BM_EnterpriseRecords10000(benchmark::State& state) {
    std::ifstream in(tenThousand());
    std::stringstream text;
    text << in.rdbuf();
    for (auto _ : state) {
        auto inputs = cli::ReadEnterprises(text.str(), "111", 0);
        for (auto& input : inputs) {
            RecordTexts r = input.record;
            subRemoveBlanksCommas(r);
            benchmark::DoNotOptimize(CheckBeforeComparison(r));
            benchmark::DoNotOptimize(BuildComparisonValues(r, "111", "Industry"));
        }
    }
}
BENCHMARK(BM_EnterpriseRecords10000)->Unit(benchmark::kMillisecond);

[[maybe_unused]] const bool kMillionRegistered = [] {
    const char* on = std::getenv("ZORVA_BENCH_MILLION");
    if (!on || std::string(on) != "1") return false;
    benchmark::RegisterBenchmark("BM_CompareMillionEnterprises20Industries", BM_CompareMillionEnterprises20Industries)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
    // Minutes per run: once is enough to read the ratio.
    benchmark::RegisterBenchmark("BM_PythonReferenceMillionEnterprises20Industries",
                                 BM_PythonReferenceMillionEnterprises20Industries)
        ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(1);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
