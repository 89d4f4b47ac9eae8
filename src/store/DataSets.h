#pragma once
// The nineteen data sets of the main menu, in the order the program visits
// them, and the names of their ratio tables: the one list that the store
// builder and the program's catalogue (core/Catalogue.h) both read.

#include <string>
#include <vector>

namespace zorvadata {

struct DataSet {
    const char* option;   // option button name, key of datadescription
    int volume;           // 1, 2 or 3
    const char* region;   // region code
};

const std::vector<DataSet>& dataSets();

// The three reference years of the shipped edition (the store built from
// data/industry), latest first. A store holds one edition: three consecutive
// years, read from its ratio tables' names (editionOf below); the program
// never assumes these.
const std::vector<int>& referenceYears();
inline constexpr int kCurrentYear = 2010;

// The years of an edition, latest first: latest, latest - 1, latest - 2.
inline constexpr int kEditionYears = 3;
std::vector<int> editionYears(int latest);

// The year in a ratio table's name ("ZORVA_Vol3_NS_2009_Final_Ratios" or the
// same with ".csv": 2009) when the name is that of a data set of the
// catalogue; 0 otherwise.
int ratioTableYear(const std::string& name);

// What a set of years found in a store or a source folder makes: the edition
// is the latest year and the two before it; `missing` lists the years of the
// edition without any table, `extra` every other year found (latest first).
struct EditionFinding {
    int latest = 0;  // 0 when no year was found
    std::vector<int> missing;
    std::vector<int> extra;
    bool ok() const { return latest != 0 && missing.empty() && extra.empty(); }
    // "2008-2010"
    std::string name() const;
    // What is wrong, in a sentence for a publisher ("" when ok).
    std::string problem() const;
};
EditionFinding findEdition(const std::vector<int>& yearsFound);

// "ZORVA_Vol" + volume + "_" + region + "_" + year + "_Final_Ratios".
std::string ratioTableName(int volume, const std::string& region, int year);
// The NAICS description table a volume reads.
std::string naicsTableFor(int volume);

inline constexpr const char* kNaicsDetailed = "ZORVA_NAICS_Description_Ind_Detailed";
inline constexpr const char* kNaicsRaw = "ZORVA_NAICS_Description_Ind_Raw";
inline constexpr const char* kTreeTable = "tblTreeview";
inline constexpr const char* kDescriptionTable = "datadescription";
// Folder keys with their own rules in the tree.
inline constexpr const char* kFolderAll = "IndTOTALL";
inline constexpr const char* kFolderManage = "IndMANAGE";
inline constexpr const char* kFolderFinance = "IndTFINANC";  // shown for Volume 1 only

// Every region code of the catalogue, "ALL" first.
std::vector<std::string> regionCodes();

} // namespace zorvadata
