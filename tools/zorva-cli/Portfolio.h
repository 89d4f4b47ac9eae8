#pragma once
// A portfolio workbook: many enterprises compared with one industry, one row
// each on the first sheet (name, year, industry, each ratio with its quartile
// position, the cells coloured by position with a colour-blind-safe scale and
// a legend), and the industry's quartiles of each year on the second sheet.

#include "reports/prep/BatchComparison.h"

#include <string>
#include <vector>

namespace zorva::cli {

class Portfolio {
public:
    Portfolio(std::string industryTitle, std::string naics, std::string datasetCaption, int language);
    // One compared enterprise (its comparison values and row).
    void Add(const ComparisonBatch& batch, const std::vector<std::string>& values, const ComparisonRow& row);
    // False with *error when the file cannot be written.
    bool Write(const ComparisonBatch& batch, const std::string& path, std::string* error) const;
    size_t Size() const { return entries_.size(); }

    // The position of a ratio: 0 lowest quarter ... 3 highest, -1 none (a
    // boundary not published, the ratio not meaningful or not ranked).
    static int Quarter(double better, double worse, bool meaningful, bool published);

private:
    struct Entry {
        std::string name;
        long long year = 0;
        std::vector<double> ratio;
        std::vector<int> quarter;
    };
    std::string industry_, naics_, dataset_;
    int lang_;
    std::vector<Entry> entries_;
};

} // namespace zorva::cli
