#pragma once
// What the three reports show beyond the plain fields of their tables: the
// fifteen ratios in their groups, the balance-sheet lines, where the
// enterprise stands among the industry's quartiles, and the charts. The
// engine fills these rows for a template whose header says REPORT ratios,
// balancesheet or comparison.

#include "reports/prep/RatioTable.h"
#include "reports/render/ReportEngine.h"

#include <string>
#include <vector>

namespace zorva::report {

struct BalanceLineDef {
    int nameId;                   // string id of the line's caption
    const char* industryColumn;   // A11 ... in the report data tables and Rpt_Comparison
    const char* enterpriseColumn; // MyCash ... in Rpt_Comparison
    const char* varianceColumn;   // VarianceCash ... in Rpt_Comparison
    int part;                     // 0 assets, 1 liabilities and equity, 2 current items
    bool total;
};
const std::vector<BalanceLineDef>& BalanceLines();

// The report data table of an enterprise's year: Rpt_Data_CY for 2010,
// Rpt_Data_CYM1 for 2009, Rpt_Data_CYM2 for 2008; empty for any other year.
std::string YearTable(int year);

// How a ratio of the comparison can be read.
enum class RatioState {
    Ranked,         // placed among the quartiles the industry published
    NotMeaningful,  // its denominator is zero: the stored 0 is no ratio at all
    NotRanked,      // return on equity or debt to equity with negative equity
};
// Which of the ratio's three boundaries were published (a boundary of 0 or
// Null was not).
struct Published {
    bool q1 = false, q2 = false, q3 = false;
};

// The words that say where a ratio stands, from its stored ranks (0, 25, 50,
// 75): with all three boundaries "better than about 50% of enterprises in the
// industry" or "in the lowest quarter ..."; with the median but not both
// other boundaries "below the median", "above the median" or "at the median"
// (the value, not its merit: the arrow says which way is better); nothing
// without a median. "not meaningful (operating revenue = 0)" and "not ranked"
// for the other states.
std::string StandingText(const RatioDef& ratio, double better, double worse, Published published, RatioState state,
                         Lang lang);

// Fills the rows and charts of a report kind ("ratios", "balancesheet",
// "comparison") into the top dictionary. Unknown kinds add an error.
void FillBuiltIn(const std::string& kind, ReportData& data, Dict& top);

} // namespace zorva::report
