#include "CliCommands.h"

#include "CompareStream.h"
#include "Enterprises.h"
#include "Json.h"

#include "core/Edition.h"
#include "core/AppPath.h"
#include "core/Globals.h"
#include "core/Services.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "enterprise/ImportFlow.h"
#include "enterprise/RecordStore.h"
#include "enterprise/SheetFile.h"
#include "enterprise/ValuesFlow.h"
#include "selection/IndustrySearch.h"
#include "selection/WordSearch.h"
#include "reports/prep/BatchComparison.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportExport.h"
#include "reports/prep/ReportPrep.h"
#include "reports/render/ReportViewerLogic.h"

#include <QGuiApplication>
#include <QStringDecoder>

#include <atomic>
#include <csignal>
#include <fstream>
#include <optional>
#include <iostream>
#include <unistd.h>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <strings.h>

namespace zorva::cli {

namespace {

// ---------------------------------------------------------------- usage

const char* kUsage =
    "Usage: zorva-cli [--app-dir DIR] COMMAND [OPTIONS]\n"
    "\n"
    "Commands (each prints JSON on stdout, one object per line):\n"
    "  datasets     the nineteen data sets of the catalogue\n"
    "  industries   the industries of a data set\n"
    "  compare      compare enterprises (a CSV file) with an industry\n"
    "  prepare      prepare the ratios or balance-sheet report of an industry\n"
    "  report       render a report to a PDF or HTML file\n"
    "  import       store enterprises (a CSV file, a statement) or books in the user store\n"
    "  list         the enterprises saved in the user store\n"
    "  open         one saved enterprise, as the values screen opens it\n"
    "  store        which user store is in use\n"
    "\n"
    "Common options:\n"
    "  --app-dir DIR  read the data stores ZOR_DATA.mdb and myData.mdb of DIR\n"
    "                 (default: the program's application folder)\n"
    "  --industry-store FILE  read the benchmarks from the industry data store FILE\n"
    "                 (another edition), as the program's --industry-store; also\n"
    "                 the variable ZORVA_INDUSTRY_STORE (default: ZOR_DATA.mdb of\n"
    "                 the application folder)\n"
    "  --user-store FILE  use FILE as the user data store (made if missing), as\n"
    "                 the program's --user-store; also the variable ZORVA_USER_STORE;\n"
    "                 a server address (postgresql://HOST/DB, service=NAME) uses\n"
    "                 the office's store on a PostgreSQL server; keep its password\n"
    "                 in ~/.pgpass or a service file, never in the address (a\n"
    "                 command line is visible to other users in the process list)\n"
    "                 (default: myData.mdb of the application folder, or\n"
    "                 ~/.local/share/zorva/myData.mdb for an installed program)\n"
    "  --lang en|fr   language of texts and messages (default en)\n"
    "  --help         this text, or a command's own help after its name\n"
    "\n"
    "Exit status: 0 success, 1 a comparison row or the work failed, 2 bad\n"
    "arguments or an unreadable file.\n";

const std::map<std::string, std::string> kCommandHelp = {
    {"datasets",
     "Usage: zorva-cli datasets [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "One JSON object per data set, in catalogue order, with the keys\n"
     "option, volume, region, table (the ratio table of the edition's latest\n"
     "year), naicsTable, enabled (that table holds a row), caption, description,\n"
     "edition (the edition of the benchmarks in use, e.g. \"2008-2010\"), years\n"
     "(its reference years, latest first) and industryStore (the file read).\n"},
    {"industries",
     "Usage: zorva-cli industries --dataset OPTION [--keyword WORD] [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "One JSON object per industry of the data set (OPTION is an option name such\n"
     "as optVol1 or optNovaScotia) with the keys naics, title and sector: by title,\n"
     "or, with --keyword, the industries the search screen's key word search\n"
     "finds, in its order: first those whose title contains WORD (\"%\" and \"_\"\n"
     "are wildcards), then those whose title holds the words in another form\n"
     "(\"bakery\" finds \"Bakeries\"), then those whose definition holds them;\n"
     "the key found says which (title, word form, definition).\n"},
    {"compare",
     "Usage: zorva-cli compare --values FILE.csv|FILE.xlsx [--dataset OPTION] [--naics CODE]\n"
     "                         [--fields LIST] [--out FILE.csv|PORTFOLIO.xlsx] [--threads N]\n"
     "                         [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "FILE.csv (UTF-8; or the first sheet of FILE.xlsx) has a header row of MyValues\n"
     "column names (any letter case; FirmName and Year required; a missing amount\n"
     "is 0) and one row per enterprise. When none of Toa, Ta, Tliab, Equity1 and\n"
     "TotLiabShareEq is given they are computed; otherwise they are taken as given.\n"
     "Each row is compared with its own industry when the file has a NAICS column\n"
     "(and a Dataset column of data set options such as optVol3), otherwise with\n"
     "--naics of --dataset; these also stand for a row's empty cell.\n"
     "\n"
     "For each enterprise the checks of the values screen run (year, balance, name,\n"
     "total assets), then the comparison is computed, and one line is printed: the\n"
     "Rpt_Comparison row as a JSON object (only the columns of --fields, a comma-\n"
     "separated list, when given), or {\"line\": N, \"FirmName\": ..., \"Year\": ...,\n"
     "\"error\": \"<message>\"}. A malformed row gives {\"line\": N, \"error\": ...}\n"
     "and the run goes on. Rows are written in the order of the file.\n"
     "With --out FILE.csv the rows go into a CSV file (a header row of the column\n"
     "names); with --out FILE.xlsx into a portfolio workbook: one row per\n"
     "enterprise with each ratio and its quartile position, coloured, with a\n"
     "legend, and a second sheet with the industries' quartiles (at most 1,048,571\n"
     "enterprises, the sheet's limit). Error lines are still printed, then\n"
     "{\"out\": ..., \"enterprises\": N, \"refused\": N}.\n"
     "The file is read as a stream: memory does not grow with it. --threads N sets\n"
     "the workers (default: one per core). A progress bar is drawn on a\n"
     "terminal's standard error for long runs. Ctrl+C ends the output after a\n"
     "whole row.\n"
     "Exit status 0 when every row succeeded, 1 when any failed (or the workbook\n"
     "was full), 2 when the file cannot be used, 130 when stopped.\n"},
    {"import",
     "Usage: zorva-cli import --values FILE.csv|FILE.xlsx [--replace|--skip] [--lang en|fr] [--app-dir DIR]\n"
     "       zorva-cli import --books FILE [--year-end YYYY-MM-DD] [--name NAME] [--mapping FILE.csv]\n"
     "                        [--replace|--skip] [--accept-unbalanced] [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "--values: stores the enterprises of FILE.csv (one per row, the columns as for\n"
     "compare) in the user store, 2,000 at a time (each whole or not at all; a row's\n"
     "line is written once it is stored), or the one statement of a file\n"
     "laid out as the program's statement template (a line item and its amount on\n"
     "each row). A row whose name and year are already stored is refused, or\n"
     "replaces the stored one with --replace, or is left out with --skip. One JSON\n"
     "object per row: line, FirmName, Year and status (saved, replaced, skipped or\n"
     "refused, with its reason). Nothing is stored when the file cannot be read.\n"
     "\n"
     "--books: stores the statement of a GnuCash book (SQLite or XML) or of a trial\n"
     "balance (CSV or XLSX) for the fiscal year ending on --year-end (default: the\n"
     "last 31 December of the edition's years in the book; the reference year is its\n"
     "year), under NAME (default: the book's company name, else the file's name).\n"
     "Each account goes to the line item remembered for the book, else to the one\n"
     "--mapping FILE.csv gives (account, number, name, target), else to the one\n"
     "suggested; FILE.csv is then written with the mapping used, and a stored\n"
     "statement's mapping is remembered. A statement that does not balance is\n"
     "refused unless --accept-unbalanced. One JSON object: file, FirmName, Year,\n"
     "yearEnd, status, balanced, the totals, accounts, remembered and leftOut.\n"
     "\n"
     "Exit status 0 when nothing was refused, 1 else.\n"},
    {"list",
     "Usage: zorva-cli list [--lang en|fr] [--app-dir DIR] [--user-store FILE|ADDRESS]\n"
     "\n"
     "One JSON object per saved enterprise and year, in the order of the open-existing\n"
     "list: FirmName and Year, and on a server store SavedBy and SavedAt.\n"},
    {"open",
     "Usage: zorva-cli open --name NAME --year Y [--lang en|fr] [--app-dir DIR] [--user-store FILE|ADDRESS]\n"
     "\n"
     "Prints the saved enterprise NAME (letter case aside) of the year Y as one JSON\n"
     "object: FirmName, Year and the 32 amounts as the values screen shows them,\n"
     "or {\"error\": ...} with exit status 1 when nothing is saved under them.\n"},
    {"store",
     "Usage: zorva-cli store [--app-dir DIR] [--user-store FILE|ADDRESS]\n"
     "\n"
     "Prints which user store is in use: {\"kind\": \"file\" or \"postgresql\", \"store\": the\n"
     "file, or the server, database and user (never a password), \"records\": N,\n"
     "\"encrypted\": whether the connection to the server is encrypted}.\n"},
    {"prepare",
     "Usage: zorva-cli prepare --type rat|bal --dataset OPTION --naics CODE [--year Y] [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "Prepares the financial ratios (rat) or balance-sheet (bal) report of the\n"
     "industry for Y (default: the edition's latest year) and the two years before, and prints one JSON\n"
     "object: Rpt_Data_CY, Rpt_Data_CYM1 and Rpt_Data_CYM2 (each its row or null)\n"
     "and Rpt_Ratios_Titles or Rpt_BalanceSheet_Titles (a list of rows).\n"},
    {"report",
     "Usage: zorva-cli report --type rat|bal|com|trend --dataset OPTION --naics CODE [--year Y]\n"
     "                        [--values FILE.csv] [--name NAME] [--lang en|fr] --out FILE.pdf|.html|.csv|.xlsx [--app-dir DIR]\n"
     "\n"
     "Prepares a report as the report viewer does and renders its template into\n"
     "FILE (a PDF, or HTML when FILE ends in .html), without a display. A FILE\n"
     "ending in .csv or .xlsx receives every table of the report with its\n"
     "headings and titles, numbers as numbers with the decimals shown. The\n"
     "ratios (rat) and balance-sheet (bal) reports are for Y (default: the\n"
     "edition's latest year) and\n"
     "the two years before; the comparison (com) is of the first enterprise of\n"
     "FILE.csv (as for compare), for its own year. The trend is of the years\n"
     "saved in the user store under NAME (or the name of FILE.csv's first\n"
     "enterprise), letter case aside. Prints one JSON object: out,\n"
     "type, title and errors (problems shown in the report), or error.\n"},
};

const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"datasets", {"lang"}},
    {"industries", {"lang", "dataset", "keyword"}},
    {"compare", {"lang", "dataset", "naics", "values", "out", "fields", "threads"}},
    {"import", {"lang", "values", "replace", "skip", "books", "year-end", "name", "mapping", "accept-unbalanced"}},
    {"list", {"lang"}},
    {"open", {"lang", "name", "year"}},
    {"store", {}},
    {"prepare", {"lang", "dataset", "naics", "type", "year"}},
    {"report", {"lang", "dataset", "naics", "type", "year", "values", "name", "out"}},
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string command;
    std::string appDir;
    std::string userStore;
    std::string industryStore;
    bool help = false;
    std::map<std::string, std::string> values;
    bool has(const std::string& k) const { return values.count(k) != 0; }
    const std::string& get(const std::string& k) const { return values.at(k); }
};

Options parseArgs(const std::vector<std::string>& args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a.rfind("--", 0) == 0) {
            std::string name = a.substr(2), value;
            auto eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            } else if (name == "replace" || name == "skip" || name == "accept-unbalanced") {
                value = "yes";  // options without a value
            } else {
                if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
                value = args[++i];
            }
            if (name == "app-dir") o.appDir = value;
            else if (name == "user-store") o.userStore = value;
            else if (name == "industry-store") o.industryStore = value;
            else if (o.values.count(name)) throw UsageError("option --" + name + " given twice");
            else o.values[name] = value;
            continue;
        }
        if (o.command.empty()) o.command = a;
        else throw UsageError("unexpected argument: " + a);
    }
    return o;
}

