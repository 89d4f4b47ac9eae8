// Copy of an industry's rows of three years into the report data tables.

#include "support/ReportTest.h"

#include "reports/prep/ReportPrep.h"

using namespace zorva;
using namespace zorva::test;

namespace {

class Extraction : public ReportTest {
protected:
    void extract(std::int16_t volume, const std::string& region, std::int16_t year, const std::string& naics,
                 const std::string& language = "E") {
        subExtractIndustryData(stores.industry, stores.user, "rat", volume, region, year, naics, language);
    }
    Variant value(const std::string& table, const std::string& column) {
        return stores.userValue("select * from " + table, column);
    }
};

} // namespace

TEST_F(Extraction, ThreeYearsIntoTheThreeTables) {
    stores.addIndustryRow(3, "NS", 2010, "111", {{"NumberOfFirms", Variant(10)}});
    stores.addIndustryRow(3, "NS", 2009, "111", {{"NumberOfFirms", Variant(9)}});
    stores.addIndustryRow(3, "NS", 2008, "111", {{"NumberOfFirms", Variant(8)}});
    stores.addIndustryRow(3, "NS", 2010, "112", {{"NumberOfFirms", Variant(99)}});
    extract(3, "NS", 2010, "111");
    EXPECT_EQ(value("Rpt_Data_CY", "NumberOfFirms").toInt(), 10);
    EXPECT_EQ(value("Rpt_Data_CYM1", "NumberOfFirms").toInt(), 9);
    EXPECT_EQ(value("Rpt_Data_CYM2", "NumberOfFirms").toInt(), 8);
    for (const char* t : kReportDataTables) EXPECT_EQ(countRows(t), 1) << t;
    // Numbers arrive as numbers, every column is copied.
    EXPECT_EQ(value("Rpt_Data_CY", "A11").type(), Variant::Type::Real);
    EXPECT_EQ(value("Rpt_Data_CY", "A11").toDouble(), 10.0);
    EXPECT_EQ(value("Rpt_Data_CY", "ICQ3").toDouble(), 24.0);
    EXPECT_EQ(value("Rpt_Data_CY", "NPL").toDouble(), 30.0);
}

TEST_F(Extraction, AnOlderReferenceYearReadsItsOwnThreeYears) {
    stores.addIndustryRow(3, "NS", 2009, "111", {{"NumberOfFirms", Variant(9)}});
    stores.addIndustryRow(3, "NS", 2008, "111", {{"NumberOfFirms", Variant(8)}});
    extract(3, "NS", 2009, "111");
    EXPECT_EQ(value("Rpt_Data_CY", "NumberOfFirms").toInt(), 9);
    EXPECT_EQ(value("Rpt_Data_CYM1", "NumberOfFirms").toInt(), 8);
    // 2007 has no table: a row with only the code.
    EXPECT_TRUE(value("Rpt_Data_CYM2", "NumberOfFirms").isNull());
    EXPECT_EQ(value("Rpt_Data_CYM2", "NAICS").toString(), "111");
}

TEST_F(Extraction, AMissingMiddleYearLeavesACodeOnlyRowAndGoesOn) {
    stores.addIndustryRow(3, "NS", 2010, "111");
    stores.addIndustryRow(3, "NS", 2008, "111", {{"NumberOfFirms", Variant(8)}});
    extract(3, "NS", 2010, "111");
    EXPECT_FALSE(value("Rpt_Data_CY", "NumberOfFirms").isNull());
    EXPECT_TRUE(value("Rpt_Data_CYM1", "NumberOfFirms").isNull());
    EXPECT_TRUE(value("Rpt_Data_CYM1", "A11").isNull());
    EXPECT_EQ(value("Rpt_Data_CYM1", "NAICS").toString(), "111");
    EXPECT_EQ(value("Rpt_Data_CYM2", "NumberOfFirms").toInt(), 8);
}

