#include "store/Validate.h"

#include "store/DataSets.h"
#include "store/Consistency.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace zorvadata {

namespace {

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string fmt(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

bool isBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

const TableDef* findDef(const std::vector<TableDef>& defs, const std::string& name) {
    for (const auto& d : defs)
        if (equalsNoCase(d.name, name)) return &d;
    return nullptr;
}

std::string pathIn(const std::string& dir, const std::string& file) { return (fs::path(dir) / file).string(); }

// A code spliced into statements unquoted: letters, digits and hyphens only.
bool isPlainCode(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-')) return false;
    return true;
}

// The fifteen ratios: column prefix, name for messages, lower is better.
struct Ratio {
    const char* prefix;
    const char* name;
    bool lowerIsBetter;
};
const Ratio kRatios[] = {
    {"NPM", "net profit margin", false},
    {"PPM", "pretax profit margin", false},
    {"OPM", "operating profit margin", false},
    {"GPM", "gross profit margin", false},
    {"ORTTNOA", "operating revenue to net operating assets", false},
    {"RNOA", "return on net operating assets", false},
    {"PPA", "pretax profit to assets", false},
    {"RCE", "return on capital employed", false},
    {"RE", "return on equity", false},
    {"DE", "debt to equity", true},
    {"RT", "receivable turnover", false},
    {"IT", "inventory turnover", false},
    {"WC", "working capital", false},
    {"LTA", "liabilities to assets", true},
    {"IC", "interest coverage", false},
};

// Totals of the balance-sheet structure and the items they add up.
struct Sum {
    const char* total;
    std::vector<const char*> items;
};
const Sum kSums[] = {
    {"TOTOA", {"A11", "A12", "A13", "A18", "A19"}},
    {"TOTASS", {"TOTOA", "A14", "A151617"}},
    {"TOTLIAB", {"A22", "A25200", "A25500", "A25400", "A25180", "A24", "A2329", "A27"}},
    {"TOTSE", {"A31", "A38", "A283334"}},
    {"TOTLSE", {"TOTLIAB", "TOTSE"}},
};
// Published percentages are rounded; a total may differ from the sum of its
// rounded items by half a unit of the last place per item.
constexpr double kRoundingPerItem = 0.05;
constexpr double kEpsilon = 1e-7;

void checkTree(const IndustrySource& src, Diagnostics& diags) {
    const Table& t = src.tree;
    int cKey = t.col("NodeKey"), cParent = t.col("Parent"), cSeq = t.col("sequence");
    int cE = t.col("IndDescE"), cF = t.col("IndDescF");
    std::map<std::string, std::size_t> byKey;  // lower-case key -> row
    std::map<long long, std::size_t> bySeq;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::string& key = t.text(r, cKey);
        if (isBlank(key)) {
            t.report(diags, r, cKey, "empty NodeKey");
            continue;
        }
        if (!byKey.emplace(lower(key), r).second)
            t.report(diags, r, cKey, "folder '" + key + "' appears twice (keys are compared without regard to case)");
        if (t.at(r, cSeq).isNull())
            t.report(diags, r, cSeq, "empty sequence for folder '" + key + "'");
        else if (!bySeq.emplace(t.at(r, cSeq).integer, r).second)
            t.report(diags, r, cSeq, "sequence " + std::to_string(t.at(r, cSeq).integer) + " is used by two folders");
        if (isBlank(t.text(r, cE))) t.report(diags, r, cE, "folder '" + key + "' has no English name");
        if (isBlank(t.text(r, cF))) t.report(diags, r, cF, "folder '" + key + "' has no French name");
    }
    for (const char* needed : {kFolderAll, kFolderManage, kFolderFinance})
        if (!byKey.count(lower(needed)))
            diags.error(t.path, 0, 0, std::string("the folder '") + needed + "' is missing");

    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::string& key = t.text(r, cKey);
        if (isBlank(key)) continue;
        const std::string& parent = t.text(r, cParent);
        bool topLevel = equalsNoCase(key, kFolderAll) || equalsNoCase(key, kFolderManage);
        if (topLevel) {
            if (!isBlank(parent))
                t.report(diags, r, cParent, "'" + key + "' is a top-level folder; leave its Parent empty");
            continue;
        }
        if (isBlank(parent)) {
            t.report(diags, r, cParent,
                     "folder '" + key + "' has no Parent; only IndTOTALL and IndMANAGE are at the top level");
            continue;
        }
        auto it = byKey.find(lower(parent));
        if (it == byKey.end()) {
            t.report(diags, r, cParent, "Parent '" + parent + "' of folder '" + key + "' is not a folder");
            continue;
        }
        const Value& mySeq = t.at(r, cSeq);
        const Value& parentSeq = t.at(it->second, cSeq);
        if (!mySeq.isNull() && !parentSeq.isNull() && parentSeq.integer >= mySeq.integer)
            t.report(diags, r, cParent,
                     "Parent '" + parent + "' of folder '" + key + "' must come earlier in sequence (" +
                         std::to_string(parentSeq.integer) + " is not below " + std::to_string(mySeq.integer) + ")");
    }
}