void requireOptions(const Options& o, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (!o.has(n)) throw UsageError(o.command + " needs --" + std::string(n));
}

int languageOf(const Options& o) {
    if (!o.has("lang")) return 0;
    const std::string& l = o.get("lang");
    if (strcasecmp(l.c_str(), "en") == 0) return 0;
    if (strcasecmp(l.c_str(), "fr") == 0) return 1;
    throw UsageError("--lang must be en or fr, not " + l);
}

const DatasetChoice& datasetOf(const Options& o) {
    const DatasetChoice* c = FindChoice(o.get("dataset"));
    if (!c) throw UsageError("unknown data set: " + o.get("dataset") + " (see zorva-cli datasets)");
    return *c;
}

// Makes the choice the current data set and checks that it has data.
void chooseDataset(const DatasetChoice& c) {
    subSetDataTable(c.option);
    if (!TableExists(gcnIndustry, gstrDataTable))
        throw UsageError(std::string("the data set ") + c.option + " has no data (no table " + gstrDataTable + ")");
}

// Messages of the program, kept instead of shown.
class CapturedMessages : public MessageService {
public:
    std::string last;  // only the last is reported (an import of 100,000 rows shows as many)
    MsgAnswer okCancel = MsgAnswer::OK;  // the answer to an OK / Cancel question
    MsgAnswer yesNo = MsgAnswer::Yes;    // the answer to a Yes / No question
    MsgAnswer show(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon) override {
        last = text;
        if (buttons == MsgButtons::OKCancel) return okCancel;
        if (buttons == MsgButtons::YesNo) return yesNo;
        return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::OK;
    }
};

