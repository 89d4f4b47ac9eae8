#include "Json.h"

#include "core/Text.h"
#include "enterprise/NumberText.h"

#include <charconv>
#include <cmath>
#include <strings.h>

namespace zorva::cli {

namespace {

// Appends without looking for an existing key: the callers' keys are distinct.
void append(Json& object, std::string key, Json value) {
    auto& members = *object.get_ptr<Json::object_t*>();
    static_cast<std::vector<Json::object_t::value_type>&>(members).emplace_back(std::move(key), std::move(value));
}

} // namespace

std::string Dump(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

Json NumberJson(double value) {
    if (!std::isfinite(value)) return nullptr;
    // A whole number is written without ".0" (100, not 100.0).
    if (std::floor(value) == value && std::fabs(value) < 9007199254740992.0)
        return static_cast<std::int64_t>(value);
    return value;
}

Json ToJson(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return nullptr;
    case Variant::Type::Integer: return v.toInt();
    case Variant::Type::Real: return NumberJson(v.toDouble());
    case Variant::Type::Text: return v.toString();
    }
    return nullptr;
}

std::string JsonString(std::string_view text) { return Dump(Json(std::string(text))); }
std::string JsonNumber(double value) { return Dump(NumberJson(value)); }
std::string JsonValue(const Variant& v) { return Dump(ToJson(v)); }

JsonObject& JsonObject::add(std::string_view key, Json value) {
    object_[std::string(key)] = std::move(value);
    return *this;
}

JsonObject& JsonObject::add(std::string_view key, const std::string& rawJson) {
    return add(key, Json::parse(rawJson));
}

std::string RowObject(const Recordset& rs, const std::vector<std::string>& spellings) {
    Json o = Json::object();
    for (int f = 0; f < rs.FieldCount(); ++f) {
        std::string name = rs.FieldName(f);
        for (const auto& s : spellings)
            if (strcasecmp(s.c_str(), name.c_str()) == 0) {
                name = s;
                break;
            }
        append(o, name, ToJson(rs.Fields(f)));
    }
    return Dump(o);
}

std::string RowObject(const std::vector<std::string>& names, const std::vector<Variant>& values,
                      const std::vector<size_t>& order) {
    Json o = Json::object();
    o.get_ptr<Json::object_t*>()->reserve(order.size());
    for (size_t k = 0; k < order.size(); ++k) append(o, names[k], ToJson(values[order[k]]));
    return Dump(o);
}

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The shortest text of a value of at most 15 significant digits (what a
// comparison row holds: every computed value is rounded to 15 digits), as
// std::to_chars writes it, without its general search: such a value is the
// only Double of its 15-digit decimal, so the decimal's digits without
// trailing zeros are the shortest that read back. Written in fixed notation
// unless the scientific one is shorter, as std::to_chars chooses. False for
// any other value (the caller then asks std::to_chars).
bool appendFifteenDigits(std::string& out, double value) {
    const double a = std::fabs(value);
    if (!(a >= 1e-5 && a < 1e15)) return false;
    int e = DecimalExponent(a);  // a = d.ddd x 10^e
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int p = 14 - e;
        if (p < 0 || p > 22) return false;
        const double scale = kPowersOfTen[p];
        const double m = a * scale;
        if (m < 1e14) {
            --e;
            continue;
        }
        if (m >= 1e15) {
            ++e;
            continue;
        }
        const double err = std::fma(a, scale, -m);  // a x 10^p = m + err exactly
        double r = std::nearbyint(m);
        const double d = m - r;
        if (err > 0.5 - d) r += 1;
        else if (err < -0.5 - d) r -= 1;
        if (r < 1e14 || r >= 1e15 || r / scale != a) return false;  // not a 15-digit value
        // The digits without trailing zeros.
        auto digits = static_cast<std::uint64_t>(r);
        int n = 15;
        while (digits % 10 == 0) {
            digits /= 10;
            --n;
        }
        char d15[16];
        for (int k = n - 1; k >= 0; --k, digits /= 10) d15[k] = static_cast<char>('0' + digits % 10);
        const int expDigits = std::abs(e) >= 100 ? 3 : 2;
        const int scientific = n + (n > 1 ? 1 : 0) + 2 + expDigits;
        const int fixed = e >= 0 ? (n <= e + 1 ? e + 1 : n + 1) : n + 1 - e;
        char text[48];
        char* t = text;
        if (value < 0) *t++ = '-';
        if (fixed <= scientific) {
            if (e >= 0) {
                const int whole = e + 1;
                for (int k = 0; k < whole; ++k) *t++ = k < n ? d15[k] : '0';
                if (n > whole) {
                    *t++ = '.';
                    for (int k = whole; k < n; ++k) *t++ = d15[k];
                }
            } else {
                *t++ = '0';
                *t++ = '.';
                for (int k = 0; k < -e - 1; ++k) *t++ = '0';
                for (int k = 0; k < n; ++k) *t++ = d15[k];
            }
        } else {
            *t++ = d15[0];
            if (n > 1) {
                *t++ = '.';
                for (int k = 1; k < n; ++k) *t++ = d15[k];
            }
            *t++ = 'e';
            *t++ = e < 0 ? '-' : '+';
            const int x = std::abs(e);
            if (x >= 100) *t++ = static_cast<char>('0' + x / 100);
            *t++ = static_cast<char>('0' + x / 10 % 10);
            *t++ = static_cast<char>('0' + x % 10);
        }
        out.append(text, static_cast<size_t>(t - text));
        return true;
    }
    return false;
}

} // namespace

