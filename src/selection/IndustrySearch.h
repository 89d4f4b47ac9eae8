#pragma once
// What the industry search screen asks the industry data store, and the texts
// it shows for a chosen industry. The screen reads its controls, calls these
// and writes the results back; tests and benchmarks call them directly.
//
// Every statement joins the data set's ratio table (gstrDataTable, alias F)
// so that only the industries of the data set are offered, with the data
// set's NAICS description table (gstrNaicsTable, alias N) for titles, tree
// places and order, and tblTreeview (alias T) for the sector folders. A text
// the user typed or picked is spliced with its quotes doubled.
//
// The sector tree: every folder of tblTreeview in `sequence` order, then every
// industry of the data set in `sequence` order under its folder. "IndTOTALL"
// and "IndMANAGE" (in any letter case) are the top-level folders; the finance
// folder "IndTFINANC" belongs to Volume 1 only (the detailed description
// table). An industry's key is "Ind" + its code.

#include "core/Catalogue.h"
#include "core/DBTools.h"
#include "core/Catalogue.h"
#include "core/DBTools.h"

#include <optional>
#include <string>
#include <vector>

namespace zorva {

// ------------------------------------------------------------ industries
// The industries of a data set, as the search screen finds them. dataTable is
// the data set's ratio table (gstrDataTable), naicsTable its description table
// (gstrNaicsTable); language 0 English, 1 French.

struct IndustryRow {
    std::string naics;
    std::string title;   // in the language
    std::string sector;  // folder of tblTreeview; "" when there is none
};

// Every industry of the data set in the order of the search screen's title
// list (by title in the language).
std::vector<IndustryRow> IndustryTitleList(ConnectionHandle& connection, const std::string& dataTable,
                                           const std::string& naicsTable, int language);

// The search screen's key word statement; the word, between "%" signs, is
// bound to its "?", and "%" and "_" in the word act as wildcards.
std::string KeywordStatement(const std::string& dataTable, const std::string& naicsTable, int language);
// Its rows (code, title, sector) in the order the statement returns them.
std::vector<IndustryRow> KeywordSearch(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, const std::string& word, int language);

// Looks one industry of the data set up by its code (the statement the search
// screen uses when it shows an industry in a language); empty when the data
// set has no such industry.
// (The code is bound to the statement's "?".)
std::string LookupStatement(const std::string& dataTable, const std::string& naicsTable, int language);
std::optional<IndustryRow> LookupIndustry(ConnectionHandle& connection, const std::string& dataTable,
                                          const std::string& naicsTable, const std::string& code, int language);

// ------------------------------------------------------------------ statements
// The code list: every code of the data set, ascending.
std::string CodeListStatement(const std::string& dataTable);
// The title list: every title of the data set in the language, by title.
std::string TitleListStatement(const std::string& dataTable, const std::string& naicsTable, int language);
// One industry by its title in the language (code, title, sector); the title
// is bound to the "?".
std::string TitleLookupStatement(const std::string& dataTable, const std::string& naicsTable, int language);
// The folders of the tree, and the industries of the data set, by sequence.
std::string TreeFoldersStatement();
std::string TreeIndustriesStatement(const std::string& dataTable, const std::string& naicsTable);

// ---------------------------------------------------------------------- lists
std::vector<std::string> ReadCodeList(ConnectionHandle& connection, const std::string& dataTable);
std::vector<std::string> ReadTitleList(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, int language);
// The first industry whose title in the language is `title`; empty when none.
std::optional<IndustryRow> LookupByTitle(ConnectionHandle& connection, const std::string& dataTable,
                                         const std::string& naicsTable, const std::string& title, int language);

// ------------------------------------------------------ the chosen industry
// Looks the chosen industry (CurrentChoice(), core/Navigator.h) up again in
// the language in force, in the data set in force: its title and sector
// follow a language switch. An industry the data set does not have keeps its
// code with an empty title and sector.
void RefreshChoiceLanguage();

// An industry as a list names it: "code – title" in the language, from the
// data set's description table or else either volume's; the bare code when
// no table knows it; "" for no code.
std::string IndustryCaption(ConnectionHandle& connection, const std::string& code, int language);
// "Sector: " + sector in the language (just the prefix and ": " without one).
std::string SectorCaption(const std::string& sector, int language);
// "NAICS: " + code in English, "SCIAN: " + code in French.
std::string CodeCaption(const std::string& code, int language);
// A code caption already on screen, made to follow the language: every
// "SCIAN" becomes "NAICS" in English, every "NAICS" becomes "SCIAN" in French.
std::string CodeCaptionInLanguage(const std::string& caption, int language);
// The code of a tree key: the key with every "Ind" removed.
std::string CodeOfNodeKey(const std::string& key);

// ------------------------------------------------------------------- the tree
struct SectorNode {
    std::string key;     // trimmed NodeKey
    std::string parent;  // key of the enclosing folder; "" for a top-level node
    std::string text;
    bool industry = false;  // a paper (an industry) rather than a folder
};

// The nodes of the tree in the order they are added, each after its parent.
// A node whose folder is not in the tree stands at the top level, and a key
// that is already in the tree is not added twice, so that no industry of the
// data set is lost to an inconsistent store.
std::vector<SectorNode> BuildSectorTree(const Recordset& folders, const Recordset& industries,
                                        const std::string& naicsTable, int language);
// Opens the two statements and builds the tree.
std::vector<SectorNode> LoadSectorTree(ConnectionHandle& connection, const std::string& dataTable,
                                       const std::string& naicsTable, int language);

} // namespace zorva