// The program's messages, kept for the tool's output instead of shown; its
// OK / Cancel questions (replacing a saved statement) and Yes / No questions
// (importing a statement that does not balance) answered as told.
class MessageCapture {
public:
    explicit MessageCapture(MsgAnswer okCancel = MsgAnswer::OK, MsgAnswer yesNo = MsgAnswer::Yes)
        : captured_(std::make_shared<CapturedMessages>()), saved_(services().messages) {
        captured_->okCancel = okCancel;
        captured_->yesNo = yesNo;
        services().messages = captured_;
    }
    ~MessageCapture() { services().messages = saved_; }
    std::string last() const { return captured_->last; }

private:
    std::shared_ptr<CapturedMessages> captured_;
    std::shared_ptr<MessageService> saved_;
};

// A file named on the command line that is the user store itself, or its
// log or shared memory: reading or writing it by a descriptor of this
// program's own would drop the locks of the open connection to the store.
void refuseStoreFile(const std::string& path) {
    if (const std::string refusal = StoreFileInUseMessage(path); !refusal.empty())
        throw UsageError(path + ": " + refusal);
}

// A save as the tool reports it: "saved", "replaced" or "skipped", or empty
// with `reason` saying why nothing was stored (a reason already given is kept).
std::string saveStatus(values::SaveResult saved, bool skip, int lang, const MessageCapture& messages,
                       std::string& reason) {
    switch (saved) {
    case values::SaveResult::Saved: return "saved";
    case values::SaveResult::Replaced: return "replaced";
    case values::SaveResult::Declined:
        // The server went away and could not yet say whether the save took effect.
        if (messages.last() == Txt(values::kMsgSaveInDoubt, lang)) {
            reason = messages.last();
            return {};
        }
        if (skip) return "skipped";
        reason = Txt(1800, lang);
        return {};
    case values::SaveResult::Refused:
    case values::SaveResult::Reloaded:
        if (reason.empty()) reason = messages.last();
        return {};
    }
    return {};
}