void checkNaicsTable(const IndustrySource& src, const Table& t, Diagnostics& diags) {
    int cCode = t.col("NAICS"), cE = t.col("Description"), cF = t.col("Description_french");
    int cParent = t.col("Parent"), cKey = t.col("NodeKey"), cSeq = t.col("sequence");
    std::set<std::string> folders;
    int cFolder = src.tree.col("NodeKey");
    for (std::size_t r = 0; r < src.tree.rows.size(); ++r) folders.insert(lower(src.tree.text(r, cFolder)));

    std::set<std::string> codes, titlesE, titlesF;
    std::set<long long> seqs;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::string& code = t.text(r, cCode);
        if (!isPlainCode(code)) {
            t.report(diags, r, cCode, "NAICS code '" + code + "' must be letters, digits and hyphens only");
            continue;
        }
        if (!codes.insert(code).second) t.report(diags, r, cCode, "NAICS code " + code + " appears twice");
        if (t.text(r, cKey) != "Ind" + code)
            t.report(diags, r, cKey, "NodeKey of " + code + " must be 'Ind" + code + "', not '" + t.text(r, cKey) + "'");
        const std::string& parent = t.text(r, cParent);
        if (!folders.count(lower(parent)))
            t.report(diags, r, cParent, "Parent '" + parent + "' of " + code + " is not a folder of tblTreeview");
        if (t.at(r, cSeq).isNull())
            t.report(diags, r, cSeq, "empty sequence for " + code);
        else if (!seqs.insert(t.at(r, cSeq).integer).second)
            t.report(diags, r, cSeq, "sequence " + std::to_string(t.at(r, cSeq).integer) + " is used twice");
        // Titles are looked up by their text: each must name one industry.
        const std::string& e = t.text(r, cE);
        const std::string& f = t.text(r, cF);
        if (!isBlank(e) && !titlesE.insert(lower(e)).second)
            t.report(diags, r, cE, "the English title of " + code + " is also the title of another industry");
        if (!isBlank(f) && !titlesF.insert(lower(f)).second)
            t.report(diags, r, cF, "the French title of " + code + " is also the title of another industry");
    }
}

void checkDatasetDescriptions(const IndustrySource& src, Diagnostics& diags) {
    const Table& t = src.datasets;
    int cOpt = t.col("optname"), cE = t.col("descriptione"), cF = t.col("descriptionf");
    std::set<std::string> seen;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::string& opt = t.text(r, cOpt);
        bool known = false;
        for (const auto& d : dataSets()) known = known || opt == d.option;
        if (!known) {
            t.report(diags, r, cOpt, "'" + opt + "' is not a data set of the catalogue (names are case-sensitive)");
            continue;
        }
        if (!seen.insert(opt).second) t.report(diags, r, cOpt, "'" + opt + "' is described twice");
        if (isBlank(t.text(r, cE))) t.report(diags, r, cE, "no English description for " + opt);
        if (isBlank(t.text(r, cF))) t.report(diags, r, cF, "no French description for " + opt);
    }
    for (const auto& d : dataSets())
        if (!seen.count(d.option))
            diags.error(t.path, 0, 0, std::string("no description row for ") + d.option);
}

