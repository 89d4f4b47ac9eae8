#pragma once
// Reading a table of cells from a CSV file or from a sheet of an XLSX
// workbook, as spreadsheet and accounting programs write them. Each cell
// keeps where it came from ("B3") so that an import can show it.
//
// CSV: UTF-8 with or without a byte-order mark, UTF-16 with one, and
// Windows-1252 when the bytes are not UTF-8 (what a spreadsheet program
// saves as "CSV" on a desktop set to a Western language); "," ";" or a tab
// between fields (the one that separates the most lines; French-language
// spreadsheets write ";" since their decimal mark is a comma); RFC 4180
// quoting; LF, CRLF or CR line ends. How the file was read is returned, so a
// preview can say it.
//
// XLSX (its zip read with minizip, its XML with QXmlStreamReader, both
// through BoundedRead.h): every sheet with its name and whether it is hidden;
// shared and inline texts; numbers as written in the file ("." notation);
// a formula whose result the file does not hold is marked; the cells inside
// a merged range other than its first are marked as covered.
//
// Everything is read within the limits of BoundedRead.h (inflated size and
// ratio of every part, rows, columns, length of a cell); what cannot be read
// is a ReadError naming the line, cell or part.

#include "enterprise/BoundedRead.h"

#include <string>
#include <vector>

namespace zorva {

using SheetError = ReadError;

struct SheetCell {
    std::string text;                  // as written in the file; a number cell of an XLSX in "." notation
    bool number = false;               // an XLSX number cell
    bool formulaWithoutValue = false;  // an XLSX formula whose result was never saved
    bool covered = false;              // inside a merged range, not its first cell
    std::string ref;                   // "B3"
};
struct SheetRow {
    long line = 0;                 // the line of the file (CSV) or the row number (XLSX)
    std::vector<SheetCell> cells;  // from column A on; empty cells as empty texts
};

enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

struct SheetInfo {
    std::string name;
    bool hidden = false;  // hidden or very hidden in the workbook
    std::string part;     // "xl/worksheets/sheet1.xml"
};

// "A", "B", ... "AA" for a column index from 0.
std::string ColumnLetters(int column);

// Throws ReadError naming the first line of a text that is not UTF-8.
void RequireUtf8Text(const std::string& text);

// The text of CSV bytes in UTF-8, with the encoding it was read in.
std::string DecodeText(const std::string& bytes, TextEncoding* encoding);
// The separator of a CSV text: ',', ';' or '\t'.
char DetectSeparator(const std::string& utf8);
// The rows of a UTF-8 CSV text with a separator; a line with nothing on it
// is skipped. Throws ReadError naming the line of a malformed text.
std::vector<SheetRow> ReadCsvRows(const std::string& utf8, char separator, const ReadLimits& limits = SheetLimits());
// The strict dialect of the command-line tool's enterprise files: UTF-8
// (else ReadError naming the line), "," between fields.
std::vector<SheetRow> ReadCsvText(const std::string& text);

// A CSV file or an XLSX workbook, opened once; a workbook's sheets are read
// on demand.
class SheetDocument {
public:
    // Throws ReadError when the file cannot be read or holds nothing.
    explicit SheetDocument(const std::string& path, const ReadLimits& limits = SheetLimits());
    bool IsWorkbook() const { return workbook_; }
    // CSV: how it was read.
    TextEncoding Encoding() const { return encoding_; }
    char Separator() const { return separator_; }
    // Workbook: its sheets in their order (a CSV file has one, unnamed).
    const std::vector<SheetInfo>& Sheets() const { return sheets_; }
    // The rows of a sheet (a CSV file's rows for sheet 0). Throws ReadError.
    std::vector<SheetRow> Rows(int sheet) const;
    // The first sheet that is not hidden (or the first, when all are).
    int FirstVisibleSheet() const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
    ReadLimits limits_;
    bool workbook_ = false;
    TextEncoding encoding_ = TextEncoding::Utf8;
    char separator_ = ',';
    std::vector<SheetRow> csvRows_;
    std::vector<SheetInfo> sheets_;
    std::vector<std::string> shared_;
};

// The rows of the first visible sheet of an XLSX file. Throws ReadError.
std::vector<SheetRow> ReadXlsxFile(const std::string& path);
// A CSV or XLSX file by its contents (an XLSX starts with a zip header): the
// CSV rows or the first visible sheet's; throws ReadError when it cannot be
// read or is empty.
std::vector<SheetRow> ReadSheetFile(const std::string& path);

// True when the file starts as a zip archive does.
bool LooksLikeZip(const std::string& path);

} // namespace zorva