std::string errorObject(const RecordTexts& r, const std::string& message) {
    const std::string& year = r[Field::Year];
    auto n = ParseNumber(year);
    return JsonObject()
        .addString("FirmName", r[Field::FirmName])
        .add("Year", n ? JsonNumber(*n) : JsonString(year))
        .addString("error", message)
        .str();
}

// ---------------------------------------------------------------- commands

int cmdDatasets(const Options& o, std::ostream& out) {
    int lang = languageOf(o);
    const Edition& edition = CurrentEdition();
    std::string years = "[";
    for (int slot = 0; slot < kEditionSlots; ++slot) years += (slot ? ", " : "") + std::to_string(edition.Year(slot));
    years += "]";
    for (const DatasetChoice& c : Catalogue()) {
        out << JsonObject()
                   .addString("option", c.option)
                   .add("volume", std::to_string(c.volume))
                   .addString("region", c.region)
                   .addString("table", RatioTableName(c.volume, c.region, CurrentEdition().latest))
                   .addString("naicsTable", std::string(c.option) == "optVol1" ? kNaicsDetailed : kNaicsRaw)
                   .addBool("enabled", ChoiceHasData(gcnIndustry, c))
                   .addString("caption", ChoiceCaption(c, lang))
                   .addString("description", DatasetDescription(gcnIndustry, c.option, lang))
                   .addString("edition", edition.Name())
                   .add("years", years)
                   .addString("industryStore", IndustryStorePath())
                   .str()
            << "\n";
    }
    return kExitOk;
}

int cmdIndustries(const Options& o, std::ostream& out) {
    requireOptions(o, {"dataset"});
    int lang = languageOf(o);
    chooseDataset(datasetOf(o));
    if (o.has("keyword")) {
        // The search screen's results in its order: the titles that contain
        // the word, then those found through word forms and definitions.
        static const char* const kFound[] = {"title", "word form", "definition"};
        for (const auto& hit : KeywordSearchAll(gcnIndustry, gstrDataTable, gstrNaicsTable, o.get("keyword"), lang))
            out << JsonObject()
                       .addString("naics", hit.row.naics)
                       .addString("title", hit.row.title)
                       .addString("sector", hit.row.sector)
                       .addString("found", kFound[static_cast<int>(hit.found)])
                       .str()
                << "\n";
        return kExitOk;
    }
    for (const auto& r : IndustryTitleList(gcnIndustry, gstrDataTable, gstrNaicsTable, lang))
        out << JsonObject().addString("naics", r.naics).addString("title", r.title).addString("sector", r.sector).str()
            << "\n";
    return kExitOk;
}

