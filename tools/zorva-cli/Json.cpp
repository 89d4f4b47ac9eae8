#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <strings.h>

namespace zorva::cli {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    if (value == 0) return "0";
    // The shortest text that reads back as exactly the same Double; plain
    // digits over the usual range (900000 rather than 9e+05).
    char buf[512];
    double a = std::fabs(value);
    auto format = a >= 1e-6 && a < 1e21 ? std::chars_format::fixed : std::chars_format::scientific;
    auto res = std::to_chars(buf, buf + sizeof buf, value, format);
    return std::string(buf, res.ptr);
}

std::string JsonValue(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Null: return "null";
    case Variant::Type::Integer: return std::to_string(v.toInt());
    case Variant::Type::Real: return JsonNumber(v.toDouble());
    case Variant::Type::Text: return JsonString(v.toString());
    }
    return "null";
}

JsonObject& JsonObject::add(std::string_view key, const std::string& rawJson) {
    if (!body_.empty()) body_ += ", ";
    body_ += JsonString(key) + ": " + rawJson;
    return *this;
}

std::string RowObject(const Recordset& rs, const std::vector<std::string>& spellings) {
    JsonObject o;
    for (int f = 0; f < rs.FieldCount(); ++f) {
        std::string name = rs.FieldName(f);
        for (const auto& s : spellings)
            if (strcasecmp(s.c_str(), name.c_str()) == 0) {
                name = s;
                break;
            }
        o.addValue(name, rs.Fields(f));
    }
    return o.str();
}

} // namespace zorva::cli
