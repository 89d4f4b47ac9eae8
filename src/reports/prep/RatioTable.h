#pragma once
// The fifteen ratios of the comparison in one table: how each is computed
// from the enterprise's amounts, where its quartiles and ranks are stored,
// which way is better, and how the reports word its formula. The comparison
// computes and ranks from this table and the reports print their formula
// legend from it, so the two cannot disagree.

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zorva::report {

// Indices of the comparison values (aComparisonValues, 37 texts).
namespace cv {
enum : int {
    Name = 0, Naics = 2, Industry = 3,
    Cash = 4, Ar, Inv, CA, OA, Toa, Invest, Ptfl, Ta,
    OperatingRevenue, Sales, GrossProfit, OperatingProfit, InterestExpense, PretaxProfit, ProfitAfterTax,
    AccountsPayable,
    Paper = 22, Mtg, Bonds, Ol, AmtsAffil, OLiab, DefTax, Tliab, ShareC, RetEarn, OtherSur, Equity1,
    TotLiabShareEq, CurrentAssets, CurrentLiabilities,
};
}

enum class RatioGroup { Profitability, Efficiency, Liquidity };

// One amount of the comparison values, added (+1) or subtracted (-1).
struct Term {
    int amount;
    int sign;
};
// A sum of amounts, formed left to right. A quantity with a name (string id)
// is written by that name in a formula and defined in the legend.
struct Quantity {
    int nameId;  // 0: written out as its terms
    std::vector<Term> terms;
};

struct RatioDef {
    const char* code;         // prefix of the quartile columns (NPM -> NPMQ1, NPMQ2, NPMQ3)
    int nameId;               // string id of the ratio's name
    RatioGroup group;
    bool higherIsBetter;      // false for debt to equity and liabilities to assets
    const char* valueColumn;  // the enterprise's ratio in Rpt_Comparison
    const char* betterColumn;
    const char* worseColumn;
    Quantity numerator, denominator;
    bool percent;             // the quotient is multiplied by 100
    bool equityRule;          // 0 and not ranked when shareholders' equity is negative
};

// The fifteen ratios in the order of the reports and of Rpt_Comparison.
const std::vector<RatioDef>& Ratios();
int RatioGroupNameId(RatioGroup group);
// Decimals shown: one for the percentages, two for the other ratios.
int RatioDecimals(const RatioDef& ratio);

// Sum of a quantity's terms in the order written.
double QuantityValue(const Quantity& q, const std::function<double(int amount)>& amount);

// Words of formulas in a language offset (0 English, 1 French).
std::string AmountName(int amount, int lang);
// The column of Rpt_Comparison that holds an amount (the six income amounts)
// or its percentage of total assets; nullptr when the row does not keep it (sales).
const char* AmountColumn(int amount);
// "current assets ÷ current liabilities", "net profit after tax ÷ operating revenue × 100".
std::string FormulaText(const RatioDef& ratio, int lang);
// The name of a ratio's denominator ("operating revenue", "net operating assets").
std::string DenominatorName(const RatioDef& ratio, int lang);
// The named quantities of the formulas with their definitions, in order of
// first use: {"net operating assets", "total assets − investments ... − accounts payable"}.
std::vector<std::pair<std::string, std::string>> NamedQuantities(int lang);

} // namespace zorva::report
