#include "CliCommands.h"

#include "Json.h"
#include "Portfolio.h"

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

#include <chrono>
#include <fstream>
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
    "  --user-store FILE  use FILE as the user data store (made if missing), as\n"
    "                 the program's --user-store; also the variable ZORVA_USER_STORE;\n"
    "                 a server address (postgresql://HOST/DB, service=NAME) uses\n"
    "                 the office's store on a PostgreSQL server\n"
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
     "option, volume, region, table (the 2010 ratio table), naicsTable,\n"
     "enabled (the 2010 table holds a row), caption and description.\n"},
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
     "Usage: zorva-cli compare --dataset OPTION --naics CODE --values FILE.csv|FILE.xlsx\n"
     "                         [--out PORTFOLIO.xlsx] [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "FILE.csv (or the first sheet of FILE.xlsx) has a header row of MyValues\n"
     "column names (any letter case;\n"
     "FirmName and Year required; a missing amount is 0) and one row per\n"
     "enterprise. When none of Toa, Ta, Tliab, Equity1 and TotLiabShareEq is given\n"
     "they are computed; otherwise they are taken as given.\n"
     "\n"
     "For each enterprise the checks of the values screen run (year, balance, name,\n"
     "total assets), then the comparison report is prepared, and one line is\n"
     "printed: the Rpt_Comparison row as a JSON object, or\n"
     "{\"FirmName\": ..., \"Year\": ..., \"error\": \"<message>\"}.\n"
     "With --out FILE.xlsx the rows go into a portfolio workbook instead: one row\n"
     "per enterprise with each ratio and its quartile position, coloured, with a\n"
     "legend, and a second sheet with the industry's quartiles; refused rows are\n"
     "still printed, then {\"out\": ..., \"enterprises\": N, \"refused\": N}.\n"
     "A progress bar is drawn on a terminal's standard error for long runs.\n"
     "Exit status 0 when every row succeeded, 1 when any failed.\n"},
    {"import",
     "Usage: zorva-cli import --values FILE.csv|FILE.xlsx [--replace|--skip] [--lang en|fr] [--app-dir DIR]\n"
     "       zorva-cli import --books FILE [--year-end YYYY-MM-DD] [--name NAME] [--mapping FILE.csv]\n"
     "                        [--replace|--skip] [--accept-unbalanced] [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "--values: stores the enterprises of FILE.csv (one per row, the columns as for\n"
     "compare) in the user store in one transaction, or the one statement of a file\n"
     "laid out as the program's statement template (a line item and its amount on\n"
     "each row). A row whose name and year are already stored is refused, or\n"
     "replaces the stored one with --replace, or is left out with --skip. One JSON\n"
     "object per row: line, FirmName, Year and status (saved, replaced, skipped or\n"
     "refused, with its reason). Nothing is stored when the file cannot be read.\n"
     "\n"
     "--books: stores the statement of a GnuCash book (SQLite or XML) or of a trial\n"
     "balance (CSV or XLSX) for the fiscal year ending on --year-end (default: the\n"
     "last 31 December from 2008 to 2010 in the book; the reference year is its\n"
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
     "file, or the server, database and user (never a password), \"records\": N}.\n"},
    {"prepare",
     "Usage: zorva-cli prepare --type rat|bal --dataset OPTION --naics CODE [--year Y] [--lang en|fr] [--app-dir DIR]\n"
     "\n"
     "Prepares the financial ratios (rat) or balance-sheet (bal) report of the\n"
     "industry for Y (default 2010) and the two years before, and prints one JSON\n"
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
     "ratios (rat) and balance-sheet (bal) reports are for Y (default 2010) and\n"
     "the two years before; the comparison (com) is of the first enterprise of\n"
     "FILE.csv (as for compare), for its own year. The trend is of the years\n"
     "saved in the user store under NAME (or the name of FILE.csv's first\n"
     "enterprise), letter case aside. Prints one JSON object: out,\n"
     "type, title and errors (problems shown in the report), or error.\n"},
};

