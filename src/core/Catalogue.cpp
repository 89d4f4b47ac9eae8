#include "core/Catalogue.h"

#include "core/Edition.h"

#include "core/Globals.h"
#include "core/Strings.h"
#include "core/modMain.h"
#include "store/DataSets.h"

#include <stdexcept>
#include <string_view>

namespace zorva {

namespace {
// The caption of each choice: a string id, or a name that both languages share.
struct Caption {
    const char* option;
    int id;
    const char* fixed;
};
constexpr Caption kCaptions[] = {
    {"optVol1", 490, nullptr},         {"optVol2", 492, nullptr},          {"optVol3", 494, nullptr},
    {"optAtlantic", 416, nullptr},     {"optNovaScotia", 450, nullptr},    {"optNewBrunswick", 452, nullptr},
    {"optNewfoundland", 446, nullptr}, {"optPEI", 448, nullptr},           {"optQuebec", 418, nullptr},
    {"optOntario", 0, "Ontario"},      {"optPrairies", 0, "Prairies"},     {"optManitoba", 0, "Manitoba"},
    {"optSaskatchewan", 0, "Saskatchewan"}, {"optAlberta", 0, "Alberta"}, {"optBritishColumbia", 414, nullptr},
    {"optTerritories", 454, nullptr},  {"optNWT", 458, nullptr},           {"optNunavut", 0, "Nunavut"},
    {"optYukon", 0, "Yukon"},
};
} // namespace

const std::vector<DatasetChoice>& Catalogue() {
    // The data sets of the store builder's list, each with its caption.
    static const std::vector<DatasetChoice> choices = [] {
        std::vector<DatasetChoice> list;
        for (const auto& d : zorvadata::dataSets()) {
            const Caption* caption = nullptr;
            for (const auto& c : kCaptions)
                if (std::string_view(c.option) == d.option) caption = &c;
            if (!caption) throw std::logic_error(std::string("no caption for the data set ") + d.option);
            list.push_back({d.option, static_cast<std::int16_t>(d.volume), d.region, caption->id, caption->fixed});
        }
        return list;
    }();
    return choices;
}

const DatasetChoice* FindChoice(const std::string& optionName) {
    for (const auto& c : Catalogue())
        if (optionName == c.option) return &c;
    return nullptr;
}

std::string RatioTableName(int volume, const std::string& region, int year) {
    return zorvadata::ratioTableName(volume, region, year);
}

std::string NaicsTableForVolume(int volume) { return zorvadata::naicsTableFor(volume); }

std::string ChoiceCaption(const DatasetChoice& choice, int language) {
    return choice.captionId ? Txt(choice.captionId, language) : std::string(choice.fixedCaption);
}

bool subSetDataTable(const std::string& optionName) {
    const DatasetChoice* c = FindChoice(optionName);
    if (!c) return false;
    gstrDataTable = RatioTableName(c->volume, c->region, CurrentEdition().latest);
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
    return CountTableRows(connection, RatioTableName(choice.volume, choice.region, CurrentEdition().latest)) != 0;
}

std::string DatasetDescription(ConnectionHandle& connection, const std::string& optionName, int language) {
    auto rs = GetRS(connection, "Select * from datadescription where optname = ?", "read", {optionName});
    if (rs->RecordCount() == 0) return {};
    return rs->Fields(language != 0 ? "descriptionf" : "descriptione").toString();
}

} // namespace zorva