// One ratio table: values present and consistent, industries described.
void checkRatioTable(const IndustrySource& src, const std::string& name, int volume, const Table& t,
                     Diagnostics& diags) {
    const std::string naicsName = naicsTableFor(volume);
    auto nIt = src.naics.find(naicsName);
    const Table* naics = nIt == src.naics.end() ? nullptr : &nIt->second;
    std::map<std::string, std::size_t> described;
    if (naics) {
        int c = naics->col("NAICS");
        for (std::size_t r = 0; r < naics->rows.size(); ++r) described.emplace(naics->text(r, c), r);
    }

    int cCode = t.col("NAICS"), cFirms = t.col("NumberOfFirms");
    std::set<std::string> codes;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::string& code = t.text(r, cCode);
        if (!isPlainCode(code)) {
            t.report(diags, r, cCode, "NAICS code '" + code + "' must be letters, digits and hyphens only");
        } else {
            if (!codes.insert(code).second) t.report(diags, r, cCode, "industry " + code + " appears twice");
            auto d = described.find(code);
            if (naics && d == described.end()) {
                t.report(diags, r, cCode, "industry " + code + " has no row in " + naicsName);
            } else if (naics) {
                const std::string& e = naics->text(d->second, naics->col("Description"));
                const std::string& f = naics->text(d->second, naics->col("Description_french"));
                if (isBlank(e) || isBlank(f))
                    t.report(diags, r, cCode, "industry " + code + " needs both an English and a French title in " + naicsName);
                const std::string& parent = naics->text(d->second, naics->col("Parent"));
                if (volume != 1 && equalsNoCase(parent, kFolderFinance))
                    t.report(diags, r, cCode,
                             "industry " + code + " sits in the folder IndTFINANC, which the tree shows for Volume 1 only");
            }
        }

        // Every figure must be there: the reports cannot show an empty value.
        bool complete = true;
        for (std::size_t c = 0; c < t.def.columns.size(); ++c) {
            if (t.def.columns[c].type == ColumnType::Text) continue;
            if (t.at(r, static_cast<int>(c)).isNull()) {
                t.report(diags, r, static_cast<int>(c),
                         "empty " + t.def.columns[c].name + " for industry " + code +
                             "; write 0 for a quartile that is not published");
                complete = false;
            }
        }
        if (!complete) continue;
        auto v = [&](const char* col) { return t.at(r, t.col(col)).number(); };

        if (t.at(r, cFirms).integer < 1)
            t.report(diags, r, cFirms, "NumberOfFirms of industry " + code + " must be at least 1");

        for (const auto& ratio : kRatios) {
            std::string p = ratio.prefix;
            int cols[3] = {t.col(p + "Q1"), t.col(p + "Q2"), t.col(p + "Q3")};
            int prev = -1;
            for (int k = 0; k < 3; ++k) {
                double q = t.at(r, cols[k]).number();
                if (q == 0) continue;  // not published
                if (prev >= 0) {
                    double a = t.at(r, cols[prev]).number();
                    bool wrong = ratio.lowerIsBetter ? q > a : q < a;
                    if (wrong) {
                        std::string qn = p + "Q" + std::to_string(k + 1), an = p + "Q" + std::to_string(prev + 1);
                        t.report(diags, r, cols[k],
                                 qn + " (" + fmt(q) + ") is " + (ratio.lowerIsBetter ? "above " : "below ") + an +
                                     " (" + fmt(a) + "): the quartiles of " + ratio.name + " must " +
                                     (ratio.lowerIsBetter ? "decrease, lower being better" : "increase") +
                                     " (0 = not published)");
                    }
                }
                prev = k;
            }
        }

        for (const auto& sum : kSums) {
            double total = 0;
            std::string names;
            for (const char* item : sum.items) {
                total += v(item);
                names += (names.empty() ? "" : " + ") + std::string(item);
            }
            double tol = kRoundingPerItem * sum.items.size() + kEpsilon;
            if (std::fabs(total - v(sum.total)) > tol)
                t.report(diags, r, t.col(sum.total),
                         std::string(sum.total) + " is " + fmt(v(sum.total)) + " but " + names + " = " + fmt(total) +
                             " (industry " + code + ")");
        }
        for (const char* hundred : {"TOTASS", "TOTLSE"})
            if (std::fabs(v(hundred) - 100) > kRoundingPerItem + kEpsilon)
                t.report(diags, r, t.col(hundred),
                         std::string(hundred) + " must be 100 (percentages of total assets), not " + fmt(v(hundred)) +
                             " (industry " + code + ")");
        if (v("CURASS") < 0 || v("CURASS") > v("TOTASS") + kEpsilon)
            t.report(diags, r, t.col("CURASS"),
                     "CURASS (" + fmt(v("CURASS")) + ") must lie between 0 and TOTASS (industry " + code + ")");
        if (v("CURLiab") < 0 || v("CURLiab") > v("TOTLIAB") + kRoundingPerItem + kEpsilon)
            t.report(diags, r, t.col("CURLiab"),
                     "CURLiab (" + fmt(v("CURLiab")) + ") must lie between 0 and TOTLIAB (industry " + code + ")");

        for (auto pair : {std::pair<const char*, const char*>{"OPP", "OPL"}, {"PPP", "PPL"}, {"NPP", "NPL"}}) {
            double a = v(pair.first), b = v(pair.second);
            if (a < 0 || a > 100) t.report(diags, r, t.col(pair.first), std::string(pair.first) + " must lie between 0 and 100");
            if (b < 0 || b > 100) t.report(diags, r, t.col(pair.second), std::string(pair.second) + " must lie between 0 and 100");
            if (std::fabs(a + b - 100) > 2 * kRoundingPerItem + kEpsilon)
                t.report(diags, r, t.col(pair.second),
                         std::string(pair.first) + " + " + pair.second + " = " + fmt(a + b) +
                             ": the shares of enterprises with profits and with losses must add up to 100 (industry " +
                             code + ")");
        }
    }
    (void)name;
}

