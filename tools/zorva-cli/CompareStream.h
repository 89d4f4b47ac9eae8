#pragma once
// zorva-cli compare at volume: the enterprises of a file compared with their
// industries as a stream, in bounded memory, on every core, the output in the
// order of the input.
//
// Mechanism. The calling thread reads the file a record at a time (CsvStream;
// a workbook's first sheet is read whole, a sheet holding at most a million
// rows) and hands blocks of kBlockRows records to one worker per core. A
// worker reads each record as the values screen would hold it, asks for the
// comparison through the values screen's own request (values::
// RequestComparison: blanks removed, the checks, the comparison values),
// computes the row with its industry's ComparisonBatch and formats it; then
// it waits for its block's turn and writes it. An industry (data set and
// NAICS code) is read from the stores the first time a row names it, under a
// lock: the stores are used by one thread at a time, and by nothing else
// while the workers run. At most two blocks per worker wait to be compared,
// so memory does not grow with the file.
//
// Guarantees. The output is in input order and holds whole rows only: a stop
// request (Ctrl+C) ends it after the last block written. A row that cannot be
// compared (malformed, refused by a check, naming an unknown industry) gives
// an error line with its line number and the run goes on. A file that is not
// UTF-8 text, holds binary data, or whose header is not one of MyValues
// columns is refused before anything is written (InputRefused).

#include "core/Catalogue.h"

#include <atomic>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorva::cli {

// The file cannot be compared at all; nothing has been written.
struct InputRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CompareRun {
    std::string valuesPath;              // CSV, or an XLSX workbook (by its contents)
    const DatasetChoice* dataset = nullptr;  // for rows without a Dataset cell
    std::string naics;                   // for rows without a NAICS cell
    int language = 0;
    std::vector<std::string> fields;     // the columns to write (any letter case); empty: all
    std::string outPath;                 // empty: JSON lines on `out`; FILE.csv; FILE.xlsx (portfolio)
    unsigned threads = 0;                // workers; 0: one per core
    long long sheetRows = 0;             // enterprises a workbook's sheet holds; 0: the format's limit
    std::ostream* progress = nullptr;    // a progress bar when it is a terminal
    const std::atomic<bool>* stop = nullptr;  // set to end the run at a row boundary
};

struct CompareTotals {
    long long compared = 0;  // rows written
    long long refused = 0;   // error lines
    bool stopped = false;    // by a stop request
    std::string notWritten;  // why the run ended early (a full workbook sheet), else ""
};

inline constexpr size_t kBlockRows = 256;

// Compares every enterprise of the file. Rows go to `out` as JSON lines, or
// to the CSV or workbook file, whose error lines still go to `out`. Throws
// InputRefused before writing anything when the file or an option cannot be
// used; std::runtime_error when an output cannot be written.
CompareTotals CompareEnterprises(const CompareRun& run, std::ostream& out);

} // namespace zorva::cli
