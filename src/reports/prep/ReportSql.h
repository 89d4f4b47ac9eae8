#pragma once
// Shared pieces of the report preparations: checks of the arguments that are
// spliced into statements, and the texts values are written with.

#include "core/DBTools.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zorva::reportsql {

// Throws ReportArgumentError unless Volume is 1 to 3 and Province one of the
// catalogue's region codes (both are spliced into table names).
void RequireDataSet(std::int16_t Volume, const std::string& Province);
// True for a reference year of the edition in use (core/Edition.h).
bool KnownYear(int year);
// 0 (English) when the upper-cased first letter of Language is "E", else 1.
int LanguageIndex(const std::string& Language);
// The first letter of Language as passed ("" for an empty text).
std::string FirstLetter(const std::string& Language);

// Number value of a column; empty for Null or an empty text. A text that is
// not a number (after "," -> ".") throws DbError naming the column.
std::optional<double> NumberValue(const Variant& value, const std::string& column);
// The value for a statement: "NULL", or the number's text ("," -> ".").
std::string SqlNumber(const Variant& value, const std::string& column);
// A computed Double for a statement (15 significant digits, "." as mark).
std::string SqlDouble(double value);
// A column name for a statement: plain names as they are, others bracketed.
std::string SqlColumnName(const std::string& name);

// Name of a region in a language, from ProvinceCodes; "" when there is no row
// or the name is Null.
std::string RegionName(ConnectionHandle& WriteConn, const std::string& Province, int languageIndex);

// The comparison's title table: the rows of the language letter, completed
// with the industry code.
void FillComparisonTitles(ConnectionHandle& WriteConn, const std::string& Language, const std::string& naics);

// Message 916 in the language of the letter, then false: the preparations'
// answer to a year they do not know.
bool RefuseYear(const std::string& Language);

} // namespace zorva::reportsql
