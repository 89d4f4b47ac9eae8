#pragma once
// The catalogue of the nineteen data sets: Volume 1, 2 or 3 for all of Canada,
// or Volume 3 for one region, province or territory. A choice is known by the
// name of its option button on the main menu ("optVol1" ...). The list itself
// is the store builder's (store/DataSets.h); the catalogue adds the captions.

#include "core/DBTools.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorva {

struct DatasetChoice {
    const char* option;       // option button name, key of datadescription
    std::int16_t volume;      // 1, 2 or 3
    const char* region;       // region code
    int captionId;            // string id of the caption, 0 when the caption is fixed
    const char* fixedCaption; // caption in both languages when captionId is 0
};

// The nineteen choices in the order the availability check visits them.
const std::vector<DatasetChoice>& Catalogue();
// The choice of an option name (exact letter case), or nullptr.
const DatasetChoice* FindChoice(const std::string& optionName);

// "ZORVA_Vol" + volume + "_" + region + "_" + year + "_Final_Ratios".
std::string RatioTableName(int volume, const std::string& region, int year);
// "ZORVA_NAICS_Description_Ind_Detailed" for Volume 1, "..._Raw" otherwise.
std::string NaicsTableForVolume(int volume);
inline constexpr const char* kNaicsDetailed = "ZORVA_NAICS_Description_Ind_Detailed";
inline constexpr const char* kNaicsRaw = "ZORVA_NAICS_Description_Ind_Raw";

// Caption of a choice in a language (0 English, 1 French).
std::string ChoiceCaption(const DatasetChoice& choice, int language);

// Sets gstrDataTable, gintVolume, gstrRegion and gstrNaicsTable from the
// choice. An unknown name leaves them as they were and returns false.
bool subSetDataTable(const std::string& optionName);

// Rows of a table ("select count(*) as NumRecords from " + table). A table
// that does not exist counts as empty.
long CountTableRows(ConnectionHandle& connection, const std::string& table);
// True when the choice's ratio table of the current year holds a row.
bool ChoiceHasData(ConnectionHandle& connection, const DatasetChoice& choice);

// Description of a choice in a language, from datadescription. A missing row
// or an empty text gives "".
std::string DatasetDescription(ConnectionHandle& connection, const std::string& optionName, int language);

} // namespace zorva
