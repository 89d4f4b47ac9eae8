#pragma once
// A portfolio workbook: many enterprises compared with their industries, one
// row each on the first sheet (name, year, industry, each ratio with its
// quartile position, the cells coloured by position with a colour-blind-safe
// scale and a legend), and the quartiles of each industry used, for each
// year, on the second sheet. Both sheets print as a person expects (see
// reports/render/SheetLayout.h): the legend, headings and names on every
// page, columns as wide as their texts.
//
// The workbook is written in libxlsxwriter's constant-memory mode: each row
// goes to a temporary file as it is added, so a sheet of a million rows takes
// no more memory than one of ten. Rows are therefore added in order and never
// revisited. A sheet holds at most kCapacity enterprises (the format's row
// limit less the title, legend and heading rows).

#include "reports/prep/BatchComparison.h"
#include "reports/render/SheetLayout.h"

#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace zorva::cli {

class Portfolio {
public:
    static const long long kCapacity;

    // One enterprise's row, made from its comparison (any thread).
    struct Entry {
        std::string name;
        long long year = 0;
        std::string industry;
        std::vector<double> ratio;
        std::vector<int> quarter;
    };
    static Entry MakeEntry(const ComparisonBatch& batch, const std::string& industry,
                           const std::vector<std::string>& values, const ComparisonRow& row);

    // Opens the workbook at `path` and writes the title (`title`, `subtitle`),
    // the legend and the headings; the sheet takes at most `capacity`
    // enterprises. Error() is set when it cannot be made.
    Portfolio(const std::string& path, const std::string& title, const std::string& subtitle, int language,
              long long capacity = kCapacity);
    ~Portfolio();
    Portfolio(const Portfolio&) = delete;
    Portfolio& operator=(const Portfolio&) = delete;

    // The next row; false when the sheet is full (nothing written).
    bool Add(const Entry& entry);
    // An industry whose quartiles go on the second sheet, in order of first use.
    void AddIndustry(const std::string& heading, const ComparisonBatch* batch);
    // Writes the second sheet and the file; false with Error() set.
    bool Close();
    long long Size() const { return rows_; }
    long long Capacity() const { return capacity_; }
    const std::string& Error() const { return error_; }

    // The position of a ratio: 0 lowest quarter ... 3 highest, -1 none (a
    // boundary not published, the ratio not meaningful or not ranked).
    static int Quarter(double better, double worse, bool meaningful, bool published);

private:
    std::string path_, title_;
    int lang_;
    lxw_workbook* wb_ = nullptr;
    lxw_worksheet* ws_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* wrapBold_ = nullptr;
    lxw_format* number_[3][5] = {};  // decimals (1, 2) x quarter (-1 none, 0..3)
    lxw_format* word_[5] = {};
    long long rows_ = 0, capacity_;
    std::vector<std::pair<std::string, const ComparisonBatch*>> industries_;
    sheet::ColumnWidths widths_;  // grown as rows are written, set at the end
    std::string error_;
};

} // namespace zorva::cli
