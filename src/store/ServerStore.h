#pragma once
// The user data store on a PostgreSQL server: one store for a whole office,
// created and brought up to date by zorva-data ("init-store ADDRESS"), and the
// session set-up every connection of the program runs.
//
// Layout: the tables of the user schema (data/schema/user.sql) with the same
// columns in the same order, every name in lower case (the server folds
// unquoted names to it, so the program's statements, written in any letter
// case, find them). TEXT is text, INTEGER bigint, REAL double precision.
// MyValues has two more columns, filled by the server on every save:
// SavedBy (the saving role, current_user) and SavedAt (the time of the save).
// A function foldcase(text) compares enterprise names as the program does
// (NFC, full case folding: "STRASSE" and "Straße" are one name).
//
// Sharing: MyValues and the reference tables are the office's. The report
// tables (the Rpt_ tables the program empties and fills at every report) are
// made again by every connection as temporary tables of the same name, which
// the server finds before the shared ones: two advisers preparing reports at
// the same moment never read each other's rows.
//
// Roles: the store grants its use to the role zorva_advisers (made when the
// user running zorva-data may make roles); an office grants that role to
// each adviser. It grants what the program uses and no more: reading and
// writing MyValues and BookMappings, reading the reference tables, reading
// the shared report tables (each connection's temporary copies are made
// from them), and making temporary tables in the database. Optionally,
// row-level security lets each adviser see and change only the enterprises
// they saved, and the book mappings they saved.
//
// Book mappings (BookMappings) are office data, shared like MyValues: one
// adviser's import of a book remembers its mapping for every adviser, with
// SavedBy and SavedAt. Under row-level security each adviser has their own
// mapping of a book, because an account's name can name a client's
// creditors, owners or employees, which the other advisers must not read.
//
// Updating keeps every saved row: tables and columns are only added, the
// report tables get the schema's layout, the reference tables the shipped rows.

#include "store/Diagnostics.h"
#include "store/Store.h"
#include "store/Validate.h"

#include <map>
#include <string>
#include <vector>

namespace zorvadata {

// The role the store grants its use to.
inline constexpr const char* kAdvisersRole = "zorva_advisers";

// Row-level security and the saved statements no adviser owns (saved
// before the store said who saved, by the administrator, or by a role that
// is no longer an adviser): turning it on refuses while there are any,
// unless they are given to one adviser (ownerRole) or left visible to every
// adviser (ownerlessToAll: their SavedBy becomes the role zorva_advisers; an
// adviser who saves one again makes it theirs). Turning it off refuses while
// two advisers hold a statement of the same name and year (the error lists
// them): without it they would become one statement, and replacing one would
// delete the other.
struct ServerStoreOptions {
    enum class RowSecurity { Keep, On, Off };
    RowSecurity rowSecurity = RowSecurity::Keep;
    std::string ownerRole;
    bool ownerlessToAll = false;
};

// Creates the store's tables on the server named by address (a libpq URI or
// keyword string), or brings them up to date, in one transaction.
bool updateServerStore(const UserSource& src, const std::string& address, const ServerStoreOptions& options,
                       Diagnostics& diags, StoreSummary& summary);

// The tables each connection has to itself (temporary tables).
const std::vector<std::string>& perConnectionTables();

// The statement every connection of the program runs first: the settings the
// translated statements rely on (standard strings, UTF-8, ISO dates), the
// lock wait in milliseconds, and the connection's own report tables.
std::string serverSessionSetup(int lockWaitMs);

// The address as it may be shown or written in a message: read by libpq
// itself (PQconninfoParse) and written again as a URI without the password,
// whatever the password holds ("/", "?", "@", "%"). An address libpq cannot
// read is shown as its scheme only.
std::string addressWithoutPassword(const std::string& address);
// A message of libpq or the server about this address, with the address's
// password left out (when libpq cannot read the address, everything the
// message quotes).
std::string withoutPassword(const std::string& text, const std::string& address);

// The spelling of every table and column name of the user store (and of the
// two MyValues columns of the server), keyed by its lower-case form.
const std::map<std::string, std::string>& userStoreSpellings();
// The spelling of one table's column (tables spell some names differently:
// NAICS in the report data, Naics in the title tables); empty when unknown.
std::string userStoreColumnSpelling(const std::string& table, const std::string& column);

} // namespace zorvadata
