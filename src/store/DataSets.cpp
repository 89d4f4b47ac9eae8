#include "store/DataSets.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace zorvadata {

const std::vector<DataSet>& dataSets() {
    static const std::vector<DataSet> sets = {
        {"optVol1", 1, "ALL"},           {"optVol2", 2, "ALL"},
        {"optVol3", 3, "ALL"},           {"optAtlantic", 3, "ATLANTIC"},
        {"optNovaScotia", 3, "NS"},      {"optNewBrunswick", 3, "NB"},
        {"optNewfoundland", 3, "NL"},    {"optPEI", 3, "PE"},
        {"optQuebec", 3, "QC"},          {"optOntario", 3, "ON"},
        {"optPrairies", 3, "PRAIRIES"},  {"optManitoba", 3, "MB"},
        {"optSaskatchewan", 3, "SK"},    {"optAlberta", 3, "AB"},
        {"optBritishColumbia", 3, "BC"}, {"optTerritories", 3, "TERRITORIES"},
        {"optNWT", 3, "NT"},             {"optNunavut", 3, "NU"},
        {"optYukon", 3, "YT"},
    };
    return sets;
}

const std::vector<int>& referenceYears() {
    static const std::vector<int> years = {2010, 2009, 2008};
    return years;
}

std::vector<int> editionYears(int latest) { return {latest, latest - 1, latest - 2}; }

int ratioTableYear(const std::string& name) {
    std::string n = name;
    if (n.size() > 4 && n.compare(n.size() - 4, 4, ".csv") == 0) n.resize(n.size() - 4);
    const std::string tail = "_Final_Ratios";
    if (n.size() < tail.size() + 5 || n.compare(n.size() - tail.size(), tail.size(), tail) != 0) return 0;
    const std::string year = n.substr(n.size() - tail.size() - 4, 4);
    if (!std::all_of(year.begin(), year.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return 0;
    const int y = std::stoi(year);
    for (const auto& d : dataSets())
        if (n == ratioTableName(d.volume, d.region, y)) return y;
    return 0;
}

namespace {
std::string yearList(const std::vector<int>& years) {
    std::string s;
    for (std::size_t i = 0; i < years.size(); ++i)
        s += (i == 0 ? "" : i + 1 == years.size() ? " and " : ", ") + std::to_string(years[i]);
    return s;
}
} // namespace

EditionFinding findEdition(const std::vector<int>& yearsFound) {
    EditionFinding f;
    std::set<int, std::greater<int>> found(yearsFound.begin(), yearsFound.end());
    found.erase(0);
    if (found.empty()) return f;
    f.latest = *found.begin();
    for (int y : editionYears(f.latest))
        if (!found.count(y)) f.missing.push_back(y);
    for (int y : found)
        if (y < f.latest - (kEditionYears - 1)) f.extra.push_back(y);
    return f;
}

std::string EditionFinding::name() const {
    return std::to_string(latest - (kEditionYears - 1)) + "-" + std::to_string(latest);
}

std::string EditionFinding::problem() const {
    if (latest == 0) return "no ratio table of any year: an edition holds the tables of three consecutive years";
    std::string p;
    const std::string edition = "the edition of " + std::to_string(latest) + " holds " +
                                yearList(editionYears(latest)) + " (the latest year found and the two before it)";
    if (!missing.empty())
        p += "no table of " + yearList(missing) + ": " + edition + "; add the tables of " +
             (missing.size() == 1 ? "that year" : "those years");
    if (!extra.empty())
        p += std::string(p.empty() ? "" : "; ") + "tables of " + yearList(extra) + " as well: " +
             (missing.empty() ? edition : std::string("an edition holds three consecutive years")) +
             "; remove the tables of " + yearList(extra);
    return p;
}

std::string ratioTableName(int volume, const std::string& region, int year) {
    return "ZORVA_Vol" + std::to_string(volume) + "_" + region + "_" + std::to_string(year) + "_Final_Ratios";
}

std::string naicsTableFor(int volume) { return volume == 1 ? kNaicsDetailed : kNaicsRaw; }

std::vector<std::string> regionCodes() {
    std::vector<std::string> codes;
    for (const auto& d : dataSets()) {
        bool seen = false;
        for (const auto& c : codes) seen = seen || c == d.region;
        if (!seen) codes.push_back(d.region);
    }
    return codes;
}

} // namespace zorvadata