// Ctrl+C during a comparison: the output ends at a row boundary.
std::atomic<bool> gStopCompare{false};
extern "C" void onInterrupt(int) { gStopCompare = true; }

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

// --year, the edition's latest year when absent.
std::int16_t yearOption(const Options& o) {
    if (!o.has("year")) return CurrentEdition().latest;
    auto y = ReferenceYear(o.get("year"));
    if (!y) throw UsageError(FillEditionYears("--year must be {E}, {P} or {L}, not ") + o.get("year"));
    return *y;
}

int cmdPrepare(const Options& o, std::ostream& out) {
    requireOptions(o, {"type", "dataset", "naics"});
    int lang = languageOf(o);
    const std::string type = o.get("type");
    if (type != "rat" && type != "bal") throw UsageError("--type must be rat or bal, not " + type);
    const std::int16_t year = yearOption(o);
    const DatasetChoice& c = datasetOf(o);
    subSetDataTable(c.option);
    const std::string naics = o.get("naics");
    const std::string L = lang ? "F" : "E";
    // Prepared and read back in one write transaction, as the report viewer
    // does: another copy preparing at the same moment cannot mix its rows in.
    Transaction tx(gcnUser);
    bool ok = type == "rat"
                  ? fncPrepareRatiosReport(gcnIndustry, gcnUser, type, c.volume, c.region, year, naics, L)
                  : fncPrepareBalanceSheetReport(gcnIndustry, gcnUser, type, c.volume, c.region, year, naics, L);
    if (!ok) {
        tx.Commit();
        return kExitFailed;
    }

    JsonObject result;
    for (const char* t : kReportDataTables) {
        auto rs = GetRS(gcnUser, std::string("select * from ") + t, "read");
        result.add(t, rs->RecordCount() ? RowObject(*rs) : std::string("null"));
    }
    const std::string titles = type == "rat" ? "Rpt_Ratios_Titles" : "Rpt_BalanceSheet_Titles";
    auto rs = GetRS(gcnUser, "select * from " + titles, "read");
    std::string list = "[";
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) list += (list.size() > 1 ? ", " : "") + RowObject(*rs);
    result.add(titles, list + "]");
    tx.Commit();
    out << result.str() << "\n";
    return kExitOk;
}

int cmdReport(const Options& o, std::ostream& out) {
    requireOptions(o, {"type", "dataset", "naics", "out"});
    int lang = languageOf(o);
    std::string type = o.get("type");
    if (type == "trend") type = "tre";
    if (type != "rat" && type != "bal" && type != "com" && type != "tre")
        throw UsageError("--type must be rat, bal, com or trend, not " + type);
    std::int16_t year = yearOption(o);
    const DatasetChoice& c = datasetOf(o);
    const std::string naics = o.get("naics");
    std::vector<std::string> values;
    if (type == "tre" && o.has("name")) {
        chooseDataset(c);
        auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, lang);
        if (!industry) throw UsageError("the NAICS code " + naics + " is not an industry of the data set " + c.option);
        RecordTexts record;
        InitializeValues(record, lang);
        record[Field::FirmName] = o.get("name");
        values = BuildComparisonValues(record, naics, industry->title);
    } else if (type == "com" || type == "tre") {
        requireOptions(o, {"values"});
        std::vector<EnterpriseInput> inputs;
        try {
            refuseStoreFile(o.get("values"));
            inputs = ReadEnterprisesFile(o.get("values"), naics, lang);
        } catch (const std::runtime_error& e) {
            throw UsageError(o.get("values") + ": " + e.what());
        }
        if (inputs.empty()) throw UsageError(o.get("values") + ": no enterprise");
        chooseDataset(c);
        auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, lang);
        if (!industry) throw UsageError("the NAICS code " + naics + " is not an industry of the data set " + c.option);
        RecordTexts record = inputs[0].record;
        if (!inputs[0].ok) {
            out << errorObject(record, inputs[0].message) << "\n";
            return kExitFailed;
        }
        const values::ComparisonRequest request = values::RequestComparison(record, naics, industry->title, lang);
        if (!request.ok() && type == "com") {
            out << errorObject(record, request.message) << "\n";
            return kExitFailed;
        }
        // The trend reads the saved years of the name: a statement that
        // would be refused for a comparison still names them.
        values = request.ok() ? request.values : BuildComparisonValues(record, naics, industry->title);
        year = ReferenceYear(record[Field::Year]).value_or(year);
    } else {
        subSetDataTable(c.option);
    }

    // Laying out the document and drawing the charts need a GUI application,
    // which runs without a display.
    std::unique_ptr<QGuiApplication> gui;
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zorva-cli";
        static char* argv[] = {name, nullptr};
        gui = std::make_unique<QGuiApplication>(argc, argv);
    }
    MessageCapture messages;
    std::string error;
    auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, c.volume, c.region, year, naics,
                                          lang ? "F" : "E", values);
    JsonObject result;
    bool written = false;
    if (!prepared) {
        error = messages.last();
    } else {
        const std::string& path = o.get("out");
        refuseStoreFile(path);
        std::string ext = path.size() >= 5 ? path.substr(path.size() - 5) : path;
        if (report::IsExportPath(path)) {
            written = report::WriteExport(prepared->rendered, path, &error);
        } else if (strcasecmp(ext.c_str(), ".html") == 0) {
            written = report::WriteHtml(prepared->rendered, path, &error);
        } else {
            auto doc = report::MakeDocument(prepared->rendered);
            written = report::WritePdf(*doc, path, prepared->rendered.title, &error);
        }
    }
    if (!written) {
        out << result.addString("error", error.empty() ? "no report" : error).str() << "\n";
        return kExitFailed;
    }
    std::string errors = "[";
    for (const auto& e : prepared->rendered.errors) errors += (errors.size() > 1 ? ", " : "") + JsonString(e);
    result.addString("out", o.get("out")).addString("type", o.get("type")).addString("title", prepared->rendered.title);
    out << result.add("errors", errors + "]").str() << "\n";
    return kExitOk;
}

