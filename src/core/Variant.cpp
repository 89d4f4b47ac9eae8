#include "core/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zorva {

namespace {
// Leading number of a text: blanks skipped, sign, digits, one ".", fraction,
// optional exponent; stops at the first character that cannot continue it.
double leadingNumber(const std::string& s) {
    const char* p = s.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    bool digits = false;
    while (*p >= '0' && *p <= '9') { ++p; digits = true; }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') { ++p; digits = true; }
    }
    if (!digits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (*q >= '0' && *q <= '9') {
            while (*q >= '0' && *q <= '9') ++q;
            p = q;
        }
    }
    // from_chars reads "." whatever the process locale is.
    if (*start == '+') ++start;
    double value = 0.0;
    std::from_chars(start, p, value);
    return value;
}
} // namespace

double Variant::toDouble() const {
    switch (type()) {
    case Type::Null: return 0.0;
    case Type::Integer: return static_cast<double>(std::get<std::int64_t>(v_));
    case Type::Real: return std::get<double>(v_);
    case Type::Text: return leadingNumber(std::get<std::string>(v_));
    }
    return 0.0;
}

std::int64_t Variant::toInt() const {
    if (type() == Type::Integer) return std::get<std::int64_t>(v_);
    double d = toDouble();
    if (!std::isfinite(d)) return 0;
    return static_cast<std::int64_t>(std::llround(d));
}

std::string Variant::toString() const {
    switch (type()) {
    case Type::Null: return {};
    case Type::Integer: return std::to_string(std::get<std::int64_t>(v_));
    case Type::Real: return FormatDouble15(std::get<double>(v_));
    case Type::Text: return std::get<std::string>(v_);
    }
    return {};
}

std::string FormatDouble15(double d) {
    if (d == 0.0) return "0";
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    // to_chars writes "." whatever the process locale is (a French desktop
    // must not put "12,5" into a statement).
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
    std::string s(buf, res.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    // Split mantissa and exponent, trim trailing zeros of the fraction.
    std::string mant = s, expo;
    auto e = s.find('E');
    if (e != std::string::npos) { mant = s.substr(0, e); expo = s.substr(e); }
    if (mant.find('.') != std::string::npos) {
        while (!mant.empty() && mant.back() == '0') mant.pop_back();
        if (!mant.empty() && mant.back() == '.') mant.pop_back();
    }
    if (!expo.empty()) {
        // Exponent with a sign and at least two digits: 1E+16, 1.5E-05.
        char sign = expo.size() > 1 ? expo[1] : '+';
        std::string digits = expo.substr(2);
        while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
        if (digits.size() < 2) digits.insert(0, "0");
        expo = std::string("E") + sign + digits;
    }
    return mant + expo;
}

} // namespace zorva