TEST_F(Extraction, NoStaleRowsFromAnEarlierDataSetAfterAMissingYear) {
    // A first extraction fills all three tables with industry 111 of Quebec ...
    for (int y : {2010, 2009, 2008}) stores.addIndustryRow(3, "QC", y, "111", {{"NumberOfFirms", Variant(500 + y)}});
    extract(3, "QC", 2010, "111");
    // ... then Nova Scotia, whose 2009 table is missing.
    stores.addIndustryRow(3, "NS", 2010, "111", {{"NumberOfFirms", Variant(10)}});
    stores.addIndustryRow(3, "NS", 2008, "111", {{"NumberOfFirms", Variant(8)}});
    extract(3, "NS", 2010, "111");
    EXPECT_EQ(value("Rpt_Data_CY", "NumberOfFirms").toInt(), 10);
    EXPECT_TRUE(value("Rpt_Data_CYM1", "NumberOfFirms").isNull());
    EXPECT_EQ(value("Rpt_Data_CYM2", "NumberOfFirms").toInt(), 8);  // not Quebec's 2508
    for (const char* t : kReportDataTables) EXPECT_EQ(countRows(t), 1) << t;
}

TEST_F(Extraction, AnIndustryWithoutARowInAYearIsTreatedAsNoData) {
    stores.addIndustryRow(3, "NS", 2010, "111");
    stores.addIndustryRow(3, "NS", 2009, "112");  // the table exists, our industry is not in it
    stores.addIndustryRow(3, "NS", 2008, "111");
    extract(3, "NS", 2010, "111");
    EXPECT_TRUE(value("Rpt_Data_CYM1", "NumberOfFirms").isNull());
    EXPECT_EQ(value("Rpt_Data_CYM1", "NAICS").toString(), "111");
    EXPECT_FALSE(value("Rpt_Data_CYM2", "NumberOfFirms").isNull());
}

TEST_F(Extraction, NullFiguresStayNull) {
    stores.addIndustryRow(3, "NS", 2010, "111", {{"NPMQ2", Variant()}, {"A11", Variant()}});
    extract(3, "NS", 2010, "111");
    EXPECT_TRUE(value("Rpt_Data_CY", "NPMQ2").isNull());
    EXPECT_TRUE(value("Rpt_Data_CY", "A11").isNull());
    EXPECT_FALSE(value("Rpt_Data_CY", "A12").isNull());
}

TEST_F(Extraction, ApostrophesArriveUnchanged) {
    stores.addIndustryRow(3, "NS", 2010, "111", {{"IndustryDescription", Variant("Farmers' markets")}});
    extract(3, "NS", 2010, "111");
    EXPECT_EQ(value("Rpt_Data_CY", "IndustryDescription").toString(), "Farmers' markets");
}

TEST_F(Extraction, EnglishKeepsTheRatioTablesDescription) {
    stores.addNaics("111", "Crop production", "Cultures agricoles");
    stores.addIndustryRow(3, "NS", 2010, "111", {{"IndustryDescription", Variant("As in the ratio table")}});
    extract(3, "NS", 2010, "111", "E");
    EXPECT_EQ(value("Rpt_Data_CY", "IndustryDescription").toString(), "As in the ratio table");
}

TEST_F(Extraction, FrenchWritesTheFrenchDescriptionIntoEveryYear) {
    stores.addNaics("111", "Crop production", "  Culture de l'orge  ");
    for (int y : {2010, 2009, 2008}) stores.addIndustryRow(3, "NS", y, "111");
    extract(3, "NS", 2010, "111", "F");
    for (const char* t : kReportDataTables)
        EXPECT_EQ(value(t, "IndustryDescription").toString(), "Culture de l'orge") << t;
}

TEST_F(Extraction, FrenchUsesTheDetailedTableForVolumeOne) {
    stores.addNaics("111", "Crop production", "Raw title");
    ExecCmdInDB(stores.industry, "update ZORVA_NAICS_Description_Ind_Detailed set Description_french = 'Detailed title'");
    stores.addIndustryRow(1, "ALL", 2010, "111");
    stores.addIndustryRow(2, "ALL", 2010, "111");
    extract(1, "ALL", 2010, "111", "F");
    EXPECT_EQ(value("Rpt_Data_CY", "IndustryDescription").toString(), "Detailed title");
    extract(2, "ALL", 2010, "111", "Fr");
    EXPECT_EQ(value("Rpt_Data_CY", "IndustryDescription").toString(), "Raw title");
}