void AppendNumber(std::string& out, double value, std::string_view nonFinite) {
    if (!std::isfinite(value)) {
        out += nonFinite;
        return;
    }
    char buf[32];
    if (std::fabs(value) < 9007199254740992.0 && std::floor(value) == value) {
        // A whole number as an integer (0, never "-0"; 25; 2480000).
        const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<std::int64_t>(value));
        out.append(buf, res.ptr);
        return;
    }
    if (appendFifteenDigits(out, value)) return;
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

namespace {
void appendInteger(std::string& out, std::int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// Length of a well-formed UTF-8 sequence at p (at most n bytes), or 0.
size_t utf8Sequence(const unsigned char* p, size_t n) {
    const unsigned char c = p[0];
    size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (c >= 0xF5 || len == 0 || len > n) return 0;
    for (size_t k = 1; k < len; ++k)
        if ((p[k] & 0xC0) != 0x80) return 0;
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if (c == 0xE0 && p[1] < 0xA0) return 0;
    if (c == 0xED && p[1] >= 0xA0) return 0;
    if (c == 0xF0 && p[1] < 0x90) return 0;
    if (c == 0xF4 && p[1] >= 0x90) return 0;
    return len;
}
} // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t run = 0;  // start of the bytes copied as they are
    auto flush = [&](size_t i) { out.append(text.data() + run, i - run); };
    for (size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c >= 0x20 && c != '"' && c != '\\' && c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            const size_t len = utf8Sequence(p + i, n - i);
            if (len) {
                i += len;
                continue;
            }
            flush(i);
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
            run = ++i;
            continue;
        }
        flush(i);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        run = ++i;
    }
    flush(n);
    out += '"';
}

void AppendJsonValue(std::string& out, const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: out += "null"; return;
    case Variant::Type::Integer: appendInteger(out, v.toInt()); return;
    case Variant::Type::Real: AppendNumber(out, v.toDouble()); return;
    case Variant::Type::Text: AppendJsonString(out, v.toString()); return;
    }
}

void AppendCsvText(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) out += text;  // the usual case, without a copy
    else out += CsvField(text);
}

void AppendCsvValue(std::string& out, const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return;
    case Variant::Type::Integer: appendInteger(out, v.toInt()); return;
    case Variant::Type::Real: AppendNumber(out, v.toDouble(), ""); return;
    case Variant::Type::Text: AppendCsvText(out, v.toString()); return;
    }
}

} // namespace zorva::cli
