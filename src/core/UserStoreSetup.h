#pragma once
// The user data store outside a build's application folder: in the user's
// data folder of an installed program, or a file chosen with --user-store or
// ZORVA_USER_STORE. Such a store is created on first use and brought up to
// date at every start by the store builder's own code (zorva-data): missing
// tables and columns are added, the reference tables get the shipped rows,
// saved records are kept, a damaged store is left untouched.

#include <string>

namespace zorva {

// The folder of the application folder holding the user store's reference
// tables as CSV sources (the same files the build makes myData.mdb from).
inline constexpr const char* kUserSourceFolder = "user";

struct UserStoreSetup {
    bool created = false;  // a new store was made
    bool updated = false;  // an existing store was brought up to date
    std::string problem;   // why neither happened (empty when one did)
};

// Creates store (and its folder) from the CSV sources in sourceFolder, or
// brings an existing store up to date. Never throws; a store that exists is
// never replaced.
UserStoreSetup PrepareUserStore(const std::string& store, const std::string& sourceFolder);

} // namespace zorva