// A file laid out as the statement template (a line item and its amount on
// each row) rather than one enterprise per row under MyValues columns: its
// first row is not all column names, and its rows name line items.
bool isStatementFile(const std::string& path) {
    SheetDocument doc(path);
    const auto rows = doc.Rows(doc.FirstVisibleSheet());
    if (rows.empty()) return false;
    bool allColumns = true;
    for (const auto& c : rows.front().cells) {
        const QString name = QString::fromStdString(c.text).trimmed();
        allColumns = allColumns && (name.isEmpty() || FieldByColumn(name.toStdString()));
    }
    if (allColumns) return false;
    const import::StatementPreview p = import::ReadStatement(rows, 0);
    return p.layout == import::Layout::TwoColumns && p.lines.size() >= 2;
}

// The one enterprise of a statement file, as the values screen imports it
// into a new record: refused when a line cannot be read.
EnterpriseInput statementInput(const std::string& path, int lang) {
    const import::StatementPreview p = import::ReadStatementFile(path, lang);
    EnterpriseInput in;
    in.line = 1;
    InitializeValues(in.record, lang);
    for (const auto& l : p.lines)
        if (!l.ok && !l.computed && l.problem != Txt(import::kProblemNoAmount, lang) && in.ok) {
            in.ok = false;
            in.message = l.label + " (" + l.cell + "): " + l.problem;
        }
    if (in.ok && !import::ApplyStatement(p, in.record)) {
        in.ok = false;
        in.message = Txt(kMsgNumberOutOfRange, lang);
    }
    return in;
}

