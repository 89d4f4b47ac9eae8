#pragma once
// A data source folder read into typed tables: one CSV file per table, named
// after the table, whose header names the table's columns (in any order).
// Cells are converted to the column's type here; an empty cell is an empty
// text in a text column and "no value" (NULL) in a numeric one.

#include "store/Diagnostics.h"
#include "store/Schema.h"

#include <map>
#include <string>
#include <vector>

namespace zorvadata {

struct Value {
    enum class Kind { Null, Text, Integer, Real };
    Kind kind = Kind::Null;
    std::string text;       // Text
    long long integer = 0;  // Integer
    double real = 0;        // Real

    bool isNull() const { return kind == Kind::Null; }
    double number() const { return kind == Kind::Integer ? static_cast<double>(integer) : real; }
    static Value ofText(std::string s) { Value v; v.kind = Kind::Text; v.text = std::move(s); return v; }
    static Value ofInteger(long long i) { Value v; v.kind = Kind::Integer; v.integer = i; return v; }
    static Value ofReal(double d) { Value v; v.kind = Kind::Real; v.real = d; return v; }
};

struct Table {
    TableDef def;
    std::string path;
    std::vector<int> fileColumn;              // per schema column: 1-based field in the file, 0 when absent
    std::vector<int> lines;                   // per row: line in the file
    std::vector<std::vector<Value>> rows;     // per row: one value per schema column

    int col(const std::string& name) const { return def.find(name); }
    const Value& at(std::size_t row, int column) const { return rows[row][static_cast<std::size_t>(column)]; }
    const std::string& text(std::size_t row, int column) const { return at(row, column).text; }
    // Place of a cell for messages.
    void report(Diagnostics& diags, std::size_t row, int column, const std::string& message) const;
};

// Reads path as a table of layout def. Columns listed in optionalColumns may
// be missing from the file (their cells are then NULL / empty text). Returns
// false when the file could not be read as a whole (it is then of no use);
// cell problems are reported but the table is still returned.
bool loadTable(const std::string& path, const TableDef& def, const std::vector<std::string>& optionalColumns,
               Table& out, Diagnostics& diags);

// Strict number reading: optional sign, digits, "." and fraction, optional
// exponent; nothing else. Independent of the locale.
bool parseReal(const std::string& s, double& out);
bool parseInteger(const std::string& s, long long& out);

} // namespace zorvadata
