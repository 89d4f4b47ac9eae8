// The change of one amount that brings a weaker ratio to its industry's median.

#include "reports/prep/DollarGaps.h"
#include "reports/prep/Ranking.h"

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

// The amount shown, followed to the dollar, always brings the ratio to its
// median or past it, as the ranking compares them: whole dollars rounded up,
// also when the exact change has cents below a half (12,299.40 shows 12,300).
TEST(DollarGaps, TheDollarsShownAlwaysReachTheMedian) {
    int checked = 0, belowAHalf = 0;
    for (const auto& r : Ratios()) {
        for (double scale : {1.0, 37.3, 1234.567}) {
            Amounts a = Small();
            for (double& v : a) v *= scale;
            const auto value = RatioValue(r, a);
            ASSERT_TRUE(value.has_value()) << r.code;
            for (int step = 1; step <= 40; ++step) {
                // Medians on the weaker side, a little further each time, with
                // two decimals as the industry publishes them.
                const double median =
                    std::round((*value + (r.higherIsBetter ? 1 : -1) * std::fabs(*value) * step * 0.0371) * 100) / 100;
                auto gap = GapToMedian(r, a, median);
                if (!gap || !gap->reachable) continue;
                const std::string shown = DollarText(gap->change, Lang::English);  // "$12,300"
                std::string digits;
                for (char c : shown)
                    if (c >= '0' && c <= '9') digits += c;
                DollarGap followed = *gap;
                followed.change = std::copysign(std::stod(digits), gap->change);
                const double reached = zorva::RoundForRanking(*RatioValue(r, Applied(followed, a)));
                EXPECT_TRUE(r.higherIsBetter ? reached >= median : reached <= median)
                    << r.code << ": " << shown << " for " << gap->change << " reaches " << reached << ", median "
                    << median;
                const double cents = std::fabs(gap->change) - std::floor(std::fabs(gap->change));
                belowAHalf += cents > 0.001 && cents < 0.5;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 300);
    EXPECT_GT(belowAHalf, 50) << "the cases include changes with cents below a half";
}

TEST(DollarGaps, NothingIsSaidWhereNoChangeIsOwed) {
    Amounts a = Small();
    // 57 / 100 x 100 is 56.99999999999999 in binary: at the median as the ranking compares.
    Amounts atMedian = a;
    atMedian[cv::ProfitAfterTax] = 57;
    atMedian[cv::OperatingRevenue] = 100;
    atMedian[cv::Sales] = 100;
    ASSERT_LT(*RatioValue(RatioOf("NPM"), atMedian), 57.0);
    EXPECT_FALSE(GapToMedian(RatioOf("NPM"), atMedian, 57));
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
