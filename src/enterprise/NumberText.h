#pragma once
// How amounts travel as text: the leading-number reading of a typed text, the
// number text form (four decimals at most, "." as decimal mark whatever the
// user's locale) held exactly as a signed 64-bit count of ten-thousandths, and
// the 15-significant-digit text of a Double that statements are built from.
//
// Nothing here depends on the process locale (no strtod, no printf): a French
// desktop, whose C library writes "12,5", gets the same texts as an English one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorva {

// The user's number conventions, passed explicitly so that the same code runs
// under an English and a French desktop in one test program.
struct NumberLocale {
    char decimalMark = '.';
    static NumberLocale English() { return NumberLocale{'.'}; }
    static NumberLocale French() { return NumberLocale{','}; }
};
// The desktop's conventions (from the system locale of Qt); '.' when unknown.
NumberLocale SystemNumberLocale();

// Largest magnitude of the fixed-point form: 922,337,203,685,477.5807.
inline constexpr std::int64_t kMaxTenThousandths = INT64_MAX;

// Leading-number reading: blanks skipped; an optional sign, digits, one "."
// with fraction digits, an optional exponent; reading stops at the first
// character that cannot continue the number; no number gives 0.
// "1,5" reads as 1, "12abc" as 12, "abc" and "-" as 0.
double LeadingNumber(std::string_view text);

// The leading number rounded exactly (on its decimal digits, not through a
// Double) to four decimals, halves to even, as a count of ten-thousandths.
// Empty when it lies outside the signed 64-bit range.
std::optional<std::int64_t> ReadTenThousandths(std::string_view text);

// Number text form of a count of ten-thousandths: "-" when negative, the
// integer digits ("0" for zero, none before the point when the magnitude is
// below 1), then "." and up to four fraction digits without trailing zeros.
// 0 -> "0", 125000 -> "12.5", 5000 -> ".5", -2500 -> "-.25".
std::string FormatTenThousandths(std::int64_t tenThousandths);

// Number text form of a typed text: its leading number, rounded. ok is false
// (and text empty) when the number lies outside the fixed-point range; the
// caller then shows message 918.
struct NumberTextResult {
    bool ok = true;
    std::string text;
};
NumberTextResult NumberTextForm(std::string_view typed);
// True when a text is already in the number text form (NumberTextForm would
// give it back unchanged): "0", "12", "-12.5", ".25"; not "012", "1.50", "-0".
bool IsNumberTextForm(std::string_view text);
inline constexpr int kMsgNumberOutOfRange = 918;

// A Double as text with up to 15 significant digits, no thousands separator
// and "." as decimal mark: 12.5, -0.25, 100, 1E+16, 1.5E-05. What every
// statement of the reports writes for a computed number (FormatDouble15 of
// the database layer).
std::string Format15(double value);
// A Double rounded to `digits` significant digits (1 to 15): the same Double
// as writing it with that many digits and reading the text back, found
// without text in nearly every case (the rounding is decided exactly).
double RoundSignificant(double value, int digits);
// floor(log10(a)) of a positive finite Double, or one less: an estimate
// without a logarithm, for callers that correct it.
int DecimalExponent(double a);
// The same with the locale's decimal mark (what a French desktop shows).
std::string LocaleDoubleText(double value, const NumberLocale& locale);

// An amount in the number text form with its digits grouped by the
// convention of a language (0 English, 1 French; Canada's conventions as Qt
// gives them): "2480000" -> "2,480,000" or "2 480 000" (U+00A0 between the
// groups), "-1234.5" -> "-1,234.5" or "-1 234,5", ".25" -> "0.25" or "0,25".
// Exact on the digits (no Double between), whatever their number. A text
// that is not a plain number ([-]digits[.digits]) comes back unchanged.
std::string GroupedNumberText(std::string_view numberText, int language);

// A whole text that is one number (blanks around it allowed; sign, digits,
// "." fraction, exponent): the value, or empty. "12.5" yes, "12,5" and "12a" no.
std::optional<double> ParseNumber(std::string_view text);

} // namespace zorva
