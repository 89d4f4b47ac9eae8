#include "reports/prep/ReportFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace zorva::report {

Lang LangOf(std::string_view languageText) {
    return (!languageText.empty() && (languageText[0] == 'F' || languageText[0] == 'f')) ? Lang::French
                                                                                         : Lang::English;
}

std::string FormatNumber(double value, int decimals, Lang lang) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "∞" : "-∞";
    if (decimals < 0) decimals = 0;
    if (decimals > 10) decimals = 10;
    // Halves are rounded away from zero, as accountants do (to_chars alone
    // would round 1234.5 to the even 1234).
    const double scale = std::pow(10.0, decimals);
    if (std::fabs(value) * scale < 1e15) value = std::round(value * scale) / scale;
    // to_chars ignores the process locale (the GUI runs under the user's).
    char buf[512];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string digits(buf, res.ec == std::errc() ? res.ptr : buf);
    bool negative = false;
    if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    // "-0.0" after rounding is zero.
    if (negative && digits.find_first_not_of("0.") == std::string::npos) negative = false;

    std::string intPart = digits, fracPart;
    if (auto dot = digits.find('.'); dot != std::string::npos) {
        intPart = digits.substr(0, dot);
        fracPart = digits.substr(dot + 1);
    }
    const std::string group = lang == Lang::French ? kNarrowNbsp : ",";
    std::string out;
    const size_t n = intPart.size();
    for (size_t i = 0; i < n; ++i) {
        out += intPart[i];
        size_t left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += group;
    }
    if (!fracPart.empty()) {
        out += lang == Lang::French ? ',' : '.';
        out += fracPart;
    }
    return negative ? "-" + out : out;
}

double ShownValue(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    std::string text = FormatNumber(value, decimals, Lang::English);
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());  // the thousands groups
    return ParseNumber(text).value_or(value);
}

std::string FormatPercent(double value, int decimals, Lang lang) {
    std::string s = FormatNumber(value, decimals, lang);
    return lang == Lang::French ? s + kNarrowNbsp + "%" : s + "%";
}

std::string FormatSigned(double value, int decimals, Lang lang) {
    std::string s = FormatNumber(value, decimals, lang);
    if (s.empty() || s[0] == '-') return s;
    if (s.find_first_not_of("0.," ) == std::string::npos) return s;  // zero: no sign
    return "+" + s;
}

std::optional<double> ParseNumber(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    if (b == e) return std::nullopt;
    std::string s(text.substr(b, e - b));
    if (s.find('.') == std::string::npos) {
        if (auto c = s.find(','); c != std::string::npos && s.find(',', c + 1) == std::string::npos) s[c] = '.';
    }
    // Only plain decimal notation: no hexadecimal, no "inf"/"nan" words.
    for (char ch : s)
        if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == '-' || ch == '+' || ch == 'e' || ch == 'E'))
            return std::nullopt;
    const char* first = s.c_str();
    if (*first == '+') ++first;
    double v = 0;
    auto res = std::from_chars(first, s.c_str() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.c_str() + s.size()) return std::nullopt;
    return v;
}

} // namespace zorva::report
