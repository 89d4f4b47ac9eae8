#pragma once
// zorva-cli: the program's computations without a display, for power users,
// scripts and tests. Every command goes through the same functions as the
// screens and prints JSON on stdout, nothing else.

#include "core/Catalogue.h"
#include "enterprise/EnterpriseRecord.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace zorva {
class ComparisonBatch;
}

namespace zorva::cli {
using zorva::ComparisonBatch;

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // a row or the work itself failed
inline constexpr int kExitUsage = 2;    // bad arguments or an unreadable file

// Runs one command line (without the program name). Opens the data stores of
// the application folder (or of --app-dir) itself.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A CSV text: a header row and data rows (RFC 4180 quoting, LF or CRLF).
// Throws std::runtime_error on a malformed text.
// lineOfRow, when given, receives the line on which each row starts.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text, std::vector<long>* lineOfRow = nullptr);
// Throws std::runtime_error naming the first line that is not UTF-8 text.
void RequireUtf8(const std::string& text);

// The enterprises of a CSV text (UTF-8, else std::runtime_error) whose header names MyValues columns (any
// letter case; FirmName and Year required). Entry amounts are normalised as
// the values screen normalises a box when it is left; the five subtotals are
// computed when none of their columns is present and otherwise taken as
// given. Throws std::runtime_error naming what is wrong with the header.
struct EnterpriseInput {
    RecordTexts record;
    bool ok = true;              // false: `message` says why (number out of range)
    long line = 0;               // the line of the file where its row starts
    std::string message;
};
std::vector<EnterpriseInput> ReadEnterprises(const std::string& csvText, const std::string& naics, int language);
// The same from a CSV file or the first sheet of an XLSX workbook (the same
// header row and rows). Throws std::runtime_error when it cannot be read.
std::vector<EnterpriseInput> ReadEnterprisesFile(const std::string& path, const std::string& naics, int language);

// One comparison as the values screen requests it: the four checks, then the
// comparison report's preparation on the open stores (gcnIndustry, gcnUser).
// Returns the Rpt_Comparison row as a JSON object, or the error object with
// the program's own message; *ok tells which.
std::string CompareOne(const EnterpriseInput& input, const DatasetChoice& dataset, const std::string& naics,
                       const std::string& industryTitle, int language, bool* ok);

// Every enterprise of `inputs`, one JSON line each on `out`, the same row or
// error object as CompareOne gives. The industry's figures are extracted and
// read once (one short write transaction); the rows are then computed in
// memory, so Rpt_Comparison is left as it was. Returns the number of rows
// that failed.
long CompareAll(const std::vector<EnterpriseInput>& inputs, const DatasetChoice& dataset, const std::string& naics,
                const std::string& industryTitle, int language, std::ostream& out);

// The same, each computed row also given to `row` (with its enterprise's
// comparison values) instead of printed when `printRows` is false; error
// lines are printed either way. With `progress`, a progress bar is drawn on
// it for runs longer than a second.
struct CompareSink {
    std::function<void(const ComparisonBatch& batch, const std::vector<std::string>& values,
                       const std::vector<Variant>& row)> row;
    bool printRows = true;
    std::ostream* progress = nullptr;
};
long CompareAll(const std::vector<EnterpriseInput>& inputs, const DatasetChoice& dataset, const std::string& naics,
                const std::string& industryTitle, int language, std::ostream& out, const CompareSink& sink);

// A progress bar on standard error when it is a terminal, for runs longer
// than a second; nothing otherwise.
class ProgressBar {
public:
    ProgressBar(std::ostream* out, size_t total);
    ~ProgressBar();
    void step();

private:
    std::ostream* out_;
    size_t total_, done_ = 0;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};

} // namespace zorva::cli
