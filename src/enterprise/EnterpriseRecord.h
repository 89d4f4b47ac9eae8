#pragma once
// The enterprise record: one enterprise's balance sheet and income statement
// for one reference year, held as the texts of the values screen's boxes.
// Everything here is a pure function of those texts, so the values screen,
// the command-line tool and the tests share one code path.

#include "enterprise/NumberText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorva {

// The 35 fields in the column order of MyValues.
enum class Field : int {
    FirmName, Year, NAICS,
    Cash, Ar, Inv, CA, OA, Toa, Invest, Ptfl, Ta,
    OperatingRevenue, Sales, GrossProfit, OperatingProfit, InterestExpense, PretaxProfit, ProfitAfterTax,
    AccountsPayable, Paper, Mtg, Bonds, Ol, AmtsAffil, OLiab, DefTax, Tliab,
    ShareC, RetEarn, OtherSur, Equity1, TotLiabShareEq,
    CurrentAssets, CurrentLiabilities,
};
inline constexpr int kFieldCount = 35;
inline constexpr int kFirstValueField = static_cast<int>(Field::Cash);  // the 32 values follow

// Column of MyValues ("FirmName", "Year", ..., "CurrentLiabilities").
const char* ColumnName(Field f);
// Field of a column name, without regard to letter case.
std::optional<Field> FieldByColumn(std::string_view column);
// Name of the field's box on the values screen ("txtCash"; "cboYear" and
// "lblNAICS" for the year and the code).
const char* ControlName(Field f);
// String id of the field's caption (English; French at id + 1); 0 for NAICS.
int CaptionId(Field f);
// The five subtotals are computed; the other 27 values are typed.
bool IsComputed(Field f);
bool IsValueField(Field f);
// Every value field in column order (32 of them).
const std::vector<Field>& ValueFields();
// The box that Enter moves to from a value box.
Field NextFieldOnEnter(Field f);

// The texts of the record's fields.
struct RecordTexts {
    std::array<std::string, kFieldCount> text;
    std::string& operator[](Field f) { return text[static_cast<size_t>(f)]; }
    const std::string& operator[](Field f) const { return text[static_cast<size_t>(f)]; }
};

// Initial state: the name placeholder (id 544) of the language, NAICS empty,
// all 32 values "0"; the year is left as it is.
void InitializeValues(RecordTexts& record, int language);

// ---------------------------------------------------------------- subtotals

// The five subtotals, each in the number text form:
//   Toa = Cash + Ar + Inv + CA + OA
//   Ta = Toa + Invest + Ptfl
//   Tliab = AccountsPayable + Paper + Mtg + Bonds + Ol + AmtsAffil + OLiab + DefTax
//   Equity1 = ShareC + RetEarn + OtherSur
//   TotLiabShareEq = Tliab + Equity1
// Each operand is read with the leading-number reading, rounded to four
// decimals, and the sums are exact on ten-thousandths. ok is false (message
// 918) when an operand or a sum leaves the fixed-point range; the texts are
// then empty.
struct Subtotals {
    bool ok = true;
    int messageId = 0;
    std::string Toa, Ta, Tliab, Equity1, TotLiabShareEq;
};
Subtotals CalculateSubTotals(const RecordTexts& record);
// Computes and writes the five subtotals; false (record untouched) when out of range.
bool subCalculateSubTotals(RecordTexts& record);

// ---------------------------------------------------------------- typing

// What the value box does with one typed key.
enum class KeyAction {
    Accept,  // let the key through as `key`
    Refuse,  // discard it, show messageId, keep the focus, select the whole text
    Enter,   // write `text`, recompute the subtotals, move to the next box
    Minus,   // discard the key, write `text`, caret to the end, focus stays
};
struct KeyDecision {
    KeyAction action = KeyAction::Accept;
    int key = 0;           // Accept: the character to insert
    std::string text;      // Enter, Minus: the box's new text
    int messageId = 0;     // Refuse: 960 ("Please enter a number") or 918 (out of range)
};
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyMinus = 45;
inline constexpr int kKeyBackspace = 8;
inline constexpr int kMsgPleaseEnterNumber = 960;

