#include "reports/prep/ReportSql.h"

#include "core/Edition.h"

#include "core/Catalogue.h"
#include "enterprise/NumberText.h"
#include "reports/prep/ReportPrep.h"

#include <algorithm>
#include <cctype>

namespace zorva::reportsql {

void RequireDataSet(std::int16_t Volume, const std::string& Province) {
    if (Volume < 1 || Volume > 3)
        throw ReportArgumentError("The volume must be 1, 2 or 3, not " + std::to_string(Volume) + ".");
    bool known = std::any_of(Catalogue().begin(), Catalogue().end(),
                             [&](const DatasetChoice& c) { return Province == c.region; });
    if (!known) throw ReportArgumentError("Unknown region code: " + Province);
}

bool KnownYear(int year) { return CurrentEdition().Holds(year); }

int LanguageIndex(const std::string& Language) {
    return !Language.empty() && std::toupper(static_cast<unsigned char>(Language[0])) == 'E' ? 0 : 1;
}

std::string FirstLetter(const std::string& Language) { return Language.substr(0, Language.empty() ? 0 : 1); }

namespace {
std::string trimmed(std::string s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}
} // namespace

std::optional<double> NumberValue(const Variant& value, const std::string& column) {
    switch (value.type()) {
    case Variant::Type::Null: return std::nullopt;
    case Variant::Type::Integer:
    case Variant::Type::Real: return value.toDouble();
    case Variant::Type::Text: break;
    }
    std::string t = trimmed(value.toString());
    if (t.empty()) return std::nullopt;
    std::replace(t.begin(), t.end(), ',', '.');
    auto d = ParseNumber(t);
    if (!d) throw DbError("The industry figure in column " + column + " is not a number: " + value.toString());
    return d;
}

std::string SqlNumber(const Variant& value, const std::string& column) {
    switch (value.type()) {
    case Variant::Type::Null: return "NULL";
    case Variant::Type::Integer: return value.toString();
    case Variant::Type::Real: return Format15(value.toDouble());
    case Variant::Type::Text: break;
    }
    // Checked to be one number before it goes into the statement.
    std::string t = trimmed(value.toString());
    if (t.empty()) return "NULL";
    std::replace(t.begin(), t.end(), ',', '.');
    if (!ParseNumber(t)) throw DbError("The industry figure in column " + column + " is not a number: " + value.toString());
    return t;
}

std::string SqlDouble(double value) {
    std::string s = Format15(value);
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
}

std::string SqlColumnName(const std::string& name) {
    bool plain = !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) &&
                 std::all_of(name.begin(), name.end(),
                             [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
    if (plain) return name;
    if (name.find(']') != std::string::npos) throw DbError("Unusable column name: " + name);
    return "[" + name + "]";
}

std::string RegionName(ConnectionHandle& WriteConn, const std::string& Province, int languageIndex) {
    auto rs = GetRS(WriteConn,
                    "select " + std::string(languageIndex == 0 ? "English" : "French") +
                        " from ProvinceCodes where Code = ?",
                    "read", {Province});
    if (rs->RecordCount() == 0) return {};
    return rs->Fields(0).toString();
}

} // namespace zorva::reportsql