void checkRatioTables(const IndustrySource& src, Diagnostics& diags) {
    for (const auto& d : dataSets()) {
        for (int year : src.years()) {
            std::string name = ratioTableName(d.volume, d.region, year);
            auto it = src.ratios.find(name);
            if (it == src.ratios.end()) continue;  // reported while reading
            checkRatioTable(src, name, d.volume, it->second, diags);
            checkLossShares(it->second, diags);
        }
        // The reports read the chosen industry from all three years: an
        // industry of the current year must be in every older table there is.
        auto cur = src.ratios.find(ratioTableName(d.volume, d.region, src.latest));
        if (cur == src.ratios.end()) continue;
        const Table& t = cur->second;
        int cCode = t.col("NAICS");
        for (int year : src.years()) {
            if (year == src.latest) continue;
            auto old = src.ratios.find(ratioTableName(d.volume, d.region, year));
            if (old == src.ratios.end()) continue;
            std::set<std::string> there;
            int c = old->second.col("NAICS");
            for (std::size_t r = 0; r < old->second.rows.size(); ++r) there.insert(old->second.text(r, c));
            for (std::size_t r = 0; r < t.rows.size(); ++r)
                if (!there.count(t.text(r, cCode)))
                    t.report(diags, r, cCode,
                             "industry " + t.text(r, cCode) + " has no row in " + old->first + " (" +
                                 std::to_string(year) + "); the reports read every year there is a table for");
        }
    }
}

} // namespace

