#include "enterprise/NumberText.h"

#include "core/Variant.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace zorva {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The pieces of a leading number, as they were typed.
struct Scan {
    bool found = false;      // at least one mantissa digit
    bool negative = false;
    std::string_view intDigits, fracDigits;
    bool hasExponent = false;
    bool expNegative = false;
    std::string_view expDigits;
    std::string_view span;   // the whole number, sign included
};

Scan scanLeading(std::string_view s) {
    Scan r;
    size_t p = 0;
    while (p < s.size() && isBlank(s[p])) ++p;
    size_t start = p;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        r.negative = s[p] == '-';
        ++p;
    }
    size_t i0 = p;
    while (p < s.size() && isDigit(s[p])) ++p;
    r.intDigits = s.substr(i0, p - i0);
    if (p < s.size() && s[p] == '.') {
        size_t f0 = ++p;
        while (p < s.size() && isDigit(s[p])) ++p;
        r.fracDigits = s.substr(f0, p - f0);
    }
    r.found = !r.intDigits.empty() || !r.fracDigits.empty();
    if (!r.found) return r;
    if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        size_t q = p + 1;
        bool neg = false;
        if (q < s.size() && (s[q] == '+' || s[q] == '-')) {
            neg = s[q] == '-';
            ++q;
        }
        size_t e0 = q;
        while (q < s.size() && isDigit(s[q])) ++q;
        if (q > e0) {
            r.hasExponent = true;
            r.expNegative = neg;
            r.expDigits = s.substr(e0, q - e0);
            p = q;
        }
    }
    r.span = s.substr(start, p - start);
    return r;
}

// Exponent of a scan, clamped far beyond anything that can matter.
long exponentOf(const Scan& s) {
    long e = 0;
    for (char c : s.expDigits) {
        e = e * 10 + (c - '0');
        if (e > 100000) { e = 100000; break; }
    }
    return s.expNegative ? -e : e;
}

// Parses a number span (sign, digits, fraction, exponent) as a Double.
double spanToDouble(std::string_view span) {
    if (!span.empty() && span[0] == '+') span.remove_prefix(1);
    // from_chars does not take ".5"; give it "0.5".
    std::string buf;
    bool neg = !span.empty() && span[0] == '-';
    std::string_view body = neg ? span.substr(1) : span;
    if (!body.empty() && body[0] == '.') {
        buf = neg ? "-0" : "0";
        buf.append(body);
        span = buf;
    }
    double d = 0.0;
    auto res = std::from_chars(span.data(), span.data() + span.size(), d, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large or too small for a Double: decide which by the exponent.
        Scan s = scanLeading(span);
        long digitsBeforePoint = static_cast<long>(s.intDigits.size());
        long e = exponentOf(s) + digitsBeforePoint;
        if (e > 0) return neg ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return neg ? -0.0 : 0.0;
    }
    return d;
}

} // namespace

NumberLocale SystemNumberLocale() {
    const QString mark = QLocale::system().decimalPoint();
    NumberLocale l;
    if (mark.size() == 1 && mark[0].unicode() < 0x80) l.decimalMark = static_cast<char>(mark[0].unicode());
    return l;
}

double LeadingNumber(std::string_view text) {
    Scan s = scanLeading(text);
    if (!s.found) return 0.0;
    return spanToDouble(s.span);
}

std::optional<std::int64_t> ReadTenThousandths(std::string_view text) {
    Scan s = scanLeading(text);
    if (!s.found) return std::int64_t{0};
    // All mantissa digits, without leading zeros; value = M x 10^(exp - fraction length).
    std::string m;
    m.reserve(s.intDigits.size() + s.fracDigits.size());
    m.append(s.intDigits);
    m.append(s.fracDigits);
    size_t nz = m.find_first_not_of('0');
    if (nz == std::string::npos) return std::int64_t{0};
    long shift = exponentOf(s) - static_cast<long>(s.fracDigits.size()) + 4;  // power of ten of the count
    long lead = static_cast<long>(m.size() - nz);                             // significant digits
    m.erase(0, nz);

    std::string kept;  // digits of the count before rounding
    bool roundUp = false;
    if (shift >= 0) {
        if (lead + shift > 19) return std::nullopt;
        kept = m;
        kept.append(static_cast<size_t>(shift), '0');
    } else {
        long drop = -shift;
        if (drop > lead) {
            kept.clear();  // the first dropped digit is a leading zero: rounds to 0
        } else {
            kept = m.substr(0, static_cast<size_t>(lead - drop));
            std::string_view dropped(m.data() + (lead - drop), static_cast<size_t>(drop));
            char first = dropped[0];
            if (first > '5') {
                roundUp = true;
            } else if (first == '5') {
                bool exactHalf = dropped.find_first_not_of('0', 1) == std::string_view::npos;
                if (!exactHalf) {
                    roundUp = true;
                } else {
                    int lastKept = kept.empty() ? 0 : kept.back() - '0';
                    roundUp = (lastKept % 2) != 0;  // halves to even
                }
            }
        }
        if (kept.size() > 19) return std::nullopt;
    }
    // Magnitude as an unsigned 64-bit number, checked against the signed range.
    std::uint64_t mag = 0;
    for (char c : kept) {
        std::uint64_t d = static_cast<std::uint64_t>(c - '0');
        if (mag > (std::numeric_limits<std::uint64_t>::max() - d) / 10) return std::nullopt;
        mag = mag * 10 + d;
    }
    if (roundUp) {
        if (mag == std::numeric_limits<std::uint64_t>::max()) return std::nullopt;
        ++mag;
    }
    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (s.negative) {
        if (mag > limit + 1) return std::nullopt;
        if (mag == limit + 1) return std::numeric_limits<std::int64_t>::min();
        return -static_cast<std::int64_t>(mag);
    }
    if (mag > limit) return std::nullopt;
    return static_cast<std::int64_t>(mag);
}

std::string FormatTenThousandths(std::int64_t v) {
    if (v == 0) return "0";
    bool neg = v < 0;
    std::uint64_t mag = neg ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
    std::uint64_t whole = mag / 10000, frac = mag % 10000;
    std::string out = neg ? "-" : "";
    if (whole != 0) out += std::to_string(whole);
    if (frac != 0) {
        char digits[5] = {char('0' + frac / 1000), char('0' + frac / 100 % 10), char('0' + frac / 10 % 10),
                          char('0' + frac % 10), 0};
        std::string f(digits);
        while (!f.empty() && f.back() == '0') f.pop_back();
        out += "." + f;
    }
    return out;
}

NumberTextResult NumberTextForm(std::string_view typed) {
    auto v = ReadTenThousandths(typed);
    if (!v) return {false, {}};
    return {true, FormatTenThousandths(*v)};
}

std::string Format15(double d) { return FormatDouble15(d); }

std::string LocaleDoubleText(double value, const NumberLocale& locale) {
    std::string s = Format15(value);
    if (locale.decimalMark != '.')
        for (char& c : s)
            if (c == '.') c = locale.decimalMark;
    return s;
}

std::optional<double> ParseNumber(std::string_view text) {
    size_t a = 0, b = text.size();
    while (a < b && isBlank(text[a])) ++a;
    while (b > a && isBlank(text[b - 1])) --b;
    std::string_view t = text.substr(a, b - a);
    Scan s = scanLeading(t);
    if (!s.found || s.span.size() != t.size()) return std::nullopt;
    double d = spanToDouble(s.span);
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

} // namespace zorva
