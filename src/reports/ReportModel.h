#pragma once
// What the three reports show beyond the plain fields of their tables: the
// fifteen ratios in their groups, the balance-sheet lines, where the
// enterprise stands among the industry's quartiles, and the charts. The
// engine fills these rows for a template whose header says REPORT ratios,
// balancesheet or comparison.

#include "reports/ReportEngine.h"

#include <string>
#include <vector>

namespace zorva::report {

enum class RatioGroup { Profitability, Efficiency, Liquidity };

struct RatioDef {
    const char* code;        // prefix of the quartile columns (NPM -> NPMQ1, NPMQ2, NPMQ3)
    int nameId;              // string id of the ratio's name
    RatioGroup group;
    bool higherIsBetter;     // false for debt to equity and liabilities to assets
    const char* valueColumn; // the enterprise's ratio in Rpt_Comparison
    const char* betterColumn;
    const char* worseColumn;
};
const std::vector<RatioDef>& Ratios();
int RatioGroupNameId(RatioGroup group);
// Decimals shown: one for the percentages, two for the other ratios.
int RatioDecimals(const RatioDef& ratio);

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

// The sentence that says where a ratio stands, from its Better rank (0, 25,
// 50, 75): "better than about 50% of enterprises in the industry".
// `ranked` false: the ratio was not ranked (no quartile published, or
// negative equity).
std::string StandingText(double betterRank, bool ranked, Lang lang);

// Fills the rows and charts of a report kind ("ratios", "balancesheet",
// "comparison") into the top dictionary. Unknown kinds add an error.
void FillBuiltIn(const std::string& kind, ReportData& data, Dict& top);

} // namespace zorva::report
