#include "selection/IndustrySearch.h"

#include "core/Globals.h"
#include "core/Navigator.h"
#include "core/Strings.h"
#include "core/Text.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <unordered_map>

namespace zorva {

namespace {

// Sorts by title as a reader of the language expects: "Élevage" with the
// E's, not after "Z" as the bytes of the statement's order put it.
template <class T, class Key>
void SortTitles(std::vector<T>& items, Key key, int language) {
    QCollator collator(QLocale(language != 0 ? QLocale::French : QLocale::English, QLocale::Canada));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QString, size_t>> keys;
    keys.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) keys.emplace_back(QString::fromStdString(key(items[i])), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& k : keys) sorted.push_back(std::move(items[k.second]));
    items = std::move(sorted);
}

const char* const kTopFolders[] = {"IndTOTALL", "IndMANAGE"};
const char* const kFinanceFolder = "IndTFINANC";

std::string Column(const std::vector<Variant>& row, int index) {
    return index >= 0 && index < static_cast<int>(row.size()) ? row[static_cast<std::size_t>(index)].toString()
                                                              : std::string();
}

} // namespace

std::string CodeListStatement(const std::string& dataTable) {
    return "select NAICS from " + dataTable + " order by NAICS";
}

std::string TitleListStatement(const std::string& dataTable, const std::string& naicsTable, int language) {
    if (language != 0)
        return "select n.description_french as dsc from " + dataTable + " f inner join " + naicsTable +
               " N on f.naics = N.NAICS order by n.description_french";
    return "select n.description as dsc from " + dataTable + " f inner join " + naicsTable +
           " N on f.naics = N.NAICS order by n.description";
}

std::string TitleLookupStatement(const std::string& dataTable, const std::string& naicsTable, int language) {
    const std::string join = naicsTable + " N " + "inner join " + dataTable + " F on N.NAICS = F.NAICS) " +
                             "left join tblTreeview T on N.Parent = T.Nodekey ";
    if (language != 0)
        return "select F.NAICS, N.description_french, T.inddescf from (" + join + "where N.description_french = ?";
    return "select F.NAICS, N.description, T.inddesce from (" + join + "where N.description = ?";
}

std::string TreeFoldersStatement() { return "select * from tblTreeview order by sequence"; }

std::string TreeIndustriesStatement(const std::string& dataTable, const std::string& naicsTable) {
    return "select * from " + naicsTable + " N inner join " + dataTable + " F on N.NAICS = F.NAICS order by sequence";
}

std::vector<std::string> ReadCodeList(ConnectionHandle& connection, const std::string& dataTable) {
    auto rs = GetRS(connection, CodeListStatement(dataTable), "read");
    std::vector<std::string> codes;
    codes.reserve(rs->Rows().size());
    const int field = rs->FieldIndex("NAICS");
    for (const auto& row : rs->Rows()) codes.push_back(Column(row, field));
    rs->Close();
    return codes;
}

std::vector<std::string> ReadTitleList(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, int language) {
    auto rs = GetRS(connection, TitleListStatement(dataTable, naicsTable, language), "read");
    std::vector<std::string> titles;
    titles.reserve(rs->Rows().size());
    const int field = rs->FieldIndex("Dsc");
    for (const auto& row : rs->Rows()) titles.push_back(Column(row, field));
    rs->Close();
    SortTitles(titles, [](const std::string& t) -> const std::string& { return t; }, language);
    return titles;
}

std::optional<IndustryRow> LookupByTitle(ConnectionHandle& connection, const std::string& dataTable,
                                         const std::string& naicsTable, const std::string& title, int language) {
    auto rs = GetRS(connection, TitleLookupStatement(dataTable, naicsTable, language), "read", {title});
    if (rs->RecordCount() == 0) return std::nullopt;
    // When two industries share a title, the first row wins.
    const auto& row = rs->Rows().front();
    IndustryRow found{Column(row, 0), Column(row, 1), Column(row, 2)};
    rs->Close();
    return found;
}

std::string SectorCaption(const std::string& sector, int language) { return Txt(524, language) + ": " + sector; }

std::string CodeCaption(const std::string& code, int language) { return Txt(408, language) + ": " + code; }

std::string CodeCaptionInLanguage(const std::string& caption, int language) {
    return language != 0 ? ReplaceAll(caption, "NAICS", "SCIAN") : ReplaceAll(caption, "SCIAN", "NAICS");
}

std::string CodeOfNodeKey(const std::string& key) { return ReplaceAll(key, "Ind", ""); }

