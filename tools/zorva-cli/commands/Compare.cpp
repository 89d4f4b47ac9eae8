// zorva-cli compare: enterprises of a file compared with their industries, streamed.

#include "commands/Commands.h"

#include "CliCommands.h"
#include "CliMessages.h"
#include "CompareStream.h"
#include "Json.h"

#include <atomic>
#include <csignal>
#include <ostream>
#include <sstream>

namespace zorva::cli {

namespace {

// Ctrl+C during a comparison: the output ends at a row boundary.
std::atomic<bool> gStopCompare{false};
extern "C" void onInterrupt(int) { gStopCompare = true; }

} // namespace

int cmdCompare(const Options& o, std::ostream& out, std::ostream& err) {
    requireOptions(o, {"values"});
    CompareRun run;
    run.valuesPath = o.get("values");
    refuseStoreFile(run.valuesPath);
    run.language = languageOf(o);
    if (o.has("dataset")) run.dataset = &datasetOf(o);
    if (o.has("naics")) run.naics = o.get("naics");
    if (o.has("out")) run.outPath = o.get("out");
    if (o.has("out")) refuseStoreFile(run.outPath);
    if (o.has("fields")) {
        std::stringstream list(o.get("fields"));
        for (std::string f; std::getline(list, f, ',');) {
            while (!f.empty() && f.back() == ' ') f.pop_back();
            while (!f.empty() && f.front() == ' ') f.erase(0, 1);
            if (!f.empty()) run.fields.push_back(f);
        }
        if (run.fields.empty()) throw UsageError("--fields needs a list of columns");
    }
    if (o.has("threads")) {
        const std::string& t = o.get("threads");
        if (t.empty() || t.size() > 2 || t.find_first_not_of("0123456789") != std::string::npos || std::stoi(t) < 1)
            throw UsageError("--threads must be a number from 1 to 99, not " + t);
        run.threads = static_cast<unsigned>(std::stoi(t));
    }
    run.progress = &err;
    gStopCompare = false;
    run.stop = &gStopCompare;
    struct sigaction stop {}, saved {};
    stop.sa_handler = onInterrupt;
    // A second Ctrl+C ends the program at once; a write to a pipe that the
    // signal interrupts goes on (no output is cut in the middle of a row).
    stop.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, &saved);
    struct Restore {
        struct sigaction* saved;
        ~Restore() { sigaction(SIGINT, saved, nullptr); }
    } restore{&saved};

    CompareTotals totals;
    try {
        totals = CompareEnterprises(run, out);
    } catch (const InputRefused& e) {
        throw UsageError(run.valuesPath + ": " + e.what());
    }
    if (!run.outPath.empty())
        out << JsonObject()
                   .addString("out", run.outPath)
                   .add("enterprises", Json(totals.compared))
                   .add("refused", Json(totals.refused))
                   .str()
            << "\n";
    out.flush();
    if (!totals.notWritten.empty()) {
        err << "zorva-cli: " << totals.notWritten << "\n";
        return kExitFailed;
    }
    if (totals.stopped) {
        err << "zorva-cli: stopped; the output holds the first " << totals.compared + totals.refused << " rows\n";
        return kExitInterrupted;
    }
    return totals.refused == 0 ? kExitOk : kExitFailed;
}

} // namespace zorva::cli
