// The change of one amount that brings a weaker ratio to its industry's median.

#include "reports/prep/DollarGaps.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zorva::report;
namespace cv = zorva::report::cv;

namespace {

const RatioDef& RatioOf(const std::string& code) {
    for (const auto& r : Ratios())
        if (code == r.code) return r;
    throw std::invalid_argument(code);
}

// A small enterprise in balance: total assets 1,000 = liabilities 500 + equity 500.
Amounts Small() {
    Amounts a{};
    auto set = [&](int i, double v) { a[static_cast<size_t>(i)] = v; };
    set(cv::Cash, 100), set(cv::Ar, 200), set(cv::Inv, 300), set(cv::OA, 400), set(cv::Toa, 1000), set(cv::Ta, 1000);
    set(cv::AccountsPayable, 100), set(cv::Mtg, 300), set(cv::Ol, 100), set(cv::Tliab, 500);
    set(cv::ShareC, 200), set(cv::RetEarn, 300), set(cv::Equity1, 500), set(cv::TotLiabShareEq, 1000);
    set(cv::CurrentAssets, 600), set(cv::CurrentLiabilities, 400);
    set(cv::OperatingRevenue, 2000), set(cv::Sales, 2000), set(cv::GrossProfit, 500), set(cv::OperatingProfit, 100);
    set(cv::InterestExpense, 20), set(cv::PretaxProfit, 80), set(cv::ProfitAfterTax, 60);
    return a;
}

} // namespace

TEST(DollarGaps, EachLeverGivesTheExactChangeAndApplyingItReachesTheMedian) {
    struct Case {
        const char* code;
        double median, change;
        std::vector<std::pair<int, double>> after;  // amounts as they stand after the change
    };
    const Case cases[] = {
        {"NPM", 5, 40, {{cv::ProfitAfterTax, 100}}},                                 // 3 % -> 5 %
        {"GPM", 40.5, 310, {{cv::GrossProfit, 810}, {cv::Sales, 2000}}},             // 25 % -> 40.5 %
        {"RNOA", 15, 35, {{cv::OperatingProfit, 135}}},                              // NOA 900
        {"ORTTNOA", 250, 250, {{cv::OperatingRevenue, 2250}}},
        {"RT", 16, -75, {{cv::Ar, 125}, {cv::Toa, 925}, {cv::Ta, 925}, {cv::CurrentAssets, 525}}},
        {"IT", 6, -50, {{cv::Inv, 250}, {cv::Ta, 950}, {cv::CurrentAssets, 550}}},
        {"WC", 2, -100, {{cv::CurrentLiabilities, 300}, {cv::CurrentAssets, 600}}},
        {"DE", 0.5, -150, {{cv::Mtg, 150}, {cv::Tliab, 350}, {cv::TotLiabShareEq, 850}, {cv::Equity1, 500}}},
        {"LTA", 0.4, -100, {{cv::Mtg, 200}, {cv::Tliab, 400}, {cv::Ta, 1000}}},
        // Interest in both terms of the coverage: earnings before interest stay 100.
        {"IC", 8, -7.5, {{cv::InterestExpense, 12.5}, {cv::PretaxProfit, 87.5}}},
    };
    const Amounts a = Small();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const RatioDef& r = RatioOf(c.code);
        auto gap = GapToMedian(r, a, c.median);
        ASSERT_TRUE(gap.has_value());
        ASSERT_TRUE(gap->reachable);
        EXPECT_NEAR(gap->change, c.change, 1e-9);
        const Amounts after = Applied(*gap, a);
        EXPECT_NEAR(*RatioValue(r, after), c.median, 1e-9);
        for (auto [i, v] : c.after) EXPECT_NEAR(after[static_cast<size_t>(i)], v, 1e-9) << i;
    }
}

TEST(DollarGaps, NothingIsSaidWhereNoChangeIsOwed) {
    Amounts a = Small();
    EXPECT_FALSE(GapToMedian(RatioOf("NPM"), a, 2));     // better than the median
    EXPECT_FALSE(GapToMedian(RatioOf("RE"), a, 12));     // 60 / 500 is exactly the median
    EXPECT_FALSE(GapToMedian(RatioOf("DE"), a, 0.9));    // lower is better: 0.8 is on the better side
    EXPECT_FALSE(GapToMedian(RatioOf("NPM"), a, 0));     // median not published
    Amounts noInventory = a;
    noInventory[cv::Inv] = 0;
    EXPECT_FALSE(GapToMedian(RatioOf("IT"), noInventory, 6));  // not meaningful
    Amounts negativeEquity = a;
    negativeEquity[cv::Equity1] = -10;
    EXPECT_FALSE(GapToMedian(RatioOf("RE"), negativeEquity, 12));  // not ranked

    // Operating earnings below zero: no interest expense at or above zero reaches a positive coverage.
    Amounts loss = a;
    loss[cv::PretaxProfit] = -50;
    auto gap = GapToMedian(RatioOf("IC"), loss, 3);
    ASSERT_TRUE(gap.has_value());
    EXPECT_FALSE(gap->reachable);
    EXPECT_EQ(GapText(RatioOf("IC"), *gap, 3, Lang::English),
              "The industry median interest coverage of 3.00 cannot be reached through interest expense alone.");
}

TEST(DollarGaps, TheSentenceInBothLanguagesRoundsUpToTheDollar) {
    Amounts a = Small();
    for (int i : {cv::Sales, cv::OperatingRevenue}) a[static_cast<size_t>(i)] = 80000;
    a[cv::GrossProfit] = 20100.4;  // 25.1 % against 40.5 %: 12,299.6 short
    auto gap = GapToMedian(RatioOf("GPM"), a, 40.5);
    ASSERT_TRUE(gap && gap->reachable);
    EXPECT_EQ(GapText(RatioOf("GPM"), *gap, 40.5, Lang::English),
              "Gross profit would need to be $12,300 higher (at the same sales) to reach the industry median gross "
              "profit margin of 40.5%.");
    EXPECT_EQ(GapText(RatioOf("GPM"), *gap, 40.5, Lang::French),
              "Le bénéfice brut devrait être supérieur de 12\u202F300\u00A0$ (sans changement de ventes) pour "
              "atteindre la médiane de l'industrie (marge bénéficiaire brute\u00A0: 40,5\u202F%).");
    a[cv::Ta] = 1000;
    auto debt = GapToMedian(RatioOf("LTA"), a, 0.4);
    ASSERT_TRUE(debt && debt->reachable);
    EXPECT_EQ(GapText(RatioOf("LTA"), *debt, 0.4, Lang::French),
              "Les dettes devraient être inférieures de 100\u00A0$ (sans changement d'actif total; le passif total "
              "baissant d'autant) pour atteindre la médiane de l'industrie (passifs par rapport aux actifs\u00A0: 0,40).");
}
