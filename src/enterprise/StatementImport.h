#pragma once
// One enterprise's statement read from a CSV or XLSX file, for the values
// screen's File > Import and for zorva-cli import. Two layouts are read:
//   two columns   each row a line item and, in the next cell, its amount
//                 (cells further right are not read; a first row without an
//                 amount, such as "Line item, Amount", is a heading; a label
//                 merged across columns takes its amount from the first cell
//                 after the merged range);
//   one row       a first row of line items and, below it, one row of amounts.
// A line item is known by its column name (Cash, Ar, ...) or by its English
// or French caption, without regard to letter case, accents, blanks or a
// trailing colon. Lines that are not known are listed, never guessed; a line
// item given twice is flagged and only its first line is read.
//
// Amounts may be written the English or the French way ("1,234.50",
// "1 234,50", "(1 234)" for a negative; "$", "%" and currency codes are
// ignored; an accounting zero " $ -  " is 0). An amount that reads two ways
// ("1.234", "0,125") is read by the convention the rest of the file shows
// (its other amounts' decimal marks; without any, the decimal comma of a
// file separated by ";" and the decimal point otherwise) and marked.
//
// A workbook's sheet is the first visible one that holds line items (a
// hidden sheet only when no other does); the caller may read another.

#include "enterprise/EnterpriseRecord.h"
#include "enterprise/SheetFile.h"

#include <optional>
#include <string>
#include <vector>

namespace zorva::import {

enum class Layout { TwoColumns, OneRow };

struct ImportedLine {
    Field field;
    std::string label;  // as written in the file
    std::string cell;   // where the amount came from ("B3")
    std::string read;   // the amount's text in the file
    std::string value;  // the amount in the number text form (empty when !ok)
    bool ok = false;    // false: `problem` says why, and the line is not imported
    std::string problem;
    bool computed = false;   // a subtotal: recomputed from the other lines, not imported
    bool ambiguous = false;  // the amount reads two ways; read by the file's convention
};
struct UnknownLine {
    std::string label;
    std::string cell;
};

// The decimal mark a file's amounts use.
enum class DecimalMark { Unknown, Point, Comma };

// How the file was read, for the preview to say.
struct ReadAs {
    bool workbook = false;
    TextEncoding encoding = TextEncoding::Utf8;  // CSV
    char separator = ',';                        // CSV
    std::vector<SheetInfo> sheets;               // workbook
    int sheet = 0;                               // workbook: the sheet read
    DecimalMark convention = DecimalMark::Point;
};

struct StatementPreview {
    Layout layout = Layout::TwoColumns;
    std::vector<ImportedLine> lines;
    std::vector<UnknownLine> unknown;
    ReadAs readAs;
    bool HasImportableLine() const;
    // The enterprise name the file gives (empty when none).
    std::string FirmName() const;
    // The 27 typed amounts and the year: whether the file names the field.
    bool Names(Field f) const;
};

// The form in which labels are compared: letters without accents in lower
// case, single blanks, no "&" and no trailing colon.
std::string LabelKey(const std::string& label);
// The field a label names, if any.
std::optional<Field> RecognizeLineItem(const std::string& label);

// One amount as read.
struct AmountReading {
    std::string plain;      // "-1234.5"; empty when it is not an amount
    bool ambiguous = false; // it reads two ways and was read by the convention
};
// The decimal mark a set of amount texts shows, or `fallback` when none says.
DecimalMark DecimalMarkOf(const std::vector<std::string>& texts, DecimalMark fallback);
AmountReading ReadAmount(const std::string& text, bool numberCell, DecimalMark convention);
// An amount written the English or French way, as a plain number text
// ("-1234.5"); empty with *problem set when it is not one. An amount that
// reads two ways is read with the decimal point.
std::string NormalizeAmount(const std::string& text, bool numberCell, std::string* problem);

// The statement of the rows of a sheet (language: of the problems' texts).
StatementPreview ReadStatement(const std::vector<SheetRow>& rows, int language,
                               DecimalMark fallback = DecimalMark::Point);
// The statement of a file: a CSV file, or the sheet of a workbook that holds
// line items (or the sheet asked for, from 0). Throws ReadError.
StatementPreview ReadStatementFile(const std::string& path, int language, int sheet = -1);
StatementPreview ReadStatementDocument(const SheetDocument& doc, int language, int sheet = -1);

// Writes the lines that can be imported into the record (name, year and the
// typed amounts), then recomputes the five subtotals as the values screen
// does. The typed amounts the file does not name become 0, unless
// keepOtherLines. False when the subtotals are out of range (record untouched).
bool ApplyStatement(const StatementPreview& preview, RecordTexts& record, bool keepOtherLines = false);

// Ids of the preview's problems of a line (English; French at id + 1).
inline constexpr int kProblemNoAmount = 1820;
inline constexpr int kProblemNotAYear = 1822;
inline constexpr int kProblemNotANumber = 1824;
inline constexpr int kProblemFormulaWithoutValue = 2850;
inline constexpr int kProblemGivenTwice = 2852;  // {C}: the cell of the line used

} // namespace zorva::import
