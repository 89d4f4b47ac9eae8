#include "CliOptions.h"

#include "core/DBTools.h"
#include "core/Edition.h"
#include "core/Globals.h"
#include "core/modMain.h"
#include "enterprise/ValuesFlow.h"

#include <strings.h>

namespace zorva::cli {

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

void chooseDataset(const DatasetChoice& c) {
    subSetDataTable(c.option);
    if (!TableExists(gcnIndustry, gstrDataTable))
        throw UsageError(std::string("the data set ") + c.option + " has no data (no table " + gstrDataTable + ")");
}

std::int16_t yearOption(const Options& o) {
    if (!o.has("year")) return CurrentEdition().latest;
    auto y = ReferenceYear(o.get("year"));
    if (!y) throw UsageError(FillEditionYears("--year must be {E}, {P} or {L}, not ") + o.get("year"));
    return *y;
}

} // namespace zorva::cli
