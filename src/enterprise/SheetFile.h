#pragma once
// Reading a table of cells from a CSV file (UTF-8, RFC 4180 quoting, LF or
// CRLF) or from the first sheet of an XLSX workbook (its zip read with
// minizip, its XML with QXmlStreamReader). Each cell keeps where it came
// from ("B3") so that an import can show it.

#include <stdexcept>
#include <string>
#include <vector>

namespace zorva {

// A file that cannot be read; what() says why in the language in force.
class SheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SheetCell {
    std::string text;       // as written in the file; a number cell of an XLSX in "." notation
    bool number = false;    // an XLSX number cell
    std::string ref;        // "B3"
};
struct SheetRow {
    long line = 0;                // the line of the file (CSV) or the row number (XLSX)
    std::vector<SheetCell> cells; // from column A on; empty cells as empty texts
};

// "A", "B", ... "AA" for a column index from 0.
std::string ColumnLetters(int column);

// Throws SheetError naming the first line of a text that is not UTF-8.
void RequireUtf8Text(const std::string& text);

// The rows of a CSV text; a line with nothing on it is skipped. Throws
// SheetError naming the line for a text that is not UTF-8 or a malformed one.
std::vector<SheetRow> ReadCsvText(const std::string& text);
// The rows of the first sheet of an XLSX file. Throws SheetError when the
// file is not a workbook or its parts cannot be read.
std::vector<SheetRow> ReadXlsxFile(const std::string& path);
// A CSV or XLSX file by its contents (an XLSX starts with a zip header);
// throws SheetError when it cannot be read or is empty.
std::vector<SheetRow> ReadSheetFile(const std::string& path);

} // namespace zorva
