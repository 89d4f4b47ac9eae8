#pragma once
// Reading of comma-separated files as spreadsheets and editors write them:
// fields separated by ",", optionally enclosed in double quotes (a quote inside
// is doubled), quoted fields may span lines, CRLF or LF line ends, an optional
// UTF-8 byte order mark. The first record is the header. The text must be
// UTF-8: a file saved in another encoding would silently corrupt accented
// titles, so it is refused.

#include "store/Diagnostics.h"

#include <string>
#include <vector>

namespace zorvadata {

struct CsvRecord {
    int line = 0;                     // line on which the record starts
    std::vector<std::string> fields;
};

struct CsvFile {
    std::string path;
    std::vector<std::string> header;  // first record
    std::vector<CsvRecord> records;   // the following records, blank lines skipped
};

// Parses text already in memory; problems go to diags with the path given.
// Returns false when the text cannot be read as CSV at all.
bool parseCsv(const std::string& text, const std::string& path, CsvFile& out, Diagnostics& diags);

// Reads and parses a file.
bool readCsv(const std::string& path, CsvFile& out, Diagnostics& diags);

// True when the bytes are valid UTF-8; otherwise sets the line of the first
// bad byte.
bool isValidUtf8(const std::string& text, int& badLine);

} // namespace zorvadata
