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

} // namespace zorva
