#include "store/Consistency.h"

#include "store/DataSets.h"
#include "store/Validate.h"

#include <charconv>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace zorvadata {

namespace {

// A figure in its shortest exact form ("4.3", "-1.25", "6"), independent of
// the locale.
std::string num(double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string percent(double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
    return std::string(buf, r.ptr);
}

const char* const kQuartilePrefixes[] = {"NPM", "PPM", "OPM", "GPM", "ORTTNOA", "RNOA", "PPA", "RCE",
                                         "RE",  "DE",  "RT",  "IT",  "WC",      "LTA",  "IC"};
const char* const kStructure[] = {"A11",   "A12",    "A13",    "A18",    "A19",     "TOTOA",  "A14",
                                  "A151617", "TOTASS", "A22",   "A25200", "A25500",  "A25400", "A25180",
                                  "A24",   "A2329",  "A27",    "TOTLIAB", "A31",    "A38",    "A283334",
                                  "TOTSE", "TOTLSE", "CURASS", "CURLiab"};
const char* const kShares[] = {"OPP", "OPL", "PPP", "PPL", "NPP", "NPL"};

struct Figure {
    int column;
    bool quartile;  // 0 means "not published" and is left out of the comparison
};

// The figures a pooled group is compared on, as columns of the ratio layout.
const std::vector<Figure>& figures() {
    static const std::vector<Figure> list = [] {
        const TableDef& def = ratioLayout();
        std::vector<Figure> f;
        for (const char* p : kQuartilePrefixes)
            for (const char* q : {"Q1", "Q2", "Q3"}) f.push_back({def.find(std::string(p) + q), true});
        for (const char* c : kStructure) f.push_back({def.find(c), false});
        for (const char* c : kShares) f.push_back({def.find(c), false});
        return f;
    }();
    return list;
}

// The provinces and territories pooled into each regional group of Volume 3.
struct Region {
    const char* code;
    const char* members;  // whose range a message names
    std::vector<const char*> parts;
};
const Region kRegions[] = {
    {"ATLANTIC", "the Atlantic provinces'", {"NL", "PE", "NS", "NB"}},
    {"PRAIRIES", "the Prairie provinces'", {"MB", "SK", "AB"}},
    {"TERRITORIES", "the territories'", {"YT", "NT", "NU"}},
    {"ALL", "the provinces' and territories'",
     {"NL", "PE", "NS", "NB", "QC", "ON", "MB", "SK", "AB", "BC", "YT", "NT", "NU"}},
};

// Row of each industry code in a table (its first row, when a code is there twice).
using CodeIndex = std::unordered_map<std::string, std::size_t>;

CodeIndex indexOf(const Table& t) {
    CodeIndex idx;
    int c = t.col("NAICS");
    for (std::size_t r = 0; r < t.rows.size(); ++r) idx.emplace(t.text(r, c), r);
    return idx;
}

struct Member {
    const Table* table;
    std::size_t row;
    std::string name;  // sub-industry code or region code
};

// Compares row p of t with its members; kind names them in messages
// ("its sub-industries'", "the territories'").
void compareWithMembers(const Table& t, std::size_t p, const std::vector<Member>& members, const std::string& kind,
                        Diagnostics& diags) {
    if (members.empty()) return;
    const int cFirms = t.col("NumberOfFirms");
    const Value& firms = t.at(p, cFirms);
    if (firms.isNull() || firms.integer < 1) return;
    long long held = 0;
    std::string names;
    for (const auto& m : members) {
        const Value& f = m.table->at(m.row, cFirms);
        if (!f.isNull() && f.integer > 0) held += f.integer;
        names += (names.empty() ? "" : ", ") + m.name;
    }
    // Members holding fewer of the enterprises may leave the group's figures
    // anywhere; only a near-complete pool bounds them.
    if (held * 100 < static_cast<long long>(kPooledCoveragePercent) * firms.integer) return;
    const std::string& code = t.text(p, t.col("NAICS"));
    const std::string tail = " (industry " + code + "; " + names + " hold " +
                             percent(100.0 * static_cast<double>(held) / static_cast<double>(firms.integer)) +
                             " % of its firms)";

    for (const Figure& f : figures()) {
        const Value& own = t.at(p, f.column);
        if (own.isNull() || (f.quartile && own.number() == 0)) continue;
        double lo = 0, hi = 0;
        bool usable = true;
        for (std::size_t i = 0; i < members.size() && usable; ++i) {
            const Value& v = members[i].table->at(members[i].row, f.column);
            usable = !v.isNull() && !(f.quartile && v.number() == 0);
            if (!usable) break;
            double x = v.number();
            if (i == 0 || x < lo) lo = x;
            if (i == 0 || x > hi) hi = x;
        }
        if (!usable) continue;
        double x = own.number();
        if (x < lo || x > hi)
            t.report(diags, p, f.column,
                     t.def.columns[static_cast<std::size_t>(f.column)].name + " = " + num(x) + " lies outside " + kind +
                         " range " + num(lo) + " to " + num(hi) + tail);
    }
}

void checkSubIndustries(const IndustrySource& src, const Table& t, int volume, const CodeIndex& rowsOfT,
                        Diagnostics& diags) {
    auto n = src.naics.find(naicsTableFor(volume));
    if (n == src.naics.end()) return;
    std::unordered_set<std::string> described;
    int cDescribed = n->second.col("NAICS");
    for (std::size_t r = 0; r < n->second.rows.size(); ++r) described.insert(n->second.text(r, cDescribed));

    // Each row under its parent: the longest proper prefix of its code that is
    // a described industry. A described parent missing from the table breaks
    // the chain: its sub-industries are not counted for the level above.
    std::map<std::size_t, std::vector<Member>> children;
    int cCode = t.col("NAICS");
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const std::string& code = t.text(r, cCode);
        for (std::size_t k = code.size(); k-- > 1;) {
            std::string prefix = code.substr(0, k);
            if (!described.count(prefix)) continue;
            auto parent = rowsOfT.find(prefix);
            if (parent != rowsOfT.end() && parent->second != r) children[parent->second].push_back({&t, r, code});
            break;
        }
    }
    for (const auto& [p, members] : children) compareWithMembers(t, p, members, "its sub-industries'", diags);
}

} // namespace

