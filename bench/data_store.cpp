// The industry data store from its illustrative source: the generator that
// simulates the enterprises and writes data/industry/*.csv (target: well under
// a minute), and the builder that checks that source and writes ZOR_DATA.mdb
// (target: a few seconds). Together they make the whole store.

#include "store/Diagnostics.h"
#include "store/Store.h"
#include "store/Validate.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kSource = ZORVA_BENCH_SOURCE_DIR;

fs::path ScratchDir(const char* name) {
    fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void BM_GenerateIndustrySource(benchmark::State& state) {
    const fs::path out = ScratchDir("zorva-bench-generate");
    const std::string python = fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    const std::string cmd = python + " '" + kSource + "/tools/zorva-data/gen/generate.py' --out '" + out.string() + "'";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("the generator failed");
            break;
        }
    }
    fs::remove_all(out);
}
BENCHMARK(BM_GenerateIndustrySource)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_CheckAndBuildIndustryStore(benchmark::State& state) {
    const fs::path dir = ScratchDir("zorva-bench-build");
    const std::string store = (dir / "ZOR_DATA.mdb").string();
    for (auto _ : state) {
        zorvadata::Diagnostics diags;
        zorvadata::IndustrySource src;
        zorvadata::StoreSummary summary;
        if (!zorvadata::loadIndustrySource(kSource + "/data/industry", src, diags)) {
            state.SkipWithError("the shipped source has problems");
            break;
        }
        zorvadata::fillIndustryDescriptions(src);
        fs::remove(store);
        if (!zorvadata::writeIndustryStore(src, store, diags, summary)) {
            state.SkipWithError("the store could not be written");
            break;
        }
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_CheckAndBuildIndustryStore)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
