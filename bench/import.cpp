// zorva-cli import --values as a whole process, as an office runs it on a
// portfolio: 1,000, 10,000 and 100,000 enterprises imported into the shipped
// (empty) user store, and again with --replace into a store that already
// holds every one of them. Each run starts from its own copy of the store;
// the time is the process's, from start to exit. Counters: enterprises per
// second and the process's peak memory (MB), which stays flat when memory
// does not grow with the file.
//
// Targets: 10,000 enterprises in at most 1 s, with --replace in at most
// 1.5 s, 100,000 in at most 10 s.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const fs::path kApp = ZORVA_BENCH_APP_DIR;

fs::path workDir() {
    static const fs::path dir = [] {
        std::string tmpl = (fs::temp_directory_path() / "zorva-bench-import-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a temporary folder");
        return fs::path(tmpl);
    }();
    return dir;
}

// A portfolio of n balanced enterprises (the columns compare and import read).
fs::path portfolio(long n) {
    const fs::path path = workDir() / ("portfolio-" + std::to_string(n) + ".csv");
    if (fs::exists(path)) return path;
    std::ofstream out(path, std::ios::binary);
    out << "FirmName,Year,NAICS,Cash,Ar,Inv,AccountsPayable,ShareC,OperatingRevenue,ProfitAfterTax\n";
    for (long i = 0; i < n; ++i) {
        const long cash = 1000 + (i * 7919) % 90000, ar = 2000 + (i * 104729) % 50000, inv = 500 + i % 7000;
        const long payable = (cash + ar + inv) / 3;
        out << "Enterprise " << i << "," << 2008 + i % 3 << ",721," << cash << "," << ar << "," << inv << ","
            << payable << "," << cash + ar + inv - payable << "," << 100000 + i % 900000 << "," << i % 5000 << "\n";
    }
    return path;
}

struct Exit {
    int status = -1;
    double peakMb = 0;
};

// Runs zorva-cli on the folder `app`; its output goes to a file.
Exit runCli(const fs::path& app, const std::vector<std::string>& args) {
    std::vector<std::string> all = {(kApp / "zorva-cli").string(), "--app-dir", app.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (app / "import-output.jsonl").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Exit e;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        struct rusage usage {};
        if (wait4(pid, &status, 0, &usage) == pid) {
            e.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            e.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return e;
}

// A fresh application folder: the shipped stores, or the stores of `from`.
fs::path freshApp(const fs::path& name, const fs::path& from = kApp) {
    const fs::path app = workDir() / name;
    fs::remove_all(app);
    fs::create_directories(app);
    for (const char* f : {"ZOR_DATA.mdb", "myData.mdb"}) fs::copy_file(from / f, app / f);
    return app;
}

void BM_Import(benchmark::State& state) {
    const long n = state.range(0);
    const bool replace = state.range(1) != 0;
    if (!fs::exists(kApp / "zorva-cli") || !fs::exists(kApp / "myData.mdb")) {
        state.SkipWithError("build the application folder first");
        return;
    }
    const fs::path csv = portfolio(n);
    // For --replace: a store that already holds every enterprise of the file.
    fs::path full;
    if (replace) {
        full = freshApp("full-" + std::to_string(n));
        if (runCli(full, {"import", "--values", csv.string()}).status != 0) {
            state.SkipWithError("the first import failed");
            return;
        }
    }
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path app = replace ? freshApp("run", full) : freshApp("run");
        std::vector<std::string> args = {"import", "--values", csv.string()};
        if (replace) args.push_back("--replace");
        state.ResumeTiming();
        const Exit e = runCli(app, args);
        state.PauseTiming();
        if (e.status != 0) state.SkipWithError("zorva-cli import failed");
        peak = std::max(peak, e.peakMb);
        state.ResumeTiming();
    }
    state.counters["enterprises_per_s"] =
        benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_Import)
    ->ArgNames({"enterprises", "replace"})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
