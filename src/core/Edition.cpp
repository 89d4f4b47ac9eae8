#include "core/Edition.h"

#include "core/Strings.h"
#include "core/Text.h"
#include "store/DataSets.h"

#include <algorithm>

namespace zorva {

namespace {
Edition& inUse() {
    static Edition edition;
    return edition;
}
} // namespace

std::int16_t Edition::Nearest(int year) const {
    return static_cast<std::int16_t>(std::clamp<int>(year, Earliest(), latest));
}

std::string Edition::Name() const { return std::to_string(Earliest()) + "-" + std::to_string(latest); }

const Edition& CurrentEdition() { return inUse(); }
void SetCurrentEdition(const Edition& edition) { inUse() = edition; }

std::optional<Edition> ReadEdition(ConnectionHandle& industry) {
    auto rs = GetRS(industry, "select name from sqlite_master where type = 'table'", "read");
    int latest = 0;
    for (const auto& row : rs->Rows()) latest = std::max(latest, zorvadata::ratioTableYear(row.at(0).toString()));
    if (latest == 0) return std::nullopt;
    return Edition{static_cast<std::int16_t>(latest)};
}

std::string FillEditionYears(std::string text, const Edition& edition) {
    text = ReplaceAll(std::move(text), "{L}", std::to_string(edition.Year(0)));
    text = ReplaceAll(std::move(text), "{P}", std::to_string(edition.Year(1)));
    return ReplaceAll(std::move(text), "{E}", std::to_string(edition.Year(2)));
}

std::string EditionText(int englishId, int language) { return FillEditionYears(Txt(englishId, language)); }

std::string EditionYearsInWords(int language, const Edition& edition) {
    return std::to_string(edition.Year(0)) + ", " + std::to_string(edition.Year(1)) +
           (language != 0 ? " et " : " and ") + std::to_string(edition.Year(2));
}

StatementYear ClassifyStatementYear(std::string_view yearText, const Edition& edition) {
    const std::string t = TrimBlanks(yearText);
    if (t.size() != 4 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }) || t[0] == '0')
        return {};
    const auto year = static_cast<std::int16_t>(std::stoi(t));
    return {edition.Holds(year) ? YearStanding::InEdition : YearStanding::OutsideEdition, year};
}

} // namespace zorva