void checkPooledFigures(const IndustrySource& src, Diagnostics& diags) {
    std::unordered_map<const Table*, CodeIndex> index;
    for (const auto& [name, t] : src.ratios) index.emplace(&t, indexOf(t));

    for (const auto& d : dataSets()) {
        for (int year : src.years()) {
            auto it = src.ratios.find(ratioTableName(d.volume, d.region, year));
            if (it == src.ratios.end()) continue;
            const Table& t = it->second;
            checkSubIndustries(src, t, d.volume, index.at(&t), diags);

            if (d.volume != 3) continue;
            for (const Region& region : kRegions) {
                if (region.code != std::string(d.region)) continue;
                // Member tables that are left out or empty add nothing.
                std::vector<std::pair<std::string, const Table*>> parts;
                for (const char* part : region.parts) {
                    auto m = src.ratios.find(ratioTableName(3, part, year));
                    if (m != src.ratios.end() && !m->second.rows.empty()) parts.emplace_back(part, &m->second);
                }
                int cCode = t.col("NAICS");
                for (std::size_t p = 0; p < t.rows.size(); ++p) {
                    std::vector<Member> members;
                    for (const auto& [part, table] : parts) {
                        const CodeIndex& idx = index.at(table);
                        auto r = idx.find(t.text(p, cCode));
                        if (r != idx.end()) members.push_back({table, r->second, part});
                    }
                    compareWithMembers(t, p, members, region.members, diags);
                }
            }
        }
    }
}

void checkLossShares(const Table& t, Diagnostics& diags) {
    struct Pair {
        const char* margin;
        const char* share;
        const char* name;
    };
    static const Pair pairs[] = {
        {"NPM", "NPL", "net profit margin"},
        {"PPM", "PPL", "pretax profit margin"},
        {"OPM", "OPL", "operating profit margin"},
    };
    for (const Pair& pair : pairs) {
        const int cShare = t.col(pair.share);
        int cQ[3];
        for (int k = 0; k < 3; ++k) cQ[k] = t.col(pair.margin + std::string("Q") + std::to_string(k + 1));
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            const Value& share = t.at(r, cShare);
            if (share.isNull()) continue;
            const double loss = share.number();
            // A positive Qk leaves at most 25k % of the enterprises with a
            // loss, a negative one at least 25k %. Only the strongest
            // contradiction is reported (both directions cannot occur at once).
            int worst = -1;
            for (int k = 0; k < 3; ++k) {
                const Value& q = t.at(r, cQ[k]);
                if (q.isNull() || q.number() == 0) continue;  // not published
                const double bound = 25.0 * (k + 1);
                bool positive = q.number() > 0;
                if (positive && loss > bound && worst < 0) worst = k;  // lowest bound broken: the widest gap
                if (!positive && loss < bound) worst = k;              // highest bound broken
            }
            if (worst < 0) continue;
            const double q = t.at(r, cQ[worst]).number();
            const int bound = 25 * (worst + 1);
            const std::string consequence =
                q > 0 ? "at least " + std::to_string(100 - bound) + " % of enterprises earn a profit"
                      : "at least " + std::to_string(bound) + " % of enterprises make a loss";
            t.report(diags, r, cShare,
                     std::string(pair.share) + " = " + num(loss) + " % of enterprises with a loss, but the " + pair.name +
                         "'s Q" + std::to_string(worst + 1) + " is " + num(q) + " (so " + consequence + "; industry " +
                         t.text(r, t.col("NAICS")) + ")");
        }
    }
}

} // namespace zorvadata
