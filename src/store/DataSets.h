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

// The three reference years, latest first.
const std::vector<int>& referenceYears();
inline constexpr int kCurrentYear = 2010;

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
