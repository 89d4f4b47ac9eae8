#pragma once
// Number texts of the reports in the report's language: English groups
// thousands with "," and marks decimals with "."; French groups with a narrow
// no-break space (U+202F) and marks decimals with ",", and puts a narrow
// no-break space before "%".

#include <optional>
#include <string>
#include <string_view>

namespace zorva::report {

enum class Lang { English, French };

// "F" or "f" as the first letter selects French; anything else English.
Lang LangOf(std::string_view languageText);

inline constexpr const char* kNarrowNbsp = "\u202F";

// A number rounded to `decimals` places, with the thousands groups and the
// decimal mark of the language ("-1,234.5" / "-1 234,5"). Minus zero is
// written as zero.
std::string FormatNumber(double value, int decimals, Lang lang);
// The number FormatNumber shows with `decimals` places (1234.5 for 1234.46
// with one decimal), so that a copy of it holds what the report shows.
double ShownValue(double value, int decimals);
// FormatNumber followed by the per cent sign ("12.5%" / "12,5 %").
std::string FormatPercent(double value, int decimals, Lang lang);
// FormatNumber with an explicit sign on non-zero values ("+2.5", "-0.4").
std::string FormatSigned(double value, int decimals, Lang lang);

// The number a stored text stands for: "12.5", "-3", "1E+16", also "12,5"
// (a decimal comma when there is no point). Blanks around it are allowed;
// anything else (empty, "abc", "12x") gives nothing.
std::optional<double> ParseNumber(std::string_view text);

} // namespace zorva::report
