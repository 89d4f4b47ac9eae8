#pragma once
// The layouts of both data stores, read from the schema files in data/schema
// (compiled into the tool). The SQL is run on an in-memory database and the
// tables are read back with PRAGMA table_info, so the schema files are the only
// place where a column is declared.

#include <string>
#include <vector>

namespace zorvadata {

enum class ColumnType { Text, Integer, Real };

struct Column {
    std::string name;
    ColumnType type = ColumnType::Text;
    std::string declaredType;  // as written in the schema ("TEXT", "REAL", ...)
};

struct TableDef {
    std::string name;
    std::vector<Column> columns;
    int find(const std::string& column) const;  // index, without regard to case; -1 when absent
    // "CREATE TABLE "name" (col TYPE, ...)" for this layout under another name.
    std::string createStatement(const std::string& tableName) const;
    std::string createStatement() const { return createStatement(name); }
};

// The schema texts compiled into the tool.
const std::string& industrySchemaSql();
const std::string& userSchemaSql();
const std::string& ratioSchemaSql();

// Tables of a schema text, in the order they are created. Throws
// std::runtime_error when the SQL does not run.
std::vector<TableDef> tablesOf(const std::string& sql);

// The layout of every ratio table (and of the report data tables).
const TableDef& ratioLayout();
// Tables of the industry store besides the ratio tables, and of the user store
// besides the report data tables.
const std::vector<TableDef>& industryTables();
const std::vector<TableDef>& userTables();

// Names of the user store's report data tables, which have the ratio layout.
const std::vector<std::string>& reportDataTables();
// Names of the user store's tables whose rows come from data/user.
const std::vector<std::string>& userReferenceTables();
// The user store table that holds the user's own records.
inline constexpr const char* kUserRecordsTable = "MyValues";

// Every table of the user store with its layout: the schema tables and the
// report data tables.
std::vector<TableDef> userLayout();

// What bringing an existing table of the user store to its layout takes, the
// same on a file and on a server. The user's records only ever gain the
// columns they lack; any other table whose columns differ from its layout (in
// name or order: the program fills them with "select *" and column lists in
// the schema's order) is laid out anew, keeping the columns both share.
struct TableUpgrade {
    enum class Kind { Nothing, AddColumns, Relay };
    Kind kind = Kind::Nothing;
    std::vector<const Column*> missing;  // the columns of the layout the table lacks
    std::vector<std::string> common;     // Relay: the columns both layouts share, in the layout's order
};
TableUpgrade PlanTableUpgrade(const TableDef& def, const std::vector<std::string>& haveColumns);

bool equalsNoCase(const std::string& a, const std::string& b);
// A name (table, column) as a quoted identifier: in double quotes, a double
// quote in it doubled. The one quoter of names of the program, on both
// engines (the server's names are lower-cased first).
std::string quoteIdentifier(const std::string& name);

} // namespace zorvadata
