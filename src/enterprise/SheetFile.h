#pragma once
// Reading a table of cells from a CSV file (UTF-8, RFC 4180 quoting, LF or
// CRLF) or from the first sheet of an XLSX workbook (its zip read with
// minizip, its XML with QXmlStreamReader). Each cell keeps where it came
// from ("B3") so that an import can show it.
//
// One CSV dialect: CsvStream reads it a record at a time from any byte
// source (a file of a million enterprises never has to be held), and
// ReadCsvText is that reader run over a whole text.

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorva {

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

// One record of a CSV text: the line it starts on and its fields. A malformed
// record (text after a closing quote, a quoted field never closed) keeps what
// could be read and says why in `error`.
struct CsvRecord {
    long line = 0;
    std::vector<std::string> fields;
    std::string error;
};

// The CSV dialect read a record at a time from a byte source, in bounded
// memory: blocks of 1 MiB, and a record of at most kMaxRecordBytes (a longer
// one is malformed: a quote is missing, and the rest of its text up to the
// next closing quote is skipped rather than held). A byte order mark at the
// start is skipped; so is a line with nothing on it. Reading goes on after a
// malformed record. The bytes are taken as they come: check that they are
// UTF-8 before (RequireUtf8Text, Utf8Checker).
class CsvStream {
public:
    // Fills the buffer with up to `capacity` bytes; 0 at the end. May throw.
    using Source = std::function<std::size_t(char* buffer, std::size_t capacity)>;
    static constexpr std::size_t kMaxRecordBytes = 1 << 20;

    explicit CsvStream(Source source);
    // The next record; false at the end of the text.
    bool Next(CsvRecord& record);
    // Bytes taken from the source so far.
    unsigned long long BytesRead() const { return bytesRead_; }

private:
    bool fill();
    Source source_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    unsigned long long bytesRead_ = 0;
    bool atEnd_ = false, started_ = false;
    long line_ = 1;
};

// UTF-8 checked block by block (a sequence may straddle two blocks): the
// first line that is not UTF-8, or a NUL byte (binary data, not text).
class Utf8Checker {
public:
    // False, with Error() set, at the first fault.
    bool Add(const char* data, std::size_t size);
    // False when the text ends inside a sequence.
    bool Finish();
    const std::string& Error() const { return error_; }

private:
    bool check(const char* data, std::size_t size);
    std::string carry_;
    long line_ = 1;
    std::string error_;
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
