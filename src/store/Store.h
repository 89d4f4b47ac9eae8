#pragma once
// Writing the two data stores.
//
// The industry store is always built whole into a temporary file next to the
// target and renamed over it at the end, so a failed build never leaves a
// half-written store behind and the previous one stays in place.
//
// The user store is never replaced once it exists: it holds the user's saved
// records. A missing store is created (again through a temporary file); an
// existing one is brought up to date in one transaction: missing tables and
// columns are added, tables the program rewrites at every report get the
// layout of the schema (keeping their rows), the reference tables get the
// shipped rows, and MyValues rows are never touched. A damaged store is left
// untouched. The user store is put in write-ahead-log mode.
//
// Two copies of the program started together on a store that does not exist
// yet: the creation and the update hold the writers' turnstile beside the
// store ("<store>-writers"), so one copy makes the store while the other
// waits, then finds it made and only brings it up to date.

#include "store/Diagnostics.h"
#include "store/Validate.h"

#include <string>
#include <vector>

namespace zorvadata {

struct StoreSummary {
    bool created = false;                 // a new file was made
    std::vector<std::string> tablesAdded; // user store: tables that were missing
    std::vector<std::string> columnsAdded;// user store: "Table.Column"
    std::vector<std::string> tablesRebuilt;
    long long userRecords = 0;            // rows of MyValues after the update
    std::string journalMode;              // user store: journal mode after the update ("wal")
    long long tables = 0;                 // tables in the store
    long long rows = 0;                   // rows written
    long long ownerlessSettled = 0;       // server store: statements of no adviser given an owner or left to all
};

// Builds the industry store at outPath from a checked source.
bool writeIndustryStore(const IndustrySource& src, const std::string& outPath, Diagnostics& diags,
                        StoreSummary& summary);

// Creates or updates the user store at outPath from a checked source.
bool updateUserStore(const UserSource& src, const std::string& outPath, Diagnostics& diags, StoreSummary& summary);

} // namespace zorvadata
