#pragma once
// What one amount would have to be for a ratio on the weaker side of its
// industry's median to reach that median, the other amounts unchanged except
// the totals that hold the amount changed.
//
// Each ratio has one natural lever: the profit of its numerator for the
// margins and returns, operating revenue for revenue to net operating assets,
// receivables for receivable turnover, inventory for inventory turnover,
// current liabilities for working capital, debt for debt to equity and
// liabilities to assets, interest expense for interest coverage. A lever moves
// the line itself and every total that contains it (receivables move total
// operating assets, total assets and current assets; debt moves total
// liabilities and total liabilities and equity). Interest expense is taken
// with the same earnings before interest, so pretax profit moves the other way
// by as much. The change is solved from the ratio's own terms in the ratio
// table, so a lever in both numerator and denominator is handled exactly.

#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportFormat.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zorva::report {

// The amounts of the comparison values by their index (cv::...); the texts
// (name, industry) are 0.
using Amounts = std::array<double, 37>;
// The amounts of 37 comparison value texts; nothing when one is not a number.
std::optional<Amounts> AmountsOf(const std::vector<std::string>& comparisonValues);

enum class Lever {
    ProfitAfterTax, PretaxProfit, OperatingProfit, GrossProfit, OperatingRevenue,
    Receivables, Inventory, CurrentLiabilities, Debt, InterestExpense,
};
Lever NaturalLever(const RatioDef& ratio);

// A ratio as the comparison computes it (× 100 for the percentages); nothing
// when its denominator is zero.
std::optional<double> RatioValue(const RatioDef& ratio, const Amounts& amounts);

struct DollarGap {
    Lever lever;
    // False when no change of the lever alone reaches the median (it would
    // have to go below zero, or the ratio does not move with it).
    bool reachable = false;
    // Dollars to add to the lever (negative: lower), exact.
    double change = 0;
    // Every amount that moves, with +1 or -1 per dollar of change.
    std::vector<Term> moves;
};

// The gap of a ratio whose value lies on the weaker side of `median` by its
// own direction. Nothing when it is not on that side, when the median is 0
// (not published), or when the ratio is not meaningful (zero denominator,
// or negative equity for a ratio not ranked then).
std::optional<DollarGap> GapToMedian(const RatioDef& ratio, const Amounts& amounts, double median);

// The amounts after a gap's change.
Amounts Applied(const DollarGap& gap, const Amounts& amounts);

// The change as shown: whole dollars, rounded away from zero so that the
// amount shown does reach the median ("$12,300" / "12 300 $").
std::string DollarText(double change, Lang lang);

// The sentence of a gap: "Gross profit would need to be $12,300 higher (at
// the same sales) to reach the industry median gross profit margin of 40.5%."
std::string GapText(const RatioDef& ratio, const DollarGap& gap, double median, Lang lang);

} // namespace zorva::report