int cmdImportBooks(const Options& o, std::ostream& out) {
    if (o.has("values")) throw UsageError("give --books or --values, not both");
    const int lang = languageOf(o);
    const std::string& path = o.get("books");
    refuseStoreFile(path);
    if (o.has("mapping")) refuseStoreFile(o.get("mapping"));
    values::BooksOptions options;
    if (o.has("year-end")) options.yearEnd = o.get("year-end");
    if (o.has("name")) options.name = o.get("name");
    if (o.has("mapping")) options.mappingFile = o.get("mapping");
    MessageCapture messages(o.has("replace") ? MsgAnswer::OK : MsgAnswer::Cancel,
                            o.has("accept-unbalanced") ? MsgAnswer::Yes : MsgAnswer::No);
    values::BooksImportResult r;
    try {
        r = values::ImportBooksToStore(gcnUser, path, options, lang);
    } catch (const ReadError& e) {
        throw UsageError(path + ": " + e.Message(lang));
    } catch (const DbError&) {
        throw;
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    std::string reason = r.reason;
    const std::string status = saveStatus(r.saved, o.has("skip"), lang, messages, reason);
    auto money = [](std::int64_t v) { return NumberJson(static_cast<double>(v) / 10000); };
    Json leftOut = Json::array();
    for (size_t k : r.statement.leftOut) leftOut.push_back(r.book.accounts[k].fullName);
    JsonObject line;
    line.addString("file", path).addString("FirmName", r.record[Field::FirmName]);
    auto year = ParseNumber(r.record[Field::Year]);
    line.add("Year", year ? NumberJson(*year) : Json(r.record[Field::Year]));
    line.addString("yearEnd", books::FormatDate(r.book.yearEnd));
    line.addString("status", status.empty() ? "refused" : status);
    if (status.empty()) line.addString("reason", reason);
    line.addBool("balanced", r.statement.balanced)
        .add("totalAssets", money(r.statement.totalAssets))
        .add("totalLiabilitiesAndEquity", money(r.statement.totalLiabilitiesAndEquity))
        .add("closedIntoRetainedEarnings", money(r.statement.closedIntoRetainedEarnings))
        .add("accounts", Json(static_cast<long>(r.book.accounts.size())))
        .add("remembered", Json(r.remembered))
        .add("leftOut", leftOut)
        .addBool("mappingRemembered", r.mappingRemembered);
    out << line.str() << "\n";
    return status.empty() ? kExitFailed : kExitOk;
}

// Enterprises stored per transaction by import --values.
constexpr size_t kImportBatch = 2000;

int cmdImport(const Options& o, std::ostream& out) {
    if (o.has("replace") && o.has("skip")) throw UsageError("give --replace or --skip, not both");
    if (o.has("books")) return cmdImportBooks(o, out);
    for (const char* booksOnly : {"year-end", "name", "mapping", "accept-unbalanced"})
        if (o.has(booksOnly)) throw UsageError(std::string("--") + booksOnly + " goes with --books");
    requireOptions(o, {"values"});
    const int lang = languageOf(o);
    const std::string& path = o.get("values");
    refuseStoreFile(path);
    long refused = 0;
    std::vector<std::string> lines;
    // Saved as the values screen saves, the replace question answered by
    // --replace (OK) or --skip (Cancel). The rows are stored in transactions
    // of kImportBatch: each enterprise is stored whole or not at all, and the
    // lines of a transaction are written once it is committed, so that the
    // output of an import ended half-way names exactly the lines stored.
    MessageCapture messages(o.has("replace") ? MsgAnswer::OK : MsgAnswer::Cancel);
    std::optional<Transaction> tx;
    auto commit = [&] {
        if (tx) tx->Commit();
        tx.reset();
        for (const auto& l : lines) out << l << "\n";
        out.flush();
        lines.clear();
    };
    bool started = false;
    auto store = [&](EnterpriseInput& in) {
        started = true;
        if (!tx) tx.emplace(gcnUser);
        RecordTexts record = in.record;
        std::string status, reason;
        if (!in.ok) {
            reason = in.message;
        } else {
            values::PlainRecord holder(record, lang);
            const values::SaveResult saved = values::Save(holder, gcnUser, false);
            record = holder.Record();
            status = saveStatus(saved, o.has("skip"), lang, messages, reason);
        }
        JsonObject line;
        line.add("line", Json(in.line)).addString("FirmName", record[Field::FirmName]);
        auto n = ParseNumber(record[Field::Year]);
        line.add("Year", n ? NumberJson(*n) : Json(record[Field::Year]));
        if (!reason.empty()) {
            ++refused;
            line.addString("status", "refused").addString("reason", reason);
        } else {
            line.addString("status", status);
        }
        lines.push_back(line.str());
        if (lines.size() >= kImportBatch) commit();
    };
    try {
        // A file of enterprises (its header names MyValues columns) is read a
        // record at a time; anything else may be one statement.
        if (!HeaderNamesColumns(path) && isStatementFile(path)) {
            EnterpriseInput in = statementInput(path, lang);
            store(in);
        } else {
            ForEachEnterpriseOfFile(path, "", lang, store);
        }
    } catch (const ReadError& e) {
        if (started) throw;
        throw UsageError(path + ": " + e.Message(lang));
    } catch (const DbError&) {
        throw;
    } catch (const std::runtime_error& e) {
        if (started) throw;
        throw UsageError(path + ": " + e.what());
    }
    commit();
    return refused ? kExitFailed : kExitOk;
}

// ---------------------------------------------------------------- user store

int cmdList(const Options& o, std::ostream& out) {
    auto rs = store::ListFirms(gcnUser, languageOf(o));
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        JsonObject line;
        line.addValue("FirmName", rs->Fields(0)).addValue("Year", rs->Fields(1));
        if (gcnUser->isServer()) {
            const auto v = store::CurrentVersion(gcnUser, rs->Fields(0).toString(),
                                                 static_cast<std::int16_t>(rs->Fields(1).toInt()));
            line.addString("SavedBy", v.savedBy).addString("SavedAt", v.savedAt);
        }
        out << line.str() << "\n";
    }
    return kExitOk;
}

