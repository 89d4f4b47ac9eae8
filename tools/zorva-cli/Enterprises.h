#pragma once
// The enterprises of a file: a CSV text (UTF-8) or the first sheet of an XLSX
// workbook, with a header row of MyValues column names (any letter case;
// FirmName and Year required) and one row per enterprise. Each row is read as
// the values screen would hold it: every amount normalised as when its box is
// left, a missing amount 0, and the five subtotals computed when none of
// their columns is given (otherwise taken as given).

#include "enterprise/EnterpriseRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zorva::cli {

// What each column of a file holds.
struct EnterpriseColumns {
    std::vector<std::optional<Field>> fields;  // per column; empty for the Dataset column
    int naicsColumn = -1;                       // the NAICS column, -1 when none
    int datasetColumn = -1;                     // the Dataset column (data set option names), -1 when none
    bool computeTotals = true;                  // none of the five subtotals is given
};
// Throws std::runtime_error naming what is wrong with the header. A Dataset
// column is allowed when `withDataset`.
EnterpriseColumns ReadEnterpriseColumns(const std::vector<std::string>& header, bool withDataset);

struct EnterpriseInput {
    RecordTexts record;          // NAICS: the code given to EnterpriseOfRow
    bool ok = true;              // false: `message` says why
    bool malformed = false;      // ... the row has more fields than the header
    long line = 0;               // the line of the file where its row starts
    std::string message;
    std::string naics, dataset;  // the row's own NAICS and Dataset cells, trimmed ("" when none)
};
// One row of a file whose header gave `columns`.
EnterpriseInput EnterpriseOfRow(const EnterpriseColumns& columns, const std::vector<std::string>& cells, long line,
                                const std::string& naics, int language);

// Every enterprise of a CSV text, or of a CSV or XLSX file. Throws
// std::runtime_error when the file cannot be read, is not UTF-8, or has a bad
// header or a malformed row (naming its line).
std::vector<EnterpriseInput> ReadEnterprises(const std::string& csvText, const std::string& naics, int language);
std::vector<EnterpriseInput> ReadEnterprisesFile(const std::string& path, const std::string& naics, int language);

// The same handed one at a time to `each`, in the order of the file. A CSV
// file is read a record at a time, twice (memory does not grow with the
// file): first checked whole (UTF-8, header, every record well formed), so
// that nothing is handed over from a file that cannot be read, then read. A
// workbook, or a CSV file that fails the check, is read whole as by
// ReadEnterprisesFile (and throws as it does).
void ForEachEnterpriseOfFile(const std::string& path, const std::string& naics, int language,
                             const std::function<void(EnterpriseInput&)>& each);

// True when the first record of a CSV file (not a workbook) names only
// MyValues columns: a file of enterprises, not a statement. Reads only the
// first record.
bool HeaderNamesColumns(const std::string& path);

// The rows of the first sheet of a workbook as texts (trailing empty cells
// dropped), with the row number of each.
std::vector<std::vector<std::string>> WorkbookRows(const std::string& path, std::vector<long>* lineOfRow);

} // namespace zorva::cli