bool loadIndustrySource(const std::string& dir, IndustrySource& src, Diagnostics& diags) {
    src = IndustrySource{};
    src.dir = dir;
    std::size_t before = diags.size();
    if (!fs::is_directory(dir)) {
        diags.error(dir, 0, 0, "not a folder");
        return false;
    }

    std::set<std::string> expected;  // file names, lower case
    auto loadFixed = [&](const char* tableName, Table& into) {
        const TableDef* def = findDef(industryTables(), tableName);
        std::string file = std::string(tableName) + ".csv";
        expected.insert(lower(file));
        std::string path = pathIn(dir, file);
        if (!fs::exists(path)) {
            diags.error(path, 0, 0, "missing file: the industry data store needs the table " + std::string(tableName));
            return false;
        }
        return loadTable(path, *def, {}, into, diags);
    };
    bool treeOk = loadFixed(kTreeTable, src.tree);
    bool datasetsOk = loadFixed(kDescriptionTable, src.datasets);
    bool naicsOk = true;
    for (const char* n : {kNaicsDetailed, kNaicsRaw}) naicsOk = loadFixed(n, src.naics[n]) && naicsOk;

    // The tables deliberately left out.
    expected.insert(lower(kAbsentTablesFile));
    std::string absentPath = pathIn(dir, kAbsentTablesFile);
    std::map<std::string, int> absentLine;
    Table absentTable;
    bool absentRead = false;
    if (fs::exists(absentPath)) {
        TableDef def;
        def.name = "absent tables";
        def.columns = {{"table", ColumnType::Text, "TEXT"}, {"reason", ColumnType::Text, "TEXT"}};
        absentRead = loadTable(absentPath, def, {"reason"}, absentTable, diags);
    }

    // The edition: the years in the names of the ratio tables, present or
    // left out. Whole years missing or extra are said once, by year, rather
    // than table by table.
    std::vector<int> yearsFound;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            if (int y = ratioTableYear(entry.path().filename().string())) yearsFound.push_back(y);
    if (absentRead)
        for (std::size_t r = 0; r < absentTable.rows.size(); ++r)
            if (int y = ratioTableYear(absentTable.text(r, 0))) yearsFound.push_back(y);
    const EditionFinding edition = findEdition(yearsFound);
    if (!edition.ok()) diags.error(dir, 0, 0, "edition: " + edition.problem());
    if (edition.latest != 0) src.latest = edition.latest;
    std::set<int> yearsMissing(edition.missing.begin(), edition.missing.end());
    for (int y : edition.extra)  // said above
        for (const auto& d : dataSets()) expected.insert(lower(ratioTableName(d.volume, d.region, y) + ".csv"));

    if (absentRead) {
        Table& t = absentTable;
        {
            std::set<std::string> known;
            for (const auto& d : dataSets())
                for (int y : src.years()) known.insert(ratioTableName(d.volume, d.region, y));
            for (std::size_t r = 0; r < t.rows.size(); ++r) {
                const std::string& name = t.text(r, 0);
                if (!known.count(name)) {
                    if (!ratioTableYear(name))
                        t.report(diags, r, 0, "'" + name + "' is not a ratio table of the catalogue");
                    // a table of a year outside the edition: said with the edition
                } else if (name.find("_" + std::to_string(src.latest) + "_") != std::string::npos) {
                    t.report(diags, r, 0,
                             "the " + std::to_string(src.latest) +
                                 " table of a data set cannot be left out; give it a header line only to grey the choice out");
                } else if (!src.absent.emplace(name, t.text(r, 1)).second) {
                    t.report(diags, r, 0, "'" + name + "' is listed twice");
                } else {
                    absentLine[name] = t.lines[r];
                }
            }
        }
    }

    // The ratio tables of the nineteen data sets.
    for (const auto& d : dataSets()) {
        for (int year : src.years()) {
            std::string name = ratioTableName(d.volume, d.region, year);
            std::string file = name + ".csv";
            expected.insert(lower(file));
            std::string path = pathIn(dir, file);
            bool there = fs::exists(path);
            bool absent = src.absent.count(name) > 0;
            if (there && absent) {
                diags.error(absentPath, absentLine[name], 1, name + " is listed as left out, but " + file + " exists");
                continue;
            }
            if (absent) continue;
            if (!there) {
                if (yearsMissing.count(year)) continue;  // said with the edition
                diags.error(path, 0, 0,
                            "missing file: add the table " + name + " or list it in " + kAbsentTablesFile);
                continue;
            }
            Table t;
            if (loadTable(path, ratioLayout(), {"IndustryDescription"}, t, diags))
                src.ratios.emplace(name, std::move(t));
        }
    }

    // A file with another name is a mistake (a misspelt table would otherwise
    // be reported as missing without saying why).
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        std::string file = entry.path().filename().string();
        if (lower(entry.path().extension().string()) != ".csv") continue;
        if (!expected.count(lower(file)))
            diags.error(entry.path().string(), 0, 0, "not a table of the industry data store; remove or rename it");
    }

    if (!treeOk || !datasetsOk || !naicsOk) return false;
    if (diags.size() != before) return false;
    checkIndustrySource(src, diags);
    return diags.size() == before;
}

