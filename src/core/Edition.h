#pragma once
// The edition in use: the three consecutive reference years of the industry
// data store that start-up opened, latest first. Benchmarks are published
// once a year; a publisher loads a newer edition with zorva-data and the same
// program serves it. Everything that names or checks a year reads it here:
// the values screen's year list, the comparison's year check and its
// messages, the titles of the start screen, the main menu, the search screen
// and the reports, the trend, the command-line tool and the portfolio.
//
// Start-up (OpenDataStores, core/modMain.h) reads the edition from the names
// of the store's ratio tables ("ZORVA_Vol1_ALL_2010_Final_Ratios": the latest
// year there is, and the two before it). Until then, and in tests that open
// no store, the edition is the shipped one, 2008 to 2010.
//
// Texts that name the edition's years carry the placeholders {L} (the latest
// year), {P} (the year before) and {E} (the earliest); EditionText fills them.

#include "core/DBTools.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zorva {

struct Edition {
    std::int16_t latest = 2010;

    // The year of a slot: 0 the latest, 1 the year before, 2 the earliest.
    std::int16_t Year(int slot) const { return static_cast<std::int16_t>(latest - slot); }
    std::int16_t Earliest() const { return Year(2); }
    bool Holds(int year) const { return year >= Earliest() && year <= latest; }
    // The slot of a year of the edition; -1 for any other year.
    int Slot(int year) const { return Holds(year) ? latest - year : -1; }
    // The year of the edition nearest to a year (the latest for a later one,
    // the earliest for an earlier one).
    std::int16_t Nearest(int year) const;
    // "2008-2010"
    std::string Name() const;
    bool operator==(const Edition& o) const { return latest == o.latest; }
};
inline constexpr int kEditionSlots = 3;

// The edition in use. Written once by start-up; ResetGlobals puts the shipped
// edition back.
const Edition& CurrentEdition();
void SetCurrentEdition(const Edition& edition);

// The edition of an industry store: the latest year of its ratio tables'
// names. Empty when the store has no ratio table.
std::optional<Edition> ReadEdition(ConnectionHandle& industry);

// A text with {L}, {P} and {E} replaced by the edition's years.
std::string FillEditionYears(std::string text, const Edition& edition = CurrentEdition());
// Text of the even id in a language, its placeholders filled.
std::string EditionText(int englishId, int language);
// "2010, 2009 and 2008" in English, "2010, 2009 et 2008" in French.
std::string EditionYearsInWords(int language, const Edition& edition = CurrentEdition());

// The year rule, in one place for every flow that reads a statement's year
// (the comparison, saving, opening a stored row, importing): what a year text
// is to the edition in use.
enum class YearStanding {
    InEdition,       // a whole year of the edition (blanks around it allowed)
    OutsideEdition,  // a whole four-digit year the edition does not cover
    NotAYear,        // anything else ("201", "20x0", "2009.5", "")
};
struct StatementYear {
    YearStanding standing = YearStanding::NotAYear;
    std::int16_t year = 0;  // the year read, for InEdition and OutsideEdition
};
StatementYear ClassifyStatementYear(std::string_view yearText, const Edition& edition = CurrentEdition());

} // namespace zorva
