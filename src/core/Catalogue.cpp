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

// ---------------------------------------------------------------- industries

namespace {
std::vector<IndustryRow> rowsOf(const Recordset& rs) {
    std::vector<IndustryRow> out;
    out.reserve(rs.Rows().size());
    for (const auto& r : rs.Rows())
        out.push_back({r.size() > 0 ? r[0].toString() : std::string(), r.size() > 1 ? r[1].toString() : std::string(),
                       r.size() > 2 ? r[2].toString() : std::string()});
    return out;
}
} // namespace

std::vector<IndustryRow> IndustryTitleList(ConnectionHandle& connection, const std::string& dataTable,
                                           const std::string& naicsTable, int language) {
    // The title list's join and order, with the code and the sector alongside each title.
    const std::string title = language != 0 ? "n.description_french" : "n.description";
    const std::string sector = language != 0 ? "T.inddescf" : "T.inddesce";
    auto rs = GetRS(connection,
                    "select f.naics as NAICS, " + title + " as dsc, " + sector + " as Sector from (" + dataTable +
                        " f inner join " + naicsTable + " N on f.naics = N.NAICS) " +
                        "left join tblTreeview T on N.Parent = T.NodeKey order by " + title,
                    "read");
    return rowsOf(*rs);
}

std::string KeywordStatement(const std::string& dataTable, const std::string& naicsTable, const std::string& word,
                             int language) {
    const std::string w = SqlQuote(word);
    if (language != 0)
        return "select F.NAICS as SCIAN, N.description_french as Description, T.inddescf as Secteur from (" +
               naicsTable + " N " + "inner join " + dataTable + " F on N.NAICS = F.NAICS) " +
               "left join tblTreeview T on N.Parent = T.Nodekey " + "where Description_french like '%" + w + "%'";
    return "select F.NAICS, N.Description, T.inddesce as Sector from (" + naicsTable + " N " + "inner join " +
           dataTable + " F on N.NAICS = F.NAICS) " + "left join tblTreeview T on N.Parent = T.NodeKey " +
           "where description like '%" + w + "%'";
}

std::vector<IndustryRow> KeywordSearch(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, const std::string& word, int language) {
    auto rs = GetRS(connection, KeywordStatement(dataTable, naicsTable, word, language), "read");
    return rowsOf(*rs);
}

std::string LookupStatement(const std::string& dataTable, const std::string& naicsTable, const std::string& code,
                            int language) {
    return std::string(language != 0 ? "select F.NAICS, N.description_french, T.inddescf from ("
                                     : "select F.NAICS, N.description, T.inddesce from (") +
           naicsTable + " N " + "inner join " + dataTable + " F on N.NAICS = F.NAICS) " +
           "left join tblTreeview T on N.Parent = T.NodeKey " + "where F.NAICS = '" + SqlQuote(code) + "'";
}

std::optional<IndustryRow> LookupIndustry(ConnectionHandle& connection, const std::string& dataTable,
                                          const std::string& naicsTable, const std::string& code, int language) {
    auto rs = GetRS(connection, LookupStatement(dataTable, naicsTable, code, language), "read");
    if (rs->RecordCount() == 0) return std::nullopt;
    return rowsOf(*rs).front();
}

} // namespace zorva
