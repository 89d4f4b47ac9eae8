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

// dblNumerator / dblDenominator, or 0 when either is 0. A quotient beyond the
// range of a Double throws std::overflow_error.
double fncCalcRatio(double dblNumerator, double dblDenominator);

} // namespace zorva