std::vector<SectorNode> BuildSectorTree(const Recordset& folders, const Recordset& industries,
                                        const std::string& naicsTable, int language) {
    std::vector<SectorNode> nodes;
    nodes.reserve(folders.Rows().size() + industries.Rows().size());
    // Keys are matched without regard to letter case, as the store does;
    // a node's parent is the key of its folder as that folder was added.
    std::unordered_map<std::string, std::string> keys;
    auto add = [&](std::string key, const std::string& parent, std::string text, bool industry) {
        const std::string lower = AsciiLower(key);
        if (keys.count(lower)) return;
        // A folder that is not (yet) in the tree: the node stands at the top.
        const auto folder = parent.empty() ? keys.end() : keys.find(AsciiLower(parent));
        std::string parentKey = folder == keys.end() ? std::string() : folder->second;
        keys.emplace(lower, key);
        nodes.push_back({std::move(key), std::move(parentKey), std::move(text), industry});
    };

    const bool volumeOne = IEquals(TrimBlanks(naicsTable), kNaicsDetailed);
    {
        const int key = folders.FieldIndex("NodeKey");
        const int parent = folders.FieldIndex("Parent");
        const int text = folders.FieldIndex(language != 0 ? "IndDescF" : "IndDescE");
        for (const auto& row : folders.Rows()) {
            const std::string nodeKey = TrimBlanks(Column(row, key));
            bool top = false;
            for (const char* t : kTopFolders) top = top || IEquals(nodeKey, t);
            if (top) {
                add(nodeKey, "", TrimBlanks(Column(row, text)), false);
            } else if (IEquals(nodeKey, kFinanceFolder)) {
                if (volumeOne) add(nodeKey, TrimBlanks(Column(row, parent)), Column(row, text), false);
            } else {
                add(nodeKey, TrimBlanks(Column(row, parent)), Column(row, text), false);
            }
        }
    }
    {
        const int key = industries.FieldIndex("NodeKey");
        const int parent = industries.FieldIndex("Parent");
        const int text = industries.FieldIndex(language != 0 ? "Description_french" : "Description");
        for (const auto& row : industries.Rows())
            add(TrimBlanks(Column(row, key)), TrimBlanks(Column(row, parent)), Column(row, text), true);
    }
    return nodes;
}

std::vector<SectorNode> LoadSectorTree(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, int language) {
    auto folders = GetRS(connection, TreeFoldersStatement(), "read");
    auto industries = GetRS(connection, TreeIndustriesStatement(dataTable, naicsTable), "read");
    auto nodes = BuildSectorTree(*folders, *industries, naicsTable, language);
    folders->Close();
    industries->Close();
    return nodes;
}

// ------------------------------------------------------------ industries

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
    auto rows = rowsOf(*rs);
    SortTitles(rows, [](const IndustryRow& r) -> const std::string& { return r.title; }, language);
    return rows;
}

std::string KeywordStatement(const std::string& dataTable, const std::string& naicsTable, int language) {
    if (language != 0)
        return "select F.NAICS as SCIAN, N.description_french as Description, T.inddescf as Secteur from (" +
               naicsTable + " N " + "inner join " + dataTable + " F on N.NAICS = F.NAICS) " +
               "left join tblTreeview T on N.Parent = T.Nodekey " + "where Description_french like ?";
    return "select F.NAICS, N.Description, T.inddesce as Sector from (" + naicsTable + " N " + "inner join " +
           dataTable + " F on N.NAICS = F.NAICS) " + "left join tblTreeview T on N.Parent = T.NodeKey " +
           "where description like ?";
}

std::vector<IndustryRow> KeywordSearch(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, const std::string& word, int language) {
    auto rs = GetRS(connection, KeywordStatement(dataTable, naicsTable, language), "read", {"%" + word + "%"});
    return rowsOf(*rs);
}

std::string LookupStatement(const std::string& dataTable, const std::string& naicsTable, int language) {
    return std::string(language != 0 ? "select F.NAICS, N.description_french, T.inddescf from ("
                                     : "select F.NAICS, N.description, T.inddesce from (") +
           naicsTable + " N " + "inner join " + dataTable + " F on N.NAICS = F.NAICS) " +
           "left join tblTreeview T on N.Parent = T.NodeKey " + "where F.NAICS = ?";
}

std::optional<IndustryRow> LookupIndustry(ConnectionHandle& connection, const std::string& dataTable,
                                          const std::string& naicsTable, const std::string& code, int language) {
    auto rs = GetRS(connection, LookupStatement(dataTable, naicsTable, language), "read", {code});
    if (rs->RecordCount() == 0) return std::nullopt;
    return rowsOf(*rs).front();
}

void RefreshChoiceLanguage() {
    IndustryChoice& chosen = CurrentChoice().industry;
    if (chosen.empty()) return;
    const auto found = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, chosen.naics, gintLanguage);
    chosen.title = found ? found->title : std::string();
    chosen.sector = found ? found->sector : std::string();
}

std::string IndustryCaption(ConnectionHandle& connection, const std::string& code, int language) {
    if (code.empty()) return {};
    const std::string column = language != 0 ? "description_french" : "description";
    // The data set's own titles first; a code of the other volume's table is
    // still named (a statement may have been saved under another data set).
    for (const std::string& table : {gstrNaicsTable, std::string(kNaicsDetailed), std::string(kNaicsRaw)}) {
        if (table.empty() || !TableExists(connection, table)) continue;
        auto rs = GetRS(connection, "select " + column + " from " + table + " where NAICS = ?", "read", {code});
        if (rs->RecordCount() && !rs->Fields(0).isNull()) return code + " \u2013 " + TrimBlanks(rs->Fields(0).toString());
    }
    return code;
}

} // namespace zorva
