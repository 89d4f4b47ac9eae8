#include "enterprise/NumberText.h"

#include "core/Variant.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
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

namespace {
// The digits of a text in the number text form as a whole number, and how
// many of them follow the point.
std::uint64_t numberTextDigits(std::string_view text, int* decimals) {
    std::uint64_t mantissa = 0;
    bool afterPoint = false;
    *decimals = 0;
    for (char c : text) {
        if (c == '.') afterPoint = true;
        else if (c != '-') {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            *decimals += afterPoint;
        }
    }
    return mantissa;
}
} // namespace

std::optional<std::int64_t> ReadTenThousandths(std::string_view text) {
    if (IsNumberTextForm(text)) {  // at most 14 + 4 digits: exact in 64 bits
        int decimals = 0;
        const std::uint64_t digits = numberTextDigits(text, &decimals);
        const std::uint64_t scale[] = {10000, 1000, 100, 10, 1};
        const auto v = static_cast<std::int64_t>(digits * scale[decimals]);
        return text[0] == '-' ? -v : v;
    }
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

bool IsNumberTextForm(std::string_view t) {
    if (t == "0") return true;
    size_t i = t.size() && t[0] == '-' ? 1 : 0;
    const size_t intStart = i;
    while (i < t.size() && isDigit(t[i])) ++i;
    const size_t intDigits = i - intStart;
    // No leading zero, and few enough digits to lie well inside the range.
    if (intDigits > 14 || (intDigits && t[intStart] == '0')) return false;
    if (i == t.size()) return intDigits > 0;
    if (t[i] != '.') return false;
    const size_t fracStart = ++i;
    while (i < t.size() && isDigit(t[i])) ++i;
    const size_t fracDigits = i - fracStart;
    return i == t.size() && fracDigits >= 1 && fracDigits <= 4 && t.back() != '0';
}

NumberTextResult NumberTextForm(std::string_view typed) {
    if (IsNumberTextForm(typed)) return {true, std::string(typed)};  // already in its form
    auto v = ReadTenThousandths(typed);
    if (!v) return {false, {}};
    return {true, FormatTenThousandths(*v)};
}

std::string Format15(double d) { return FormatDouble15(d); }

std::string GroupedNumberText(std::string_view text, int language) {
    struct Convention {
        std::string group, decimal;
    };
    static const std::array<Convention, 2> conventions = [] {
        std::array<Convention, 2> c;
        const QLocale locales[2] = {QLocale(QLocale::English, QLocale::Canada), QLocale(QLocale::French, QLocale::Canada)};
        for (int k = 0; k < 2; ++k) {
            c[k].group = locales[k].groupSeparator().toStdString();
            c[k].decimal = locales[k].decimalPoint().toStdString();
        }
        return c;
    }();
    const Convention& c = conventions[language != 0 ? 1 : 0];
    const bool negative = !text.empty() && text[0] == '-';
    const size_t start = negative ? 1 : 0;
    const size_t point = std::min(text.find('.'), text.size());
    const std::string_view whole = text.substr(start, point - start);
    const std::string_view fraction = point < text.size() ? text.substr(point + 1) : std::string_view();
    auto digits = [](std::string_view s) { return std::all_of(s.begin(), s.end(), isDigit); };
    if (!digits(whole) || !digits(fraction) || (whole.empty() && fraction.empty()) ||
        (point < text.size() && fraction.empty()))
        return std::string(text);
    std::string out = negative ? "-" : "";
    if (whole.empty()) out += '0';
    for (size_t k = 0; k < whole.size(); ++k) {
        if (k && (whole.size() - k) % 3 == 0) out += c.group;
        out += whole[k];
    }
    if (!fraction.empty()) out += c.decimal + std::string(fraction);
    return out;
}

namespace {
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double roundThroughText(double value, int digits) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    double out = value;
    std::from_chars(buf, res.ptr, out);
    return out;
}
} // namespace

int DecimalExponent(double a) {
    // log10(2) x the binary exponent, from the bits: off by one at most.
    // Read from the representation (no library call: this runs for every
    // value of every comparison row); a subnormal through frexp.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &a, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    int binary = biased - 1022;  // a = f x 2^binary, 0.5 <= f < 1
    if (biased == 0) std::frexp(a, &binary);
    // 78913 / 2^18 is log10(2) to six digits; the shift rounds toward minus
    // infinity, as floor does.
    return ((binary - 1) * 78913) >> 18;
}

double RoundSignificant(double value, int digits) {
    if (value == 0 || !std::isfinite(value) || digits < 1 || digits > 15) return value;
    const double a = std::fabs(value);
    const double limit = kPowersOfTen[digits];  // a mantissa of `digits` digits lies below it
    if (a < limit && a == std::floor(a)) return value;  // a whole number keeps its digits
    // The mantissa r = a x 10^p rounded to a whole number, 10^(digits-1) <= r
    // < 10^digits. With 10^p exact, a x 10^p = m + err exactly (m the rounded
    // product, err its error by a fused multiply-add), so the rounding of the
    // exact product is decided without text; r / 10^p is then the correctly
    // rounded Double of the decimal, as reading the text back would give.
    int p = digits - 1 - DecimalExponent(a);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (p < 0 || p > 22) break;
        const double scale = kPowersOfTen[p];
        const double m = a * scale;
        const double err = std::fma(a, scale, -m);
        if (m < limit / 10) {
            ++p;
            continue;
        }
        if (m >= limit) {
            --p;
            continue;
        }
        if (m == limit / 10 && err < 0) break;  // just below the range: through text
        double r = std::nearbyint(m);
        const double d = m - r;                 // exact, within [-0.5, 0.5]
        const double up = 0.5 - d, down = -0.5 - d;
        if (err == up || err == down) break;    // exactly half way: as the text rounds it
        if (err > up) r += 1;
        else if (err < down) r -= 1;
        return std::copysign(r / scale, value);
    }
    return roundThroughText(value, digits);
}

std::string LocaleDoubleText(double value, const NumberLocale& locale) {
    std::string s = Format15(value);
    if (locale.decimalMark != '.')
        for (char& c : s)
            if (c == '.') c = locale.decimalMark;
    return s;
}

std::optional<double> ParseNumber(std::string_view text) {
    if (IsNumberTextForm(text)) {
        // Digits and at most four decimals: a whole count of ten-thousandths
        // (or less) divided by a power of ten, both exact, is the correctly
        // rounded Double of the text, as reading it would give.
        int decimals = 0;
        const std::uint64_t mantissa = numberTextDigits(text, &decimals);
        if (mantissa < (std::uint64_t{1} << 53)) {
            const double scale[] = {1, 10, 100, 1000, 10000};
            const double v = static_cast<double>(mantissa) / scale[decimals];
            return text[0] == '-' ? -v : v;
        }
    }
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
