#pragma once
// Small text helpers shared by the database layer and the logic units.

#include <string>
#include <string_view>

namespace zorva {

// Leading and trailing blanks (spaces) removed.
std::string TrimBlanks(std::string_view s);
// ASCII letters in lower case.
std::string AsciiLower(std::string s);
// Equal without regard to the case of ASCII letters.
bool IEquals(std::string_view a, std::string_view b);
// Every occurrence of `from` replaced by `to`, left to right (an empty `from`
// changes nothing). Fills the {X} fields of the string table's texts.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
// A field of a CSV line (RFC 4180): as it is, or in quotation marks with its
// own doubled when it holds a comma, a quotation mark or a line break.
std::string CsvField(std::string_view text);

} // namespace zorva
