#pragma once
// Small data stores made for one test: an industry store (ZOR_DATA.mdb) and a
// user store (myData.mdb) in a new temporary folder, with the tables and
// columns the program reads and writes, and only the rows a test adds (plus
// the fixed title, volume and region rows of the user store).

#include "core/DBTools.h"

#include <map>
#include <string>
#include <vector>

namespace zorva::test {

// Columns of a ratio table (and of Rpt_Data_CY ...), in order.
const std::vector<std::string>& RatioColumns();
// A plausible industry row: every quartile and structure column with a value
// (DE and LTA boundaries decreasing, the others increasing), NumberOfFirms 100.
std::map<std::string, Variant> DefaultFigures();

class FixtureStores {
public:
    // Creates the folder and both stores, and opens them as `industry` and `user`.
    FixtureStores();
    ~FixtureStores();

    std::string dir;
    ConnectionHandle industry;
    ConnectionHandle user;
    // The user store's server address when the tests' user store is on the
    // server (support/PgServer.h); empty for the folder's file.
    std::string server;

    // Creates an empty ratio table of a data set and year.
    void addRatioTable(int volume, const std::string& region, int year);
    // Adds an industry row (DefaultFigures with `changes` applied) to the
    // ratio table, creating the table when needed.
    void addIndustryRow(int volume, const std::string& region, int year, const std::string& naics,
                        const std::map<std::string, Variant>& changes = {});
    // Adds an industry to both NAICS description tables.
    void addNaics(const std::string& naics, const std::string& english, const std::string& french,
                  const std::string& parent = "Ind11");
    // Adds a sector folder.
    void addFolder(const std::string& nodeKey, const std::string& parent, int sequence, const std::string& english,
                   const std::string& french);
    // Rows of a query on the user store.
    std::vector<std::vector<Variant>> userRows(const std::string& sql);
    // One value of a query on the user store (first row, named column).
    Variant userValue(const std::string& sql, const std::string& column);

    // Makes the stores the program's: sets the application folder and opens
    // them into gcnIndustry and gcnUser.
    void openAsProgram();

private:
    void userTable(std::string ddl);
    int sequence_ = 0;
};

// Literal of a value for a statement ("NULL", a number, or a quoted text).
std::string SqlLiteral(const Variant& v);

} // namespace zorva::test
