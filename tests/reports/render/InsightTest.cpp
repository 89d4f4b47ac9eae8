// What the numbers mean for one enterprise, on the shipped data stores: the
// comparison's strengths and weaknesses with their dollar gaps, and the trend
// of the years saved for the enterprise.

#include "support/AppFixture.h"

#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"
#include "reports/render/ReportViewerLogic.h"

#include <filesystem>
#include <regex>

namespace zorva::test {
namespace {

// The enterprise of the benchmarks in three years (Nova Scotia, oilseed and grain farming).
RecordTexts Harbourview(const char* name, const char* year, const char* profitAfterTax, const char* retEarn,
                        const char* otherSur) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = name;
    r[Field::Year] = year;
    const std::pair<Field, const char*> amounts[] = {
        {Field::Cash, "85000"}, {Field::Ar, "121000"}, {Field::Inv, "314000"}, {Field::CA, "360000"},
        {Field::OA, "40000"}, {Field::Invest, "50000"}, {Field::Ptfl, "30000"},
        {Field::OperatingRevenue, "2480000"}, {Field::Sales, "2400000"}, {Field::GrossProfit, "563000"},
        {Field::OperatingProfit, "129000"}, {Field::InterestExpense, "36500"}, {Field::PretaxProfit, "101700"},
        {Field::ProfitAfterTax, profitAfterTax}, {Field::AccountsPayable, "213000"}, {Field::Mtg, "120000"},
        {Field::Ol, "102000"}, {Field::AmtsAffil, "65000"}, {Field::OLiab, "20000"}, {Field::DefTax, "5000"},
        {Field::ShareC, "50000"}, {Field::RetEarn, retEarn}, {Field::OtherSur, otherSur},
        {Field::CurrentAssets, "570000"}, {Field::CurrentLiabilities, "313000"}};
    for (const auto& [f, v] : amounts) r[f] = v;
    EXPECT_TRUE(subCalculateSubTotals(r));
    return r;
}

class Insight : public ShippedStoresFixture {
protected:
    report::Rendered render(const std::string& type, const std::string& lang, const RecordTexts& r) {
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, 3, "NS", 2010, "1111", lang,
                                              BuildComparisonValues(r, "1111", "Oilseed and grain farming"));
        EXPECT_TRUE(prepared.has_value());
        return prepared ? prepared->rendered : report::Rendered{};
    }
};

std::string Plain(std::string s) {
    s = std::regex_replace(s, std::regex("<[^>]+>"), " ");
    s = std::regex_replace(s, std::regex("&#39;"), "'");
    return std::regex_replace(s, std::regex("\\s+"), " ");
}

TEST_F(Insight, TheSummaryNamesTheWeakestRatiosWithTheDollarsThatReachTheMedian) {
    const RecordTexts r = Harbourview("Harbourview Fine Foods", "2010", "84300", "-25000", "450000");
    const std::string en = Plain(render("com", "E", r).html);
    // 563,000 / 2,400,000 = 23.5 % against 45.7 %: 0.457 × 2,400,000 − 563,000 = 533,800.
    const std::string worst = en.substr(en.find("Where it stands worst"));
    ASSERT_NE(worst.find("Gross profit margin"), std::string::npos);
    EXPECT_EQ(worst.find("Gross profit margin 23.5% against an industry median of 45.7%; in the lowest quarter of "
                         "enterprises in the industry. Gross profit would need to be $533,800 higher (at the same "
                         "sales) to reach the industry median gross profit margin of 45.7%."),
              worst.find("Gross profit margin")) << worst.substr(0, 600);
    // 129,000 / 2,480,000 = 5.2 % against 12.1 %: 0.121 × 2,480,000 − 129,000 = 171,080.
    EXPECT_NE(worst.find("Operating profit would need to be $171,080 higher (at the same operating revenue)"),
              std::string::npos);
    // Best: all ranked past the median; the sentence repeats the table's value and median.
    const std::string best = en.substr(en.find("Where your enterprise stands best"), 600);
    EXPECT_NE(best.find("Operating revenue to net operating assets 350.8% against an industry median of 31.3%"),
              std::string::npos) << best;
    EXPECT_NE(en.find("Operating revenue to net operating assets ↑ 350.8 19.8 31.3 41.5"), std::string::npos);

    const std::string fr = Plain(render("com", "F", r).html);
    EXPECT_NE(fr.find("Le bénéfice brut devrait être supérieur de 533\u202F800\u00A0$ (sans changement de ventes) "
                      "pour atteindre la médiane de l'industrie (marge bénéficiaire brute\u00A0: 45,7\u202F%)."),
              std::string::npos);
}

TEST_F(Insight, TheTrendShowsEachSavedYearBesideItsIndustryAndAsksForASecondYear) {
    store::SaveRecord(gcnUser, Harbourview("Harbourview Fine Foods", "2010", "84300", "-25000", "450000"), 2010);
    const RecordTexts shown = Harbourview("harbourview fine foods", "2010", "84300", "-25000", "450000");
    std::string one = Plain(render("tre", "E", shown).html);
    EXPECT_NE(one.find("A trend needs two saved years of this enterprise. Saved years: 2010."), std::string::npos);

    // 2008 under another letter case: 49,600 / 2,480,000 = 2.0 % net profit margin.
    store::SaveRecord(gcnUser, Harbourview("HARBOURVIEW FINE FOODS", "2008", "49600", "-25000", "450000"), 2008);
    const report::Rendered rendered = render("tre", "E", shown);
    EXPECT_TRUE(rendered.errors.empty());
    const std::string two = Plain(rendered.html);
    EXPECT_EQ(two.find("A trend needs"), std::string::npos);
    // The two years, the enterprise beside the median of each year (9.6 in 2008, 4.2 in 2010).
    EXPECT_NE(two.find("2008 Yours 2008 Median 2010 Yours 2010 Median"), std::string::npos);
    EXPECT_NE(two.find("Net profit margin ↑ 2.0 9.6 3.4 4.2"), std::string::npos) << two.substr(0, 2000);
    EXPECT_EQ(rendered.images.size(), 3u + 15u);  // the legend and one chart per ratio
    EXPECT_NE(two.find("Cash and deposits 8.5% 2.7% 8.5% 3.6%"), std::string::npos);
}

} // namespace
} // namespace zorva::test
