#pragma once
// CSV read a record at a time from any byte source, for files too large to
// hold (a portfolio of a million enterprises): the dialect zorva-cli reads
// (UTF-8, "," between fields, RFC 4180 quoting, LF, CRLF or CR line ends).
// Statements and trial balances, which are small and come in every dialect
// spreadsheet programs write, are read whole by SheetFile.h.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zorva {

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
// UTF-8 before (Utf8Checker).
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

} // namespace zorva
