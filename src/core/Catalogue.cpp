#include "core/Catalogue.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"

namespace zorva {

const std::vector<DatasetChoice>& Catalogue() {
    static const std::vector<DatasetChoice> choices = {
        {"optVol1", 1, "ALL", 490, nullptr},
        {"optVol2", 2, "ALL", 492, nullptr},
        {"optVol3", 3, "ALL", 494, nullptr},
        {"optAtlantic", 3, "ATLANTIC", 416, nullptr},
        {"optNovaScotia", 3, "NS", 450, nullptr},
        {"optNewBrunswick", 3, "NB", 452, nullptr},
        {"optNewfoundland", 3, "NL", 446, nullptr},
        {"optPEI", 3, "PE", 448, nullptr},
        {"optQuebec", 3, "QC", 418, nullptr},
        {"optOntario", 3, "ON", 0, "Ontario"},
        {"optPrairies", 3, "PRAIRIES", 0, "Prairies"},
        {"optManitoba", 3, "MB", 0, "Manitoba"},
        {"optSaskatchewan", 3, "SK", 0, "Saskatchewan"},
        {"optAlberta", 3, "AB", 0, "Alberta"},
        {"optBritishColumbia", 3, "BC", 414, nullptr},
        {"optTerritories", 3, "TERRITORIES", 454, nullptr},
        {"optNWT", 3, "NT", 458, nullptr},
        {"optNunavut", 3, "NU", 0, "Nunavut"},
        {"optYukon", 3, "YT", 0, "Yukon"},
    };
    return choices;
}

const DatasetChoice* FindChoice(const std::string& optionName) {
    for (const auto& c : Catalogue())
        if (optionName == c.option) return &c;
    return nullptr;
}

std::string RatioTableName(int volume, const std::string& region, int year) {
    return "ZORVA_Vol" + std::to_string(volume) + "_" + region + "_" + std::to_string(year) + "_Final_Ratios";
}

std::string NaicsTableForVolume(int volume) { return volume == 1 ? kNaicsDetailed : kNaicsRaw; }

std::string ChoiceCaption(const DatasetChoice& choice, int language) {
    return choice.captionId ? Txt(choice.captionId, language) : std::string(choice.fixedCaption);
}

bool subSetDataTable(const std::string& optionName) {
    const DatasetChoice* c = FindChoice(optionName);
    if (!c) return false;
    gstrDataTable = RatioTableName(c->volume, c->region, kCurrentYear);
    gintVolume = c->volume;
    gstrRegion = c->region;
    gstrNaicsTable = optionName == "optVol1" ? kNaicsDetailed : kNaicsRaw;
    return true;
}

long CountTableRows(ConnectionHandle& connection, const std::string& table) {
    if (!TableExists(connection, table)) return 0;
    auto rs = GetRS(connection, "select count(*) as NumRecords from " + table, "read");
    return rs->RecordCount() > 0 ? static_cast<long>(rs->Fields("NumRecords").toInt()) : 0;
}

bool ChoiceHasData(ConnectionHandle& connection, const DatasetChoice& choice) {
    return CountTableRows(connection, RatioTableName(choice.volume, choice.region, kCurrentYear)) != 0;
}

std::string DatasetDescription(ConnectionHandle& connection, const std::string& optionName, int language) {
    // Option names come from the catalogue and hold no quote; doubled all the same.
    auto rs = GetRS(connection, "Select * from datadescription where optname = '" + SqlQuote(optionName) + "'", "read");
    if (rs->RecordCount() == 0) return {};
    return rs->Fields(language != 0 ? "descriptionf" : "descriptione").toString();
}

} // namespace zorva