int cmdOpen(const Options& o, std::ostream& out) {
    requireOptions(o, {"name", "year"});
    const auto year = ReferenceYear(o.get("year"));
    if (!year) throw UsageError(FillEditionYears("--year must be {E}, {P} or {L}, not ") + o.get("year"));
    const auto record = store::LoadRecord(gcnUser, o.get("name"), *year);
    if (!record) {
        out << JsonObject().addString("FirmName", o.get("name")).add("Year", Json(*year))
                   .addString("error", Txt(store::kMsgNoRecords, languageOf(o))).str()
            << "\n";
        return kExitFailed;
    }
    JsonObject line;
    line.addString("FirmName", (*record)[Field::FirmName]).add("Year", Json(*year));
    for (Field f : ValueFields()) {
        auto n = ParseNumber((*record)[f]);
        line.add(ColumnName(f), n ? NumberJson(*n) : Json((*record)[f]));
    }
    const auto v = store::CurrentVersion(gcnUser, o.get("name"), *year);
    if (!v.savedBy.empty()) line.addString("SavedBy", v.savedBy).addString("SavedAt", v.savedAt);
    out << line.str() << "\n";
    return kExitOk;
}

int cmdStore(std::ostream& out) {
    auto rs = GetRS(gcnUser, "select count(*) as N from MyValues", "read");
    out << JsonObject()
               .addString("kind", gcnUser->isServer() ? "postgresql" : "file")
               .addString("store", gcnUser->isServer() ? DescribeConnection(gcnUser) : UserStorePath())
               .addValue("records", rs->Fields(0))
               .addBool("encrypted", ConnectionEncrypted(gcnUser))
               .str()
        << "\n";
    return kExitOk;
}

} // namespace

// ---------------------------------------------------------------- entry

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options o;
    try {
        o = parseArgs(args);
        if (o.command.empty()) {
            if (o.help) {
                out << kUsage;
                return kExitOk;
            }
            throw UsageError("no command given");
        }
        auto allowed = kCommandOptions.find(o.command);
        if (allowed == kCommandOptions.end()) throw UsageError("unknown command: " + o.command);
        if (o.help) {
            out << kCommandHelp.at(o.command);
            return kExitOk;
        }
        for (const auto& kv : o.values)
            if (!allowed->second.count(kv.first)) throw UsageError(o.command + " has no option --" + kv.first);
        gintLanguage = static_cast<std::int16_t>(languageOf(o));

        if (!o.appDir.empty()) SetAppPath(o.appDir);
        if (!o.userStore.empty()) SetUserStorePath(o.userStore);
        if (!o.industryStore.empty()) SetIndustryStorePath(o.industryStore);
        try {
            OpenDataStores();
        } catch (const StartupError& e) {
            err << "zorva-cli: cannot open the data store " << e.file() << "\n" << e.what() << "\n";
            return kExitUsage;
        }

        if (o.command == "datasets") return cmdDatasets(o, out);
        if (o.command == "industries") return cmdIndustries(o, out);
        if (o.command == "compare") return cmdCompare(o, out, err);
        if (o.command == "report") return cmdReport(o, out);
        if (o.command == "import") return cmdImport(o, out);
        if (o.command == "list") return cmdList(o, out);
        if (o.command == "open") return cmdOpen(o, out);
        if (o.command == "store") return cmdStore(out);
        return cmdPrepare(o, out);
    } catch (const UsageError& e) {
        err << "zorva-cli: " << e.what() << "\n";
        bool french = false;
        try {
            french = languageOf(o) == 1;
        } catch (const UsageError&) {
        }
        const char* hint = french ? "Essayez zorva-cli " : "Try zorva-cli ";
        if (o.command.empty() || !kCommandHelp.count(o.command)) err << hint << "--help.\n";
        else err << hint << o.command << " --help.\n";
        return kExitUsage;
    } catch (const DbError& e) {
        if (IsRecoverableError(e)) {
            err << "zorva-cli: " << RecoverableErrorText(e) << "\n";
            return kExitFailed;
        }
        err << "zorva-cli: " << Txt(904) << e.what() << "\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        err << "zorva-cli: " << e.what() << "\n";
        return kExitFailed;
    }
}

} // namespace zorva::cli