const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"datasets", {"lang"}},
    {"industries", {"lang", "dataset", "keyword"}},
    {"compare", {"lang", "dataset", "naics", "values", "out"}},
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
    std::vector<std::string> texts;
    MsgAnswer okCancel = MsgAnswer::OK;  // the answer to an OK / Cancel question
    MsgAnswer yesNo = MsgAnswer::Yes;    // the answer to a Yes / No question
    MsgAnswer show(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon) override {
        texts.push_back(text);
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
    std::string last() const { return captured_->texts.empty() ? std::string() : captured_->texts.back(); }

private:
    std::shared_ptr<CapturedMessages> captured_;
    std::shared_ptr<MessageService> saved_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError("cannot read the file " + path);
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) throw UsageError("cannot read the file " + path);
    return s.str();
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
    for (const DatasetChoice& c : Catalogue()) {
        out << JsonObject()
                   .addString("option", c.option)
                   .add("volume", std::to_string(c.volume))
                   .addString("region", c.region)
                   .addString("table", RatioTableName(c.volume, c.region, kCurrentYear))
                   .addString("naicsTable", std::string(c.option) == "optVol1" ? kNaicsDetailed : kNaicsRaw)
                   .addBool("enabled", ChoiceHasData(gcnIndustry, c))
                   .addString("caption", ChoiceCaption(c, lang))
                   .addString("description", DatasetDescription(gcnIndustry, c.option, lang))
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

int cmdCompare(const Options& o, std::ostream& out) {
    requireOptions(o, {"dataset", "naics", "values"});
    int lang = languageOf(o);
    const DatasetChoice& c = datasetOf(o);
    const std::string naics = o.get("naics");
    std::vector<EnterpriseInput> inputs;
    try {
        inputs = ReadEnterprisesFile(o.get("values"), naics, lang);
    } catch (const std::runtime_error& e) {
        throw UsageError(o.get("values") + ": " + e.what());
    }
    chooseDataset(c);
    auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, naics, lang);
    if (!industry) throw UsageError("the NAICS code " + naics + " is not an industry of the data set " + c.option);

    CompareSink sink;
    sink.progress = &std::cerr;
    if (!o.has("out")) return CompareAll(inputs, c, naics, industry->title, lang, out, sink) == 0 ? kExitOk : kExitFailed;
    // A portfolio workbook; refused rows are still printed.
    const std::string& path = o.get("out");
    if (path.size() < 5 || strcasecmp(path.substr(path.size() - 5).c_str(), ".xlsx") != 0)
        throw UsageError("--out must name an .xlsx file, not " + path);
    Portfolio portfolio(industry->title, naics, ChoiceCaption(c, lang), lang);
    sink.printRows = false;
    sink.row = [&](const ComparisonBatch& batch, const std::vector<std::string>& values, const ComparisonRow& row) {
        portfolio.Add(batch, values, row);
    };
    const long failed = CompareAll(inputs, c, naics, industry->title, lang, out, sink);
    // The industry's quartiles for the second sheet.
    const ComparisonBatch batch(gcnIndustry, gcnUser, c.volume, c.region, naics, lang ? "F" : "E");
    std::string error;
    if (!portfolio.Write(batch, path, &error)) throw std::runtime_error(error);
    out << JsonObject()
               .addString("out", path)
               .add("enterprises", Json(static_cast<long long>(portfolio.Size())))
               .add("refused", Json(static_cast<long long>(failed)))
               .str()
        << "\n";
    return failed == 0 ? kExitOk : kExitFailed;
}