TEST_F(Extraction, ALowerCaseFDoesNotSelectFrench) {
    stores.addNaics("111", "Crop production", "Cultures agricoles");
    stores.addIndustryRow(3, "NS", 2010, "111", {{"IndustryDescription", Variant("Crop production")}});
    extract(3, "NS", 2010, "111", "f");
    EXPECT_EQ(value("Rpt_Data_CY", "IndustryDescription").toString(), "Crop production");
}

TEST_F(Extraction, AQuoteInTheCodeCannotChangeTheStatement) {
    stores.addIndustryRow(3, "NS", 2010, "111");
    stores.addIndustryRow(3, "NS", 2010, "112");
    extract(3, "NS", 2010, "111' or '1'='1");
    EXPECT_EQ(countRows("Rpt_Data_CY"), 1);
    EXPECT_TRUE(value("Rpt_Data_CY", "NumberOfFirms").isNull());
    EXPECT_EQ(value("Rpt_Data_CY", "NAICS").toString(), "111' or '1'='1");
}

TEST_F(Extraction, UnknownYearsAndDataSetsAreRefusedBeforeAnyStatement) {
    stores.addIndustryRow(3, "NS", 2010, "111");
    extract(3, "NS", 2010, "111");
    EXPECT_THROW(extract(3, "NS", 2011, "111"), ReportArgumentError);
    EXPECT_THROW(extract(3, "NS", 2007, "111"), ReportArgumentError);
    EXPECT_THROW(extract(4, "NS", 2010, "111"), ReportArgumentError);
    EXPECT_THROW(extract(3, "NS_2010_Final_Ratios where 1=1 --", 2010, "111"), ReportArgumentError);
    // The earlier extraction is still there.
    EXPECT_EQ(value("Rpt_Data_CY", "NumberOfFirms").toInt(), 100);
}

TEST_F(Extraction, AFailureLeavesTheEarlierRowsInPlace) {
    for (int y : {2010, 2009, 2008}) stores.addIndustryRow(3, "NS", y, "111");
    extract(3, "NS", 2010, "111");
    // A 2008 table with a column the report tables do not have makes the last insert fail.
    ExecCmdInDB(stores.industry, "alter table ZORVA_Vol3_NS_2008_Final_Ratios add column Unexpected REAL");
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set NumberOfFirms = 1");
    EXPECT_THROW(extract(3, "NS", 2010, "111"), DbError);
    EXPECT_EQ(value("Rpt_Data_CY", "NumberOfFirms").toInt(), 100);  // the first year's rewrite was rolled back
    for (const char* t : kReportDataTables) EXPECT_EQ(countRows(t), 1) << t;
}

TEST_F(Extraction, DoesReportTableExist) {
    stores.addRatioTable(3, "NS", 2010);
    EXPECT_TRUE(DoesReportTableExist("ZORVA_Vol3_NS_2010_Final_Ratios", stores.industry));
    EXPECT_FALSE(DoesReportTableExist("ZORVA_Vol3_NS_2009_Final_Ratios", stores.industry));
    EXPECT_FALSE(DoesReportTableExist("no such syntax ((", stores.industry));
    EXPECT_TRUE(fakes.messages->empty());
}

TEST(ReportDataTables, TableOfEachComparisonYear) {
    EXPECT_EQ(ReportDataTableOfYear(2010), "Rpt_Data_CY");
    EXPECT_EQ(ReportDataTableOfYear(2009), "Rpt_Data_CYM1");
    EXPECT_EQ(ReportDataTableOfYear(2008), "Rpt_Data_CYM2");
    EXPECT_THROW(ReportDataTableOfYear(2011), ReportArgumentError);
}
