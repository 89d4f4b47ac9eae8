#pragma once
// The comparison of an enterprise with its industry as one computed row, and
// the comparison of many enterprises with the same industry in memory.
//
// ComputeComparisonRow is the one computation of a Rpt_Comparison row: the
// comparison report's preparation writes what it returns into the table, and
// ComparisonBatch returns it directly after reading the industry's figures
// once, so a batch of enterprises never goes through the table row by row.

#include "core/DBTools.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zorva {

// The values of one Rpt_Comparison row in the order of ComparisonColumnNames(),
// each as the table stores it: texts for the four identification columns and
// the data set's title, whole numbers for the year (and a whole count of
// firms), real numbers rounded to the 15 significant digits a statement
// carries, Null where the industry publishes nothing.
using ComparisonRow = std::vector<Variant>;

// An industry figure of the comparison year by its column name (Null, or a
// missing column, when not published).
using IndustryFigures = std::function<Variant(const std::string& column)>;

// The figures of one industry year that the comparison reads, each resolved
// once from its column: every ratio's quartile boundaries (0 where not
// published), the industry's balance-sheet structure (empty where not
// published) and the figures the row copies, as the table keeps them
// (NumberOfFirms, the medians and profit distribution, the structure).
struct IndustryYear {
    std::vector<std::array<double, 3>> quartiles;    // per ratio of report::Ratios()
    std::vector<std::optional<double>> structure;    // per balance-sheet line
    std::vector<Variant> copied;
};
// Throws DbError when a figure is a text that is not a number.
IndustryYear ResolveIndustryYear(const IndustryFigures& industry);

// The row of an enterprise (aComparisonValues: the 37 texts of
// BuildComparisonValues) against the industry figures of Year. MyVol is the
// data set's title as ComparisonVolumeTitle gives it. Needs non-zero total
// assets; throws ReportArgumentError when an amount is not a number text and
// DbError when an industry figure is a text that is not a number.
ComparisonRow ComputeComparisonRow(const std::vector<std::string>& aComparisonValues, std::int16_t Year,
                                   const IndustryFigures& industry, const Variant& MyVol);
// The same against figures resolved beforehand: what a batch computes per
// enterprise.
ComparisonRow ComputeComparisonRow(const std::vector<std::string>& aComparisonValues, std::int16_t Year,
                                   const IndustryYear& industry, const Variant& MyVol);

// The data set's title of the comparison ("<volume title> - <region>"), or
// Null when the volume has no description in the language.
Variant ComparisonVolumeTitle(ConnectionHandle& WriteConn, std::int16_t Volume, const std::string& Province,
                              const std::string& Language);

// The column names of Rpt_Comparison in the table's own order (as the
// comparison spells them), and the index of each in a ComparisonRow; columns
// the comparison does not write are left out.
void ComparisonTableColumns(ConnectionHandle& WriteConn, std::vector<std::string>* names,
                            std::vector<size_t>* rowIndex);

// The comparison of many enterprises with one industry: the industry's three
// years are extracted and read once (in a write transaction, as the report's
// preparation does, rolled back once read: the user store is not changed),
// then each enterprise's row is computed in memory.
// Compare and the readers are const and touch no database: several threads
// may compare with one batch at once.
class ComparisonBatch {
public:
    ComparisonBatch(ConnectionHandle& DataConn, ConnectionHandle& WriteConn, std::int16_t Volume,
                    const std::string& Province, const std::string& NAICS, const std::string& Language);

    // The row of one enterprise of Year, or nothing with *message set to the
    // program's own message (a year without a report, without the industry's
    // data, total assets of 0).
    std::optional<ComparisonRow> Compare(const std::vector<std::string>& aComparisonValues, std::int16_t Year,
                                         std::string* message) const;

    // The column names of Rpt_Comparison in the table's own order, and the
    // index of each in a ComparisonRow.
    const std::vector<std::string>& TableColumns() const { return tableColumns_; }
    const std::vector<size_t>& RowIndexOfTableColumn() const { return rowIndex_; }
    // An industry figure of a year (2008 to 2010) as read; Null when not published.
    Variant Figure(int year, const std::string& column) const;

private:
    std::string language_;
    Variant myVol_;
    struct YearFigures {
        bool hasData = false;                                // a row with NumberOfFirms
        std::unordered_map<std::string, Variant> byColumn;   // upper-case column name -> figure
        IndustryYear resolved;                               // when it has data
        std::string unreadable;                              // why a figure could not be read
    };
    YearFigures years_[3];  // 2010, 2009, 2008
    std::vector<std::string> tableColumns_;
    std::vector<size_t> rowIndex_;
};

} // namespace zorva