// --year, 2010 when absent.
std::int16_t yearOption(const Options& o) {
    if (!o.has("year")) return kCurrentYear;
    auto y = ReferenceYear(o.get("year"));
    if (!y) throw UsageError("--year must be 2008, 2009 or 2010, not " + o.get("year"));
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
    std::string status, reason = r.reason;
    switch (r.saved) {
    case values::SaveResult::Saved: status = "saved"; break;
    case values::SaveResult::Replaced: status = "replaced"; break;
    case values::SaveResult::Declined:
        if (o.has("skip")) status = "skipped";
        else reason = Txt(1800, lang);
        break;
    case values::SaveResult::Refused:
        if (reason.empty()) reason = messages.last();
        break;
    }
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

int cmdImport(const Options& o, std::ostream& out) {
    if (o.has("replace") && o.has("skip")) throw UsageError("give --replace or --skip, not both");
    if (o.has("books")) return cmdImportBooks(o, out);
    for (const char* booksOnly : {"year-end", "name", "mapping", "accept-unbalanced"})
        if (o.has(booksOnly)) throw UsageError(std::string("--") + booksOnly + " goes with --books");
    requireOptions(o, {"values"});
    const int lang = languageOf(o);
    const std::string& path = o.get("values");
    std::vector<EnterpriseInput> inputs;
    try {
        if (isStatementFile(path)) inputs.push_back(statementInput(path, lang));
        else inputs = ReadEnterprisesFile(path, "", lang);
    } catch (const ReadError& e) {
        throw UsageError(path + ": " + e.Message(lang));
    } catch (const std::runtime_error& e) {
        throw UsageError(path + ": " + e.what());
    }
    long refused = 0;
    std::vector<std::string> lines;
    // Saved as the values screen saves, the replace question answered by
    // --replace (OK) or --skip (Cancel).
    MessageCapture messages(o.has("replace") ? MsgAnswer::OK : MsgAnswer::Cancel);
    Transaction tx(gcnUser);
    for (const auto& in : inputs) {
        RecordTexts record = in.record;
        std::string status, reason;
        if (!in.ok) {
            reason = in.message;
        } else {
            values::PlainRecord holder(record, lang);
            const values::SaveResult saved = values::Save(holder, gcnUser, false);
            record = holder.Record();
            switch (saved) {
            case values::SaveResult::Saved: status = "saved"; break;
            case values::SaveResult::Replaced: status = "replaced"; break;
            case values::SaveResult::Declined:
                if (o.has("skip")) status = "skipped";
                else reason = Txt(1800, lang);
                break;
            case values::SaveResult::Refused: reason = messages.last(); break;
            case values::SaveResult::Reloaded: reason = messages.last(); break;
            }
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
    }
    tx.Commit();
    for (const auto& l : lines) out << l << "\n";
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
    if (!year) throw UsageError("--year must be 2008, 2009 or 2010, not " + o.get("year"));
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
               .str()
        << "\n";
    return kExitOk;
}

} // namespace

// ---------------------------------------------------------------- CSV

void RequireUtf8(const std::string& text) { RequireUtf8Text(text); }

std::vector<std::vector<std::string>> ParseCsv(const std::string& input, std::vector<long>* lineOfRow) {
    // The statement import's reader: one CSV dialect for the program and the tool.
    std::vector<std::vector<std::string>> rows;
    for (const SheetRow& r : ReadCsvText(input)) {
        std::vector<std::string> texts;
        texts.reserve(r.cells.size());
        for (const SheetCell& c : r.cells) texts.push_back(c.text);
        rows.push_back(std::move(texts));
        if (lineOfRow) lineOfRow->push_back(r.line);
    }
    return rows;
}

namespace {
std::vector<EnterpriseInput> enterprisesOfRows(const std::vector<std::vector<std::string>>& rows,
                                               const std::vector<long>& lineOfRow, const std::string& naics,
                                               int language);
}

std::vector<EnterpriseInput> ReadEnterprises(const std::string& csvText, const std::string& naics, int language) {
    RequireUtf8(csvText);
    std::vector<long> lineOfRow;
    auto rows = ParseCsv(csvText, &lineOfRow);
    return enterprisesOfRows(rows, lineOfRow, naics, language);
}

std::vector<EnterpriseInput> ReadEnterprisesFile(const std::string& path, const std::string& naics, int language) {
    const std::string bytes = readFile(path);
    if (bytes.rfind("PK\x03\x04", 0) != 0) return ReadEnterprises(bytes, naics, language);
    std::vector<std::vector<std::string>> rows;
    std::vector<long> lineOfRow;
    for (const SheetRow& r : ReadXlsxFile(path)) {
        std::vector<std::string> texts;
        for (const SheetCell& c : r.cells) texts.push_back(c.text);
        while (!texts.empty() && texts.back().empty()) texts.pop_back();
        rows.push_back(std::move(texts));
        lineOfRow.push_back(r.line);
    }
    return enterprisesOfRows(rows, lineOfRow, naics, language);
}

namespace {
std::vector<EnterpriseInput> enterprisesOfRows(const std::vector<std::vector<std::string>>& rows,
                                               const std::vector<long>& lineOfRow, const std::string& naics,
                                               int language) {
    if (rows.empty()) throw std::runtime_error("the file is empty: a header row is needed");
    const auto& header = rows.front();
    std::vector<Field> columns;
    std::set<Field> seen;
    for (const auto& name : header) {
        std::string n = name;
        while (!n.empty() && (n.back() == ' ' || n.back() == '\t')) n.pop_back();
        while (!n.empty() && (n.front() == ' ' || n.front() == '\t')) n.erase(0, 1);
        auto f = FieldByColumn(n);
        if (!f) throw std::runtime_error("unknown column \"" + name + "\" (the columns are those of MyValues)");
        if (!seen.insert(*f).second) throw std::runtime_error("column \"" + name + "\" appears twice");
        columns.push_back(*f);
    }
    if (!seen.count(Field::FirmName)) throw std::runtime_error("the column FirmName is missing");
    if (!seen.count(Field::Year)) throw std::runtime_error("the column Year is missing");
    const bool computeTotals = !seen.count(Field::Toa) && !seen.count(Field::Ta) && !seen.count(Field::Tliab) &&
                               !seen.count(Field::Equity1) && !seen.count(Field::TotLiabShareEq);

    std::vector<EnterpriseInput> out;
    for (size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].size() > columns.size())
            throw std::runtime_error("line " + std::to_string(lineOfRow[r]) + " has more fields than the header");
        EnterpriseInput in;
        in.line = lineOfRow[r];
        for (Field f : ValueFields()) in.record[f] = "0";  // a missing amount is 0
        for (size_t k = 0; k < columns.size(); ++k) {
            if (columns[k] == Field::NAICS) continue;      // the industry is the one asked for
            in.record[columns[k]] = k < rows[r].size() ? rows[r][k] : std::string();
        }
        in.record[Field::NAICS] = naics;
        // Each amount as it stands once its box has been left.
        for (Field f : ValueFields()) {
            NumberTextResult n = CheckNumericField(in.record[f]);
            if (!n.ok) {
                in.ok = false;
                in.message = Txt(kMsgNumberOutOfRange, language);
                break;
            }
            in.record[f] = n.text;
        }
        if (in.ok && computeTotals && !subCalculateSubTotals(in.record)) {
            in.ok = false;
            in.message = Txt(kMsgNumberOutOfRange, language);
        }
        out.push_back(std::move(in));
    }
    return out;
}
} // namespace

