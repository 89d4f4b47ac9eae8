#pragma once
// One enterprise's statement read from a CSV or XLSX file, for the values
// screen's File > Import. Two layouts are read:
//   two columns   each row a line item and, in the next cell, its amount
//                 (cells further right are not read; a first row without an
//                 amount, such as "Line item, Amount", is a heading);
//   one row       a first row of line items and, below it, one row of amounts.
// A line item is known by its column name (Cash, Ar, ...) or by its English
// or French caption, without regard to letter case, accents, blanks or a
// trailing colon. Lines that are not known are listed, never guessed.
// Amounts may be written the English or the French way ("1,234.50",
// "1 234,50", "(1 234)" for a negative; "$" and "%" are ignored).

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
    bool computed = false;  // a subtotal: recomputed from the other lines, not imported
};
struct UnknownLine {
    std::string label;
    std::string cell;
};
struct StatementPreview {
    Layout layout = Layout::TwoColumns;
    std::vector<ImportedLine> lines;
    std::vector<UnknownLine> unknown;
    bool HasImportableLine() const;
};

// The form in which labels are compared: letters without accents in lower
// case, single blanks, no "&" and no trailing colon.
std::string LabelKey(const std::string& label);
// The field a label names, if any.
std::optional<Field> RecognizeLineItem(const std::string& label);
// An amount written the English or French way, as a plain number text
// ("-1234.5"); empty with *problem set when it is not one.
std::string NormalizeAmount(const std::string& text, bool numberCell, std::string* problem);

// The statement of the rows of a file (language: of the problems' texts).
StatementPreview ReadStatement(const std::vector<SheetRow>& rows, int language);
// The same from a file; throws SheetError when it cannot be read.
StatementPreview ReadStatementFile(const std::string& path, int language);
// Writes the lines that can be imported into the record (name, year and the
// typed amounts; other boxes keep their values), then recomputes the five
// subtotals as the values screen does. False when the subtotals are out of range.
bool ApplyStatement(const StatementPreview& preview, RecordTexts& record);

} // namespace zorva::import