void checkIndustrySource(const IndustrySource& src, Diagnostics& diags) {
    checkTree(src, diags);
    for (const auto& [name, t] : src.naics) checkNaicsTable(src, t, diags);
    checkDatasetDescriptions(src, diags);
    checkRatioTables(src, diags);
    checkPooledFigures(src, diags);
}

void fillIndustryDescriptions(IndustrySource& src) {
    for (const auto& d : dataSets()) {
        const Table& naics = src.naics.at(naicsTableFor(d.volume));
        std::map<std::string, std::string> titles;
        for (std::size_t r = 0; r < naics.rows.size(); ++r)
            titles[naics.text(r, naics.col("NAICS"))] = naics.text(r, naics.col("Description"));
        for (int year : src.years()) {
            auto it = src.ratios.find(ratioTableName(d.volume, d.region, year));
            if (it == src.ratios.end()) continue;
            Table& t = it->second;
            int cCode = t.col("NAICS"), cDesc = t.col("IndustryDescription");
            for (auto& row : t.rows)
                if (isBlank(row[cDesc].text)) row[cDesc] = Value::ofText(titles[row[cCode].text]);
        }
    }
}

// ---------------------------------------------------------------- user store

bool loadUserSource(const std::string& dir, UserSource& src, Diagnostics& diags) {
    src = UserSource{};
    src.dir = dir;
    std::size_t before = diags.size();
    if (!fs::is_directory(dir)) {
        diags.error(dir, 0, 0, "not a folder");
        return false;
    }
    std::set<std::string> expected;
    for (const auto& name : userReferenceTables()) {
        const TableDef* def = findDef(userTables(), name);
        std::string file = name + ".csv";
        expected.insert(lower(file));
        std::string path = pathIn(dir, file);
        if (!fs::exists(path)) {
            diags.error(path, 0, 0, "missing file: the user data store needs the rows of " + name);
            continue;
        }
        Table t;
        if (loadTable(path, *def, {}, t, diags)) src.tables.emplace(name, std::move(t));
    }
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file() || lower(entry.path().extension().string()) != ".csv") continue;
        if (!expected.count(lower(entry.path().filename().string())))
            diags.error(entry.path().string(), 0, 0, "not a reference table of the user data store; remove or rename it");
    }
    if (diags.size() != before) return false;
    checkUserSource(src, diags);
    return diags.size() == before;
}

