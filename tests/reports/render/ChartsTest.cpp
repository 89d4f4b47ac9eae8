// The charts in words and in grey: each chart's sentence says what it draws
// from the same numbers, in the report's language, leaving out what was not
// published; and every mark stands out from what lies next to it by a
// contrast of at least 3:1, which is what tells the marks apart in grey.

#include "reports/render/ReportCharts.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorva::test {
namespace {

using namespace zorva::report;

TEST(ChartWords, EachChartSaysWhatItDrawsInTheReportsLanguage) {
    const ChartWords en{Lang::English, 1, "Net profit margin"}, fr{Lang::French, 2, "Ratio d'endettement"};
    EXPECT_EQ(QuartileSentence(0.8, 2.6, 5.9, 3.4, en),
              "Net profit margin: your enterprise 3.4; industry median 2.6; middle half of the industry 0.8 to 5.9.");
    // Debt to equity: the boundaries run downwards; the middle half is said from low to high.
    EXPECT_EQ(QuartileSentence(2.8, 1.1, 0.3, 0.74, fr),
              "Ratio d'endettement : votre entreprise 0,74; médiane de l'industrie 1,10; "
              "moitié centrale de l'industrie de 0,30 à 2,80.");
    EXPECT_EQ(QuartileSentence(std::nullopt, 2.6, std::nullopt, 3.4, en),
              "Net profit margin: your enterprise 3.4; industry median 2.6.");
    EXPECT_EQ(QuartileChart(0.8, 2.6, 5.9, 3.4, true, en).alt, QuartileSentence(0.8, 2.6, 5.9, 3.4, en));

    std::vector<TrendPoint> years = {{2008, 2.0, 3.1, 7.6, 12.0}, {2010, std::nullopt, std::nullopt, 5.3, std::nullopt}};
    EXPECT_EQ(TrendSentence(years, en),
              "Net profit margin by year: 2008, your enterprise 2.0, industry median 7.6, middle half of the "
              "industry 3.1 to 12.0; 2010, industry median 5.3.");
    EXPECT_EQ(TrendChart(years, true, en).alt, TrendSentence(years, en));

    const std::vector<BarLine> lines = {{"Encaisse et dépôts", 8.5, 12.4}, {"Stocks", 31.4, 28.6}};
    EXPECT_EQ(BalanceSentence(lines, {Lang::French, 1, "Structure du bilan"}),
              "Structure du bilan : Encaisse et dépôts, votre entreprise 8,5\u202F%, industrie 12,4\u202F%; "
              "Stocks, votre entreprise 31,4\u202F%, industrie 28,6\u202F%.");
}

double Luminance(unsigned rgb) {
    auto channel = [](unsigned v) {
        const double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgb >> 16 & 0xFF) + 0.7152 * channel(rgb >> 8 & 0xFF) + 0.0722 * channel(rgb & 0xFF);
}
double Contrast(unsigned a, unsigned b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ChartColours, EveryMarkStandsOutFromWhatLiesNextToIt) {
    constexpr unsigned kPage = 0xFFFFFF, kOutline = 0x000000;  // the enterprise's mark is outlined in black
    struct Pair {
        const char* what;
        unsigned mark, beside;
    } pairs[] = {
        {"the enterprise on the page", kEnterpriseColour, kPage},
        {"the enterprise's outline on the middle half", kOutline, kIndustryLightColour},
        {"the enterprise's outline on its own colour", kOutline, kEnterpriseColour},
        {"the median on the page", kIndustryColour, kPage},
        {"the median on the middle half", kIndustryColour, kIndustryLightColour},
        {"the middle half's outline on the page", kIndustryColour, kPage},
    };
    for (const Pair& p : pairs) EXPECT_GE(Contrast(p.mark, p.beside), 3.0) << p.what;
}

} // namespace
} // namespace zorva::test
