#include "store/DataSets.h"

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
