#pragma once
// The arithmetic kernel of the comparison report: a safe quotient and the
// quartile rank of an enterprise's ratio against an industry's three
// published boundaries Q1, Q2 and Q3.
//
// A rank is 0, 25, 50 or 75: the share (per cent of the industry's firms)
// that the ratio passes. Three tests run in order and the last one that holds
// decides; every comparison is strict, and a boundary of 0 counts as not
// published (its test is skipped). The boundaries are used in the order given,
// never sorted.

namespace zorva {

// Q1 <= Q2 <= Q3 (higher is better): share of firms the ratio exceeds.
double fncCalcBetter(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio);
// Q1 <= Q2 <= Q3: share of firms whose ratio exceeds the enterprise's.
double fncCalcWorse(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio);
// Q1 >= Q2 >= Q3 (lower is better): the same two shares.
double fncExceptionCalcBetter(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio);
double fncExceptionCalcWorse(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio);

// A computed ratio as the decimal it stands for: the amounts are exact
// decimals, so 29 / 1,000 x 100 is 2.9 even though the division in binary
// gives 2.9000000000000004. Rounded to 12 significant digits, far beyond the
// few decimals of a published boundary, so that a ratio exactly at a boundary
// compares equal to it (and does not pass it) while any real difference stays.
double RoundForRanking(double ratio);

// dblNumerator / dblDenominator, or 0 when either is 0. A quotient beyond the
// range of a Double throws std::overflow_error.
double fncCalcRatio(double dblNumerator, double dblDenominator);

} // namespace zorva
