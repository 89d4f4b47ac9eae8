// Preparation of the two industry reports: extraction and title tables.

#include "support/ReportTest.h"

#include "reports/prep/ReportPrep.h"

using namespace zorva;
using namespace zorva::test;

namespace {

class IndustryReports : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        for (int y : {2010, 2009, 2008}) stores.addIndustryRow(3, "NS", y, "111");
        stores.addNaics("111", "Crop production", "Cultures agricoles");
    }
    Variant title(const std::string& table, const std::string& column) {
        return stores.userValue("select * from " + table, column);
    }
};

} // namespace

TEST_F(IndustryReports, RatiosReportInEnglish) {
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "E"));
    const std::string t = "Rpt_Ratios_Titles";
    EXPECT_EQ(countRows(t), 1);
    EXPECT_EQ(title(t, "Language").toString(), "E");
    EXPECT_EQ(title(t, "Naics").toString(), "111");
    EXPECT_EQ(title(t, "Year_0").toString(), "2010");
    EXPECT_EQ(title(t, "Year_1").toString(), "2009");
    EXPECT_EQ(title(t, "Year_2").toString(), "2008");
    EXPECT_EQ(title(t, "Year_3").toString(), "2007");
    EXPECT_EQ(title(t, "Year_0").type(), Variant::Type::Text);
    EXPECT_EQ(title(t, "Title_LowerRight").toString(), "Reference years: 2010, 2009, 2008");
    EXPECT_EQ(title(t, "Title_UpperLeft").toString(), "Volume 3 title - Nova Scotia");
    EXPECT_EQ(title(t, "Title_LowerLeft").toString(), "Volume 3 subtitle");
    EXPECT_EQ(title(t, "ML_Title").toString(), "Median");
    EXPECT_EQ(title(t, "MM_Title").toString(), "Median of the previous years");
    EXPECT_EQ(title(t, "Title_Report").toString(), "Financial ratios");  // source columns kept
    // The extraction ran too.
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CYM2", "NumberOfFirms").toInt(), 100);
}

TEST_F(IndustryReports, BalanceSheetReportHasThreeYears) {
    ASSERT_TRUE(fncPrepareBalanceSheetReport(stores.industry, stores.user, "bal", 3, "NS", 2010, "111", "E"));
    const std::string t = "Rpt_BalanceSheet_Titles";
    EXPECT_EQ(title(t, "Year_0").toString(), "2010");
    EXPECT_EQ(title(t, "Year_2").toString(), "2008");
    EXPECT_EQ(title(t, "Title_LowerRight").toString(), "Reference years: 2010, 2009, 2008");
    EXPECT_EQ(title(t, "Title_UpperLeft").toString(), "Volume 3 title - Nova Scotia");
    EXPECT_EQ(title(t, "Title_LowerLeft").toString(), "Volume 3 subtitle");
    EXPECT_EQ(title(t, "Title_Report").toString(), "Balance sheet structure");
}

TEST_F(IndustryReports, FrenchRowsRegionAndVolumeTitles) {
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "F"));
    const std::string t = "Rpt_Ratios_Titles";
    EXPECT_EQ(countRows(t), 1);
    EXPECT_EQ(title(t, "Language").toString(), "F");
    EXPECT_EQ(title(t, "Title_LowerRight").toString(), "Années de référence : 2010, 2009, 2008");
    EXPECT_EQ(title(t, "Title_UpperLeft").toString(), "Titre du volume 3 - Nouvelle-Écosse");
    EXPECT_EQ(title(t, "ML_Title").toString(), "Médiane");
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CY", "IndustryDescription").toString(), "Cultures agricoles");
}

TEST_F(IndustryReports, EverySourceRowOfTheLanguageIsCompleted) {
    ExecCmdInDB(stores.user, "insert into Rpt_BalanceSheet_Titles_Source (Language, Title_LowerRight, Title_Report) "
                             "values ('E', 'Years:', 'Second heading')");
    ASSERT_TRUE(fncPrepareBalanceSheetReport(stores.industry, stores.user, "bal", 3, "NS", 2010, "111", "E"));
    auto rows = stores.userRows("select Naics, Title_LowerRight, Year_1, Title_UpperLeft from Rpt_BalanceSheet_Titles "
                                "order by Title_LowerRight");
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& r : rows) {
        EXPECT_EQ(r[0].toString(), "111");
        EXPECT_EQ(r[2].toString(), "2009");
        EXPECT_EQ(r[3].toString(), "Volume 3 title - Nova Scotia");
    }
    EXPECT_EQ(rows[1][1].toString(), "Years: 2010, 2009, 2008");
}

TEST_F(IndustryReports, ThePreviousTitlesAreReplaced) {
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "F"));
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "E"));
    EXPECT_EQ(countRows("Rpt_Ratios_Titles"), 1);
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Language").toString(), "E");
}

TEST_F(IndustryReports, AnOlderYearShiftsTheHeadings) {
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2009, "111", "E"));
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Year_3").toString(), "2006");
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Title_LowerRight").toString(), "Reference years: 2009, 2008, 2007");
}

TEST_F(IndustryReports, QuotesInCodesAndRegionNamesCannotChangeTheStatements) {
    ExecCmdInDB(stores.user, "update ProvinceCodes set English = 'Nova Scotia''s coast' where Code = 'NS'");
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "1'11", "E"));
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Naics").toString(), "1'11");
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Title_UpperLeft").toString(), "Volume 3 title - Nova Scotia's coast");
    // A language "letter" with a quote.
    EXPECT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "'"));
    EXPECT_EQ(countRows("Rpt_Ratios_Titles"), 0);
}

TEST_F(IndustryReports, AnUnknownYearIsRefusedWithAMessage) {
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "E"));
    EXPECT_FALSE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2011, "111", "E"));
    EXPECT_EQ(fakes.messages->last().text, "The reference year must be 2008, 2009 or 2010.");
    EXPECT_FALSE(fncPrepareBalanceSheetReport(stores.industry, stores.user, "bal", 3, "NS", 1999, "111", "F"));
    EXPECT_EQ(fakes.messages->last().text, "L'année de référence doit être 2008, 2009 ou 2010.");
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Year_0").toString(), "2010");  // untouched
}

TEST_F(IndustryReports, AnUnknownDataSetIsAnError) {
    EXPECT_THROW(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 0, "NS", 2010, "111", "E"),
                 ReportArgumentError);
    EXPECT_THROW(fncPrepareBalanceSheetReport(stores.industry, stores.user, "bal", 3, "XX", 2010, "111", "E"),
                 ReportArgumentError);
}

TEST_F(IndustryReports, AFailingStatementLeavesTheEarlierReportIntact) {
    ASSERT_TRUE(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "E"));
    ExecCmdInDB(stores.user, "drop table Volume_Descriptions");
    EXPECT_THROW(fncPrepareRatiosReport(stores.industry, stores.user, "rat", 3, "NS", 2010, "111", "F"), DbError);
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Language").toString(), "E");
    EXPECT_EQ(title("Rpt_Ratios_Titles", "Title_UpperLeft").toString(), "Volume 3 title - Nova Scotia");
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CY", "IndustryDescription").toString(), "Crop production");
}