// The key filter of an entry box. `text` is the box's text, `selStart` and
// `selLength` its selection in characters (code points).
//  - Enter: the text becomes the number text form of its leading number.
//  - Minus: the selection is removed, every "-" dropped, and the text becomes
//    minus the number text form of what is left, or "-" alone when that is 0
//    (minus never turns a negative value positive).
//  - Backspace and digits are accepted; so is the decimal point, and the
//    locale's own decimal mark is accepted as a point (amounts are always
//    written with a point). Every other key is refused with message 960.
KeyDecision subHandleKeyPressDecision(int keyCode, std::string_view text, std::size_t selStart,
                                      std::size_t selLength, const NumberLocale& locale);

// Leaving an entry box: the text becomes the number text form of its leading
// number (empty, "abc" and "-" become "0"). ok is false (message 918) when the
// number is out of range; the box then keeps its text and the focus.
NumberTextResult CheckNumericField(std::string_view text);

// The platform's numeric test under a locale: optional blanks and sign,
// digits with the locale's decimal mark. Used to judge a single typed key.
bool IsNumericText(std::string_view text, const NumberLocale& locale);

// Prepares the 32 values for a statement: an empty text becomes "0", every
// "," becomes ".". Name, year and NAICS are not touched.
void subRemoveBlanksCommas(RecordTexts& record);

// ---------------------------------------------------------------- comparison

// The checks before a comparison, in this order.
enum class ComparisonCheck {
    Ok,
    YearOutOfRange,  // the year text sorts before the edition's earliest year or after its latest
    YearNotWhole,    // ... or is not a whole year of the edition (e.g. "201")
    Unbalanced,      // total assets differ from total liabilities and equity
    NoName,          // the name box is empty
    NoTotalAssets,   // total assets are 0
    OutOfRange,      // a total lies outside the fixed-point range
};
ComparisonCheck CheckBeforeComparison(const RecordTexts& record);
// The message of a failed check in a language (0 English, 1 French); "" for Ok.
std::string ComparisonCheckMessage(ComparisonCheck check, int language);
// The years are those of the edition in use (core/Edition.h).
// Its string id (English; French at id + 1): 986 for a year out of range (the
// message is 986 + earliest year + 988 + latest year: "2008" and "2010" in the
// shipped edition), 916, 550, 552, 560, 918; 0 for Ok.
int ComparisonCheckMessageId(ComparisonCheck check);

// The reference year of a year text: a whole year of the edition in use
// (ClassifyStatementYear, core/Edition.h) with blanks around it allowed;
// empty otherwise. The one test of whether the program compares a year:
// saving, comparing and opening all ask it.
std::optional<std::int16_t> ReferenceYear(std::string_view yearText);

// The year of a stored row as the open-existing list shows it: any whole
// number of one to four digits (older versions stored any numeric year), so
// that every stored row can be opened; empty otherwise.
std::optional<std::int16_t> StoredYear(std::string_view yearText);

// The message shown when a stored row whose year the program does not compare
// (ReferenceYear) is opened: its values are shown, the year must be changed
// before comparing or saving. Id 3100 (French 3101).
inline constexpr int kMsgStoredYearNotCompared = 3100;
std::string StoredYearMessage(std::int16_t year, int language);

// aComparisonValues: 37 texts. 0 name, 1 year (as a whole number), 2 NAICS
// code, 3 industry title without surrounding blanks, 4-20 Cash ...
// AccountsPayable, 21 empty, 22-36 Paper ... CurrentLiabilities.
std::vector<std::string> BuildComparisonValues(const RecordTexts& record, const std::string& naics,
                                               const std::string& industryTitle);
inline constexpr int kComparisonValueCount = 37;

} // namespace zorva
