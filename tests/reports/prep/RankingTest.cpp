// The quartile ranking kernel and the safe quotient.

#include "reports/prep/Ranking.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace zorva;

TEST(Ranking, AllBoundariesZeroMeansNothingPublished) {
    for (double r : {-100.0, 0.0, 0.5, 1e9}) {
        EXPECT_EQ(fncCalcBetter(0, 0, 0, r), 0);
        EXPECT_EQ(fncCalcWorse(0, 0, 0, r), 0);
        EXPECT_EQ(fncExceptionCalcBetter(0, 0, 0, r), 0);
        EXPECT_EQ(fncExceptionCalcWorse(0, 0, 0, r), 0);
    }
}

TEST(Ranking, BetterWithIncreasingBoundaries) {
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 5), 0);
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 10), 0);   // equal to Q1 does not pass it
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 10.0001), 25);
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 20), 25);  // equal to Q2 does not pass it
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 25), 50);
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 30), 50);
    EXPECT_EQ(fncCalcBetter(10, 20, 30, 30.5), 75);
}

TEST(Ranking, WorseWithIncreasingBoundaries) {
    EXPECT_EQ(fncCalcWorse(10, 20, 30, 5), 75);
    EXPECT_EQ(fncCalcWorse(10, 20, 30, 10), 50);   // equal to Q1 is not below it
    EXPECT_EQ(fncCalcWorse(10, 20, 30, 20), 25);
    EXPECT_EQ(fncCalcWorse(10, 20, 30, 25), 25);
    EXPECT_EQ(fncCalcWorse(10, 20, 30, 30), 0);
    EXPECT_EQ(fncCalcWorse(10, 20, 30, 35), 0);
}

TEST(Ranking, AZeroBoundaryIsSkippedNotCompared) {
    // Missing median.
    EXPECT_EQ(fncCalcBetter(10, 0, 30, 20), 25);
    EXPECT_EQ(fncCalcBetter(10, 0, 30, 40), 75);
    EXPECT_EQ(fncCalcWorse(10, 0, 30, 20), 25);
    // A negative ratio against a zero Q2 would otherwise be "below" it.
    EXPECT_EQ(fncCalcWorse(-10, 0, 30, -5), 25);
    EXPECT_EQ(fncCalcBetter(-10, 0, 30, -5), 25);
    // Only Q3 published.
    EXPECT_EQ(fncCalcBetter(0, 0, 30, 40), 75);
    EXPECT_EQ(fncCalcWorse(0, 0, 30, 40), 0);
}

TEST(Ranking, BoundariesOutOfOrderAreNotSorted) {
    // The last test that holds decides.
    EXPECT_EQ(fncCalcBetter(30, 20, 10, 25), 75);
    EXPECT_EQ(fncCalcWorse(30, 20, 10, 25), 75);
}

TEST(Ranking, ExceptionVariantsWithDecreasingBoundaries) {
    EXPECT_EQ(fncExceptionCalcBetter(3, 2, 1, 0.5), 75);
    EXPECT_EQ(fncExceptionCalcBetter(3, 2, 1, 2.5), 25);
    EXPECT_EQ(fncExceptionCalcBetter(3, 2, 1, 3), 0);   // equal to Q1
    EXPECT_EQ(fncExceptionCalcBetter(3, 2, 1, 2), 25);  // equal to Q2
    EXPECT_EQ(fncExceptionCalcWorse(3, 2, 1, 3.5), 75);
    EXPECT_EQ(fncExceptionCalcWorse(3, 2, 1, 1), 0);
    EXPECT_EQ(fncExceptionCalcWorse(3, 2, 1, 1.5), 25);
    EXPECT_EQ(fncExceptionCalcWorse(3, 2, 1, 2.5), 50);
    // Debt to equity 1.2 against 2, 1, 0.5.
    EXPECT_EQ(fncExceptionCalcBetter(2, 1, 0.5, 1.2), 25);
    EXPECT_EQ(fncExceptionCalcWorse(2, 1, 0.5, 1.2), 50);
}

TEST(Ranking, NegativeBoundaries) {
    EXPECT_EQ(fncCalcBetter(-5, -2, -1, -3), 25);
    EXPECT_EQ(fncCalcWorse(-5, -2, -1, -3), 50);
}

TEST(CalcRatio, ZeroNumeratorOrDenominatorGivesZero) {
    EXPECT_EQ(fncCalcRatio(0, 5), 0);
    EXPECT_EQ(fncCalcRatio(5, 0), 0);
    EXPECT_EQ(fncCalcRatio(0, 0), 0);
    EXPECT_EQ(fncCalcRatio(-6, 3), -2);
    EXPECT_EQ(fncCalcRatio(1, 3), 1.0 / 3);  // not rounded
}

TEST(CalcRatio, OverflowIsAnError) {
    EXPECT_THROW(fncCalcRatio(1e308, 1e-308), std::overflow_error);
    EXPECT_NO_THROW(fncCalcRatio(922337203685477.0, 0.0001));
}