void checkUserSource(const UserSource& src, Diagnostics& diags) {
    // Every title source: rows for both languages and nothing else.
    for (const auto& [name, t] : src.tables) {
        int cLang = t.col("Language");
        if (cLang < 0) continue;
        std::set<std::string> langs;
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            const std::string& l = t.text(r, cLang);
            if (l != "E" && l != "F")
                t.report(diags, r, cLang, "Language must be E or F, not '" + l + "'");
            langs.insert(l);
        }
        if (name == "Volume_Descriptions") continue;
        for (const char* l : {"E", "F"})
            if (!langs.count(l))
                diags.error(t.path, 0, 0, std::string("no row for the language ") + l + " in " + name);
    }

    auto vd = src.tables.find("Volume_Descriptions");
    if (vd != src.tables.end()) {
        const Table& t = vd->second;
        int cVol = t.col("Volume"), cLang = t.col("Language");
        std::set<std::pair<long long, std::string>> seen;
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            const Value& v = t.at(r, cVol);
            if (v.isNull() || v.integer < 1 || v.integer > 3) {
                t.report(diags, r, cVol, "Volume must be 1, 2 or 3");
                continue;
            }
            if (!seen.emplace(v.integer, t.text(r, cLang)).second)
                t.report(diags, r, cVol,
                         "volume " + std::to_string(v.integer) + " has two rows for the language " + t.text(r, cLang));
            for (const char* c : {"Title1", "Title2"})
                if (isBlank(t.text(r, t.col(c))))
                    t.report(diags, r, t.col(c), std::string("empty ") + c + " for volume " + std::to_string(v.integer));
        }
        for (long long vol = 1; vol <= 3; ++vol)
            for (const char* l : {"E", "F"})
                if (!seen.count({vol, l}))
                    diags.error(t.path, 0, 0, "no row for volume " + std::to_string(vol) + " in the language " + l);
    }

    auto pc = src.tables.find("ProvinceCodes");
    if (pc != src.tables.end()) {
        const Table& t = pc->second;
        int cCode = t.col("Code");
        std::set<std::string> seen;
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            const std::string& code = t.text(r, cCode);
            if (!isPlainCode(code)) t.report(diags, r, cCode, "region code '" + code + "' must be letters, digits and hyphens only");
            if (!seen.insert(code).second) t.report(diags, r, cCode, "region " + code + " appears twice");
            for (const char* c : {"English", "French"}) {
                const std::string& n = t.text(r, t.col(c));
                if (isBlank(n)) t.report(diags, r, t.col(c), std::string("no ") + c + " name for region " + code);
                // The name is put into report statements without doubling quotes.
                if (n.find('\'') != std::string::npos)
                    t.report(diags, r, t.col(c), "the name of region " + code + " must not contain an apostrophe");
            }
        }
        for (const auto& code : regionCodes())
            if (!seen.count(code)) diags.error(t.path, 0, 0, "no row for the region code " + code);
    }
}

void checkSchemas(Diagnostics& diags) {
    const auto& user = userTables();
    for (const auto& t : user) {
        const std::string suffix = "_Source";
        if (t.name.size() <= suffix.size() || t.name.compare(t.name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        std::string target = t.name.substr(0, t.name.size() - suffix.size());
        const TableDef* def = findDef(user, target);
        if (!def) {
            diags.error("user.sql", 0, 0, "the source table " + t.name + " has no title table " + target);
            continue;
        }
        bool same = def->columns.size() == t.columns.size();
        for (std::size_t i = 0; same && i < t.columns.size(); ++i)
            same = equalsNoCase(def->columns[i].name, t.columns[i].name);
        if (!same)
            diags.error("user.sql", 0, 0, target + " must have the columns of " + t.name + " in the same order");
    }
    for (const auto& r : reportDataTables())
        if (findDef(user, r)) diags.error("user.sql", 0, 0, r + " takes the layout of ratio.sql; do not declare it");
    const TableDef& ratio = ratioLayout();
    for (const char* n : {kNaicsDetailed, kNaicsRaw}) {
        const TableDef* d = findDef(industryTables(), n);
        if (!d) {
            diags.error("industry.sql", 0, 0, std::string("the table ") + n + " is missing");
            continue;
        }
        for (const auto& c : d->columns)
            if (!equalsNoCase(c.name, "NAICS") && ratio.find(c.name) >= 0)
                diags.error("ratio.sql", 0, 0,
                            "the column " + c.name + " is also in " + n +
                                "; the search statements join the two tables without prefixes");
    }
    for (const char* n : {kTreeTable, kDescriptionTable})
        if (!findDef(industryTables(), n)) diags.error("industry.sql", 0, 0, std::string("the table ") + n + " is missing");
}

} // namespace zorvadata
