#pragma once
// The JSON the command-line tool writes, one object per line, through
// nlohmann::json: keys in the order added, texts escaped as JSON requires
// (bytes that are not UTF-8 become U+FFFD, so a line is always valid JSON),
// numbers as the shortest text that reads back as exactly the same Double.
//
// For volume (a comparison row per enterprise, a million of them) the Append
// functions write the same texts straight into a buffer: numbers with
// std::to_chars in its shortest exact form, texts escaped by hand.

#include "core/DBTools.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace zorva::cli {

using Json = nlohmann::ordered_json;

// A JSON string literal.
std::string JsonString(std::string_view text);
// A number that reads back as exactly the same Double; null for NaN and infinities.
std::string JsonNumber(double value);
// Null, a whole number, a real number or a text.
std::string JsonValue(const Variant& value);
// The same as a JSON value.
Json ToJson(const Variant& value);
Json NumberJson(double value);
// One line of output.
std::string Dump(const Json& value);

// Builds one object, keys in the order added.
class JsonObject {
public:
    JsonObject& add(std::string_view key, const std::string& rawJson);
    JsonObject& add(std::string_view key, Json value);
    JsonObject& addString(std::string_view key, std::string_view text) { return add(key, Json(std::string(text))); }
    JsonObject& addValue(std::string_view key, const Variant& v) { return add(key, ToJson(v)); }
    JsonObject& addBool(std::string_view key, bool b) { return add(key, Json(b)); }
    std::string str() const { return Dump(object_); }

private:
    Json object_ = Json::object();
};

// The current row of a recordset as an object. Field names are written as
// they come, or in the spelling of `spellings` when one matches without
// regard to letter case.
std::string RowObject(const Recordset& rs, const std::vector<std::string>& spellings = {});

// The shortest text that reads back as exactly `value`, as std::to_chars
// writes it (12.5, 33.3333333333333, 1.5e-07), a whole number below 2^53 as
// an integer (0 for both zeros, 100, 1000000); `nonFinite` (null in JSON,
// nothing in CSV) for NaN and the infinities.
void AppendNumber(std::string& out, double value, std::string_view nonFinite = "null");
// A database value as JSON (null, a number, a text).
void AppendJsonValue(std::string& out, const Variant& value);
// A JSON string literal; bytes that are not UTF-8 become U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);
// A CSV field (RFC 4180): quoted when it holds a separator, a quote or an end
// of line; Null as nothing, numbers as AppendNumber writes them.
void AppendCsvValue(std::string& out, const Variant& value);
void AppendCsvText(std::string& out, std::string_view text);

// An object of values[order[k]] under names[k], for k in order.
std::string RowObject(const std::vector<std::string>& names, const std::vector<Variant>& values,
                      const std::vector<size_t>& order);

} // namespace zorva::cli