// ---------------------------------------------------------------- progress

// A bar on a terminal's standard error, drawn once a run has lasted a second.
ProgressBar::ProgressBar(std::ostream* out, size_t total)
    : out_(out && isatty(STDERR_FILENO) ? out : nullptr), total_(total), start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
    if (drawn_) *out_ << "\r" << std::string(60, ' ') << "\r" << std::flush;
}

void ProgressBar::step() {
    if (!out_ || (++done_ & 63) != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    drawn_ = true;
    const size_t width = 30, filled = total_ ? done_ * width / total_ : width;
    *out_ << "\r[" << std::string(filled, '#') << std::string(width - std::min(filled, width), ' ') << "] "
          << done_ << "/" << total_ << std::flush;
}

// ---------------------------------------------------------------- one comparison

std::string CompareOne(const EnterpriseInput& input, const DatasetChoice& dataset, const std::string& naics,
                       const std::string& industryTitle, int language, bool* ok) {
    *ok = false;
    if (!input.ok) return errorObject(input.record, input.message);
    RecordTexts record = input.record;
    const values::ComparisonRequest request = values::RequestComparison(record, naics, industryTitle, language);
    if (!request.ok()) return errorObject(record, request.message);
    const auto& values = request.values;
    const std::int16_t year = request.year;
    MessageCapture messages;
    try {
        // The row is read back inside the preparation's own write
        // transaction: another copy cannot put its rows in between.
        Transaction tx(gcnUser);
        if (!fncPrepareComparisonReport(gcnIndustry, gcnUser, "com", dataset.volume, dataset.region, year, naics,
                                        language ? "F" : "E", values)) {
            tx.Commit();
            return errorObject(record, messages.last());
        }
        auto rs = GetRS(gcnUser, "select * from Rpt_Comparison", "read");
        tx.Commit();
        if (rs->RecordCount() == 0) return errorObject(record, Txt(904, language) + "Rpt_Comparison");
        *ok = true;
        return RowObject(*rs, ComparisonColumnNames());
    } catch (const std::exception& e) {
        return errorObject(record, Txt(904, language) + e.what());
    }
}

long CompareAll(const std::vector<EnterpriseInput>& inputs, const DatasetChoice& dataset, const std::string& naics,
                const std::string& industryTitle, int language, std::ostream& out) {
    return CompareAll(inputs, dataset, naics, industryTitle, language, out, CompareSink());
}

long CompareAll(const std::vector<EnterpriseInput>& inputs, const DatasetChoice& dataset, const std::string& naics,
                const std::string& industryTitle, int language, std::ostream& out, const CompareSink& sink) {
    // The industry is read once; each enterprise's row is then computed in
    // memory by the same computation that fills Rpt_Comparison.
    const ComparisonBatch batch(gcnIndustry, gcnUser, dataset.volume, dataset.region, naics, language ? "F" : "E");
    long failed = 0;
    std::string line;
    ProgressBar bar(sink.progress, inputs.size());
    for (const auto& input : inputs) {
        bar.step();
        bool ok = false;
        if (!input.ok) {
            line = errorObject(input.record, input.message);
        } else {
            RecordTexts record = input.record;
            const values::ComparisonRequest request =
                values::RequestComparison(record, naics, industryTitle, language);
            if (!request.ok()) {
                line = errorObject(record, request.message);
            } else {
                try {
                    std::string message;
                    const auto& values = request.values;
                    auto row = batch.Compare(values, request.year, &message);
                    ok = row.has_value();
                    if (ok && sink.row) sink.row(batch, values, *row);
                    line = !ok ? errorObject(record, message)
                               : sink.printRows ? RowObject(batch.TableColumns(), *row, batch.RowIndexOfTableColumn())
                                                : std::string();
                } catch (const std::exception& e) {
                    line = errorObject(record, Txt(904, language) + e.what());
                }
            }
        }
        if (!line.empty()) out << line << '\n';
        failed += !ok;
    }
    out.flush();
    return failed;
}

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
        try {
            OpenDataStores();
        } catch (const StartupError& e) {
            err << "zorva-cli: cannot open the data store " << e.file() << "\n" << e.what() << "\n";
            return kExitUsage;
        }

        if (o.command == "datasets") return cmdDatasets(o, out);
        if (o.command == "industries") return cmdIndustries(o, out);
        if (o.command == "compare") return cmdCompare(o, out);
        if (o.command == "report") return cmdReport(o, out);
        if (o.command == "import") return cmdImport(o, out);
        if (o.command == "list") return cmdList(o, out);
        if (o.command == "open") return cmdOpen(o, out);
        if (o.command == "store") return cmdStore(out);
        return cmdPrepare(o, out);
    } catch (const UsageError& e) {
        err << "zorva-cli: " << e.what() << "\n";
        if (o.command.empty() || !kCommandHelp.count(o.command)) err << "Try zorva-cli --help.\n";
        else err << "Try zorva-cli " << o.command << " --help.\n";
        return kExitUsage;
    } catch (const DbError& e) {
        if (IsRecoverableError(e)) {
            err << "zorva-cli: " << RecoverableErrorText(e) << "\n";
            return kExitFailed;
        }
        err << "zorva-cli: " << Txt(904) << e.what() << (e.statement().empty() ? "" : "\n" + e.statement()) << "\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        err << "zorva-cli: " << e.what() << "\n";
        return kExitFailed;
    }
}

} // namespace zorva::cli
