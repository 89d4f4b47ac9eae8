#include "Json.h"

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

} // namespace zorva::cli
