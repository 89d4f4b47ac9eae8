// What the numbers mean for one enterprise, on the shipped data stores: the
// comparison's strengths and weaknesses with their dollar gaps, and the trend
// of the years saved for the enterprise.

#include "support/AppFixture.h"
#include "support/SampleReports.h"

#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"
#include "reports/render/ReportViewerLogic.h"

#include <filesystem>
#include <regex>

namespace zorva::test {
namespace {

class Insight : public ShippedStoresFixture {
protected:
    report::Rendered render(const std::string& type, const std::string& lang, const RecordTexts& r) {
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, 3, "NS",
                                              ReferenceYear(r[Field::Year]).value_or(2010), "1111", lang,
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
    const RecordTexts r = SampleStatement("Harbourview Fine Foods", "2010", "84300");
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
    store::SaveRecord(gcnUser, SampleStatement("Harbourview Fine Foods", "2010", "84300"), 2010);
    const RecordTexts shown = SampleStatement("harbourview fine foods", "2010", "84300");
    std::string one = Plain(render("tre", "E", shown).html);
    EXPECT_NE(one.find("A trend needs two saved years of this enterprise. Saved years: 2010."), std::string::npos);

    // 2008 under another letter case: 49,600 / 2,480,000 = 2.0 % net profit margin.
    store::SaveRecord(gcnUser, SampleStatement("HARBOURVIEW FINE FOODS", "2008", "49600"), 2008);
    // Opened from any of the years, each year's medians come from that year's table.
    for (const char* opened : {"2010", "2009", "2008"}) {
        const RecordTexts from = SampleStatement("harbourview fine foods", opened, "84300");
        const report::Rendered rendered = render("tre", "E", from);
        EXPECT_TRUE(rendered.errors.empty()) << opened;
        const std::string two = Plain(rendered.html);
        EXPECT_EQ(two.find("A trend needs"), std::string::npos) << opened;
        // The two years, the enterprise beside the median of each year (9.6 in 2008, 4.2 in 2010).
        EXPECT_NE(two.find("2008 Yours 2008 Median 2010 Yours 2010 Median"), std::string::npos) << opened;
        EXPECT_NE(two.find("Net profit margin ↑ 2.0 9.6 3.4 4.2"), std::string::npos) << opened << two.substr(0, 2000);
        EXPECT_EQ(rendered.images.size(), 3u + 15u) << opened;  // the legend and one chart per ratio
    }
    const report::Rendered rendered = render("tre", "E", shown);
    const std::string two = Plain(rendered.html);
    EXPECT_NE(two.find("Cash and deposits 8.5% 2.7% 8.5% 3.6%"), std::string::npos);
}

} // namespace
} // namespace zorva::test
