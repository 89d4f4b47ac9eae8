#pragma once
// Reading and checking a source folder before anything is written. Every
// problem is reported with its file, line and column; a store is built only
// from a source without problems.

#include "store/Diagnostics.h"
#include "store/DataSets.h"
#include "store/Source.h"

#include <map>
#include <string>

namespace zorvadata {

// File listing the ratio tables that are deliberately left out of an industry
// source (columns: table, reason).
inline constexpr const char* kAbsentTablesFile = "absent_tables.csv";

struct IndustrySource {
    std::string dir;
    Table tree;                                  // tblTreeview
    Table datasets;                              // datadescription
    std::map<std::string, Table> naics;          // the two description tables, by name
    std::map<std::string, Table> ratios;         // ratio tables present, by name
    std::map<std::string, std::string> absent;   // ratio tables left out, with the reason
    // The edition: its latest year, read from the names of the folder's ratio
    // tables (and of those left out); the years are latest, latest - 1 and
    // latest - 2.
    int latest = kCurrentYear;
    std::vector<int> years() const { return editionYears(latest); }
};

struct UserSource {
    std::string dir;
    std::map<std::string, Table> tables;         // the reference tables, by name
};

// Reads every file of an industry source folder and checks it. The folder's
// edition comes from its files' names: tables of the latest year found and of
// the two years before it, none of any other year. Returns true
// when there is no problem; diags then stays empty.
bool loadIndustrySource(const std::string& dir, IndustrySource& src, Diagnostics& diags);
// The checks alone, on a source already read (tests call them on sources they
// change in memory).
void checkIndustrySource(const IndustrySource& src, Diagnostics& diags);

// Same for the user store's reference tables.
bool loadUserSource(const std::string& dir, UserSource& src, Diagnostics& diags);
void checkUserSource(const UserSource& src, Diagnostics& diags);

// Checks of the compiled-in schema that the program's statements rely on
// (each title table has the columns of its source, in order; the ratio layout
// shares no column but NAICS with the description tables).
void checkSchemas(Diagnostics& diags);

// Fills every empty IndustryDescription of the ratio tables with the English
// title of the data set's description table.
void fillIndustryDescriptions(IndustrySource& src);

} // namespace zorvadata
