#pragma once
// The little JSON the command-line tool writes: one object per line.

#include "core/DBTools.h"

#include <string>
#include <string_view>
#include <vector>

namespace zorva::cli {

// A JSON string literal (quotes, backslashes and control characters escaped;
// other characters as UTF-8).
std::string JsonString(std::string_view text);
// A number that reads back as exactly the same Double; null for NaN and infinities.
std::string JsonNumber(double value);
// Null, a whole number, a real number or a text.
std::string JsonValue(const Variant& value);

// Builds one object, keys in the order added.
class JsonObject {
public:
    JsonObject& add(std::string_view key, const std::string& rawJson);
    JsonObject& addString(std::string_view key, std::string_view text) { return add(key, JsonString(text)); }
    JsonObject& addValue(std::string_view key, const Variant& v) { return add(key, JsonValue(v)); }
    JsonObject& addBool(std::string_view key, bool b) { return add(key, b ? "true" : "false"); }
    std::string str() const { return body_.empty() ? "{}" : "{" + body_ + "}"; }

private:
    std::string body_;
};

// The current row of a recordset as an object. Field names are written as
// they come, or in the spelling of `spellings` when one matches without
// regard to letter case.
std::string RowObject(const Recordset& rs, const std::vector<std::string>& spellings = {});

} // namespace zorva::cli
