#pragma once
// Loading text files and workbooks as read-only tables of an in-memory SQLite
// database, for the "txt"/"csv" and "xls" connections.

#include <string>
#include <vector>

struct sqlite3;

namespace zorva {

// Parses comma-separated text (quotes with doubled quotes inside, line breaks
// inside quotes; "\r\n" or "\n" between records).
std::vector<std::vector<std::string>> ParseCsv(const std::string& text);

// Creates one table per *.txt and *.csv file of the folder, named by the file
// name ("sales.csv", reachable as [sales.csv] and as sales#csv). Throws DbError.
void LoadTextFolder(sqlite3* db, const std::string& folder);
// Creates one table per worksheet ("Sheet1$", also reachable as Sheet1).
void LoadWorkbook(sqlite3* db, const std::string& file);
// Creates a table from a header row and data rows; column types inferred.
void CreateTableFromRows(sqlite3* db, const std::string& name, const std::vector<std::string>& header,
                         const std::vector<std::vector<std::string>>& rows);

} // namespace zorva
