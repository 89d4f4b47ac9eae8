// The comparison of an enterprise with its industry, on small stores.

#include "support/ReportTest.h"

#include "support/CommaLocale.h"
#include "support/AppFixture.h"

#include "enterprise/EnterpriseRecord.h"
#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportPrep.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace zorva;
using namespace zorva::test;

namespace {

class Comparison : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        for (int y : {2010, 2009, 2008})
            stores.addIndustryRow(3, "NS", y, "111", {{"NumberOfFirms", Variant(std::int64_t{y - 1900})}});
        InitializeValues(record, 0);
        record[Field::FirmName] = "Acme";
        record[Field::Year] = "2010";
        record[Field::NAICS] = "111";
        // Total assets 1000 in balance.
        set(Field::Cash, "125");
        set(Field::Ar, "875");
        set(Field::AccountsPayable, "600");
        set(Field::ShareC, "400");
    }

    void set(Field f, const std::string& text) {
        record[f] = text;
        ASSERT_TRUE(subCalculateSubTotals(record));
    }

    bool compare(std::int16_t year = 2010, const std::string& language = "E", const std::string& title = "Crop production") {
        return fncPrepareComparisonReport(stores.industry, stores.user, "com", 3, "NS", year, "111", language,
                                          BuildComparisonValues(record, "111", title));
    }
    Variant col(const std::string& column) { return stores.userValue("select * from Rpt_Comparison", column); }
    double num(const std::string& column) { return col(column).toDouble(); }
    // Stored with 15 significant digits.
    void expectClose(const std::string& column, double expected) {
        EXPECT_NEAR(num(column), expected, 1e-13 * std::max(1.0, std::abs(expected))) << column;
    }

    RecordTexts record;
};

} // namespace

TEST_F(Comparison, PercentagesOfTotalAssetsAndVariances) {
    ASSERT_TRUE(compare());
    EXPECT_EQ(countRows("Rpt_Comparison"), 1);
    EXPECT_EQ(num("MyCash"), 12.5);
    EXPECT_EQ(num("MyAr"), 87.5);
    EXPECT_EQ(num("MyToa"), 100);
    EXPECT_EQ(num("MyTa"), 100);
    EXPECT_EQ(num("MyAccountsPayable"), 60);
    EXPECT_EQ(num("MyEquity1"), 40);
    EXPECT_EQ(num("MyTotLiabShareEq"), 100);
    // A11 (cash) is 10 and TOTASS 100 in the industry row.
    EXPECT_EQ(num("VarianceCash"), 2.5);
    EXPECT_EQ(num("VarianceAR"), 67.5);
    EXPECT_EQ(num("VarianceTOTASS"), 0);
    EXPECT_EQ(num("VarianceAP"), 40);
    EXPECT_EQ(num("VarianceCurrL"), -30);
}

TEST_F(Comparison, IdentificationAndTheSixAmounts) {
    set(Field::OperatingRevenue, "2000.5");
    set(Field::Sales, "1900");
    set(Field::GrossProfit, "700");
    set(Field::OperatingProfit, "300");
    set(Field::InterestExpense, "20");
    set(Field::PretaxProfit, "250");
    set(Field::ProfitAfterTax, "-180.25");
    ASSERT_TRUE(compare());
    EXPECT_EQ(col("MyFirmName").toString(), "Acme");
    EXPECT_EQ(col("MyYear").toInt(), 2010);
    EXPECT_EQ(col("MyNAICS").toString(), "111");
    EXPECT_EQ(col("MyIndustry").toString(), "Crop production");
    EXPECT_EQ(num("MyOperatingRevenue"), 2000.5);
    EXPECT_EQ(num("MyGrossProfit"), 700);
    EXPECT_EQ(num("MyOperatingProfit"), 300);
    EXPECT_EQ(num("MyInterestExpense"), 20);
    EXPECT_EQ(num("MyPretaxProfit"), 250);
    EXPECT_EQ(num("MyProfitAfterTax"), -180.25);
}

TEST_F(Comparison, ZeroRevenueGivesZeroMarginsAndTurnover) {
    set(Field::ProfitAfterTax, "50");
    set(Field::PretaxProfit, "60");
    set(Field::OperatingProfit, "70");
    ASSERT_TRUE(compare());
    for (const char* c : {"MyNPM", "MyPPM", "MyOPM", "MyORTNOA", "MyRT"}) EXPECT_EQ(num(c), 0) << c;
    // Zero is ranked like any value: NPM boundaries are 1, 2, 3.
    EXPECT_EQ(num("BetterNPM"), 0);
    EXPECT_EQ(num("WorseNPM"), 75);
    EXPECT_EQ(num("MyPPTA"), 6);  // pretax profit to assets does not need revenue
}

TEST_F(Comparison, NetProfitMarginRankedAgainstItsQuartiles) {
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set NPMQ1 = 2, NPMQ2 = 4, NPMQ3 = 6");
    set(Field::OperatingRevenue, "1000");
    set(Field::ProfitAfterTax, "50");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyNPM"), 5);
    EXPECT_EQ(num("BetterNPM"), 50);
    EXPECT_EQ(num("WorseNPM"), 25);
    EXPECT_EQ(num("NPMQ2"), 4);  // the median is copied
}

TEST_F(Comparison, DebtToEquityIsRankedWithDecreasingBoundaries) {
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set DEQ1 = 2, DEQ2 = 1, DEQ3 = 0.5");
    // Debt 120 (mortgages) against equity 100; liabilities 900 + equity 100 = assets 1000.
    set(Field::Mtg, "120");
    set(Field::AccountsPayable, "780");
    set(Field::ShareC, "100");
    ASSERT_EQ(record[Field::TotLiabShareEq], record[Field::Ta]);
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyDE"), 1.2);
    EXPECT_EQ(num("BetterDE"), 25);
    EXPECT_EQ(num("WorseDE"), 50);
}

TEST_F(Comparison, LiabilitiesToAssetsIsRankedWithDecreasingBoundaries) {
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set LTAQ1 = 0.8, LTAQ2 = 0.6, LTAQ3 = 0.4");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyLTA"), 0.6);
    EXPECT_EQ(num("BetterLTA"), 25);  // below 0.8, equal to 0.6
    EXPECT_EQ(num("WorseLTA"), 25);   // above 0.4, equal to 0.6
}

TEST_F(Comparison, NoInterestExpenseGivesZeroCoverage) {
    set(Field::PretaxProfit, "250");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyIC"), 0);
    set(Field::InterestExpense, "50");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyIC"), 6);
}

TEST_F(Comparison, NegativeEquityZeroesReturnOnEquityAndDebtToEquity) {
    set(Field::ShareC, "-5");
    set(Field::AccountsPayable, "900");
    set(Field::Mtg, "105");
    set(Field::InterestExpense, "10");
    set(Field::ProfitAfterTax, "40");
    ASSERT_EQ(record[Field::Equity1], "-5");
    ASSERT_EQ(record[Field::TotLiabShareEq], "1000");
    ASSERT_TRUE(compare());
    for (const char* c : {"MyROE", "MyDE", "BetterRE", "WorseRE", "BetterDE", "WorseDE"}) EXPECT_EQ(num(c), 0) << c;
    // Return on capital employed still divides by 105 + (-5).
    EXPECT_EQ(num("MyROCE"), 50);
    EXPECT_EQ(num("VarianceEq"), -0.5 - 40);
}

TEST_F(Comparison, ZeroEquityIsRankedNormally) {
    set(Field::ShareC, "0");
    set(Field::AccountsPayable, "1000");
    set(Field::ProfitAfterTax, "40");
    set(Field::Mtg, "0");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyROE"), 0);
    EXPECT_EQ(num("MyDE"), 0);
    // RE boundaries 5, 10, 15: a ratio of 0 is below all three.
    EXPECT_EQ(num("BetterRE"), 0);
    EXPECT_EQ(num("WorseRE"), 75);
    // DE boundaries 16.5, 11, 5.5 (lower is better): 0 beats all three.
    EXPECT_EQ(num("BetterDE"), 75);
    EXPECT_EQ(num("WorseDE"), 0);
}

TEST_F(Comparison, TheFifteenRatios) {
    set(Field::OperatingRevenue, "2000");
    set(Field::Sales, "1800");
    set(Field::GrossProfit, "600");
    set(Field::OperatingProfit, "300");
    set(Field::InterestExpense, "25");
    set(Field::PretaxProfit, "200");
    set(Field::ProfitAfterTax, "150");
    set(Field::Inv, "100");
    set(Field::Ar, "775");
    set(Field::Invest, "50");
    set(Field::Ptfl, "50");
    set(Field::Mtg, "100");
    set(Field::AccountsPayable, "500");
    set(Field::CurrentAssets, "600");
    set(Field::CurrentLiabilities, "400");
    ASSERT_EQ(record[Field::Ta], "1100");
    set(Field::ShareC, "500");
    ASSERT_EQ(record[Field::TotLiabShareEq], "1100");
    ASSERT_TRUE(compare());
    expectClose("MyNPM", 7.5);
    expectClose("MyPPM", 10);
    expectClose("MyOPM", 15);
    expectClose("MyGPM", 100.0 / 3);
    expectClose("MyORTNOA", 400);       // 2000 / (1100 - 50 - 50 - 500)
    expectClose("MyRONOA", 60);
    expectClose("MyPPTA", 200.0 / 11);
    expectClose("MyROCE", 175.0 / 600 * 100);
    expectClose("MyROE", 30);
    expectClose("MyRT", 2000.0 / 775);
    expectClose("MyIT", 12);
    expectClose("MyWC", 1.5);
    expectClose("MyDE", 0.2);
    expectClose("MyLTA", 600.0 / 1100);
    expectClose("MyIC", 9);
}

TEST_F(Comparison, NumbersAreWrittenWithFifteenSignificantDigits) {
    set(Field::OperatingRevenue, "3");
    set(Field::ProfitAfterTax, "1");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("MyNPM"), 33.3333333333333);
}

TEST_F(Comparison, ApostrophesInTheNameAndTitleAreStoredIntact) {
    record[Field::FirmName] = "O'Hara's Farm";
    ASSERT_TRUE(compare(2010, "E", "Farmers' markets"));
    EXPECT_EQ(col("MyFirmName").toString(), "O'Hara's Farm");
    EXPECT_EQ(col("MyIndustry").toString(), "Farmers' markets");
}

TEST_F(Comparison, TheEnterprisesYearChoosesTheIndustryRow) {
    ASSERT_TRUE(compare(2009));
    EXPECT_EQ(col("NumberOfFirms").toInt(), 109);
    EXPECT_EQ(col("MyYear").toInt(), 2009);
    // The extraction still covers 2010, 2009 and 2008.
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CY", "NumberOfFirms").toInt(), 110);
    ASSERT_TRUE(compare(2008));
    EXPECT_EQ(col("NumberOfFirms").toInt(), 108);
}

TEST_F(Comparison, AYearWithoutDataShowsTheMessageAndWritesNothing) {
    ASSERT_TRUE(compare());
    ExecCmdInDB(stores.industry, "drop table ZORVA_Vol3_NS_2008_Final_Ratios");
    EXPECT_FALSE(compare(2008));
    ASSERT_EQ(fakes.messages->shown.size(), 1u);
    EXPECT_EQ(fakes.messages->last().text, "This industry has no data for 2008");
    EXPECT_EQ(fakes.messages->last().buttons, MsgButtons::OK);
    EXPECT_EQ(fakes.messages->last().icon, MsgIcon::None);
    EXPECT_EQ(countRows("Rpt_Comparison"), 0);
    // The fresh extraction stays.
    EXPECT_TRUE(stores.userValue("select * from Rpt_Data_CYM2", "NumberOfFirms").isNull());
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CY", "NumberOfFirms").toInt(), 110);
}

TEST_F(Comparison, TheNoDataMessageInFrench) {
    ExecCmdInDB(stores.industry, "drop table ZORVA_Vol3_NS_2009_Final_Ratios");
    EXPECT_FALSE(compare(2009, "F"));
    EXPECT_EQ(fakes.messages->last().text, "Il n'y a pas de données pour cette industrie en 2009");
    EXPECT_FALSE(compare(2009, "e"));  // the letter is upper-cased for the message
    EXPECT_EQ(fakes.messages->last().text, "This industry has no data for 2009");
}

TEST_F(Comparison, AnIndustryMissingFromTheYearsTableHasNoData) {
    ExecCmdInDB(stores.industry, "delete from ZORVA_Vol3_NS_2010_Final_Ratios");
    EXPECT_FALSE(compare(2010));
    EXPECT_EQ(fakes.messages->last().text, "This industry has no data for 2010");
}

TEST_F(Comparison, ANullQuartileCountsAsNotPublished) {
    ExecCmdInDB(stores.industry,
                "update ZORVA_Vol3_NS_2010_Final_Ratios set NPMQ1 = 2, NPMQ2 = 4, NPMQ3 = NULL, RTQ1 = NULL, RTQ2 = NULL, RTQ3 = NULL");
    set(Field::OperatingRevenue, "1000");
    set(Field::ProfitAfterTax, "70");
    ASSERT_TRUE(compare());
    EXPECT_EQ(num("BetterNPM"), 50);
    EXPECT_EQ(num("WorseNPM"), 0);
    EXPECT_EQ(num("BetterRT"), 0);
    EXPECT_EQ(num("WorseRT"), 0);
    EXPECT_TRUE(col("RTQ2").isNull());  // the copied median stays Null
}

TEST_F(Comparison, ANullStructureFigureGivesANullVariance) {
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set A11 = NULL, OPP = NULL");
    ASSERT_TRUE(compare());
    EXPECT_TRUE(col("VarianceCash").isNull());
    EXPECT_TRUE(col("A11").isNull());
    EXPECT_TRUE(col("OPP").isNull());
    EXPECT_EQ(num("VarianceAR"), 67.5);
    EXPECT_EQ(num("MyCash"), 12.5);
}

TEST_F(Comparison, TheIndustrysFiguresAreCopied) {
    ASSERT_TRUE(compare());
    EXPECT_EQ(col("NumberOfFirms").toInt(), 110);
    EXPECT_EQ(num("PPAQ2"), 8);
    EXPECT_EQ(num("RCEQ2"), 9);
    EXPECT_EQ(num("LTAQ2"), 15);
    EXPECT_EQ(num("ICQ2"), 16);
    EXPECT_EQ(num("NPL"), 30);
    EXPECT_EQ(num("A11"), 10);
    EXPECT_EQ(num("TOTLSE"), 100);
    EXPECT_EQ(num("CURLiab"), 30);
}

TEST_F(Comparison, DataSetTitleAndTitleTable) {
    ASSERT_TRUE(compare());
    EXPECT_EQ(col("MyVol").toString(), "Volume 3 title - Nova Scotia");
    auto titles = stores.userRows("select Language, NAICS, Title_Report from Rpt_Comparison_Titles");
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0][0].toString(), "E");
    EXPECT_EQ(titles[0][1].toString(), "111");

    ExecCmdInDB(stores.user, "update ProvinceCodes set French = 'Nouvelle-Écosse d''en bas' where Code = 'NS'");
    ASSERT_TRUE(compare(2010, "F"));
    EXPECT_EQ(col("MyVol").toString(), "Titre du volume 3 - Nouvelle-Écosse d'en bas");
    EXPECT_EQ(stores.userValue("select * from Rpt_Comparison_Titles", "Title_Report").toString(),
              "Votre entreprise comparée à son industrie");
}

TEST_F(Comparison, AYearOutsideTheListIsRefusedBeforeAnyStatement) {
    ASSERT_TRUE(compare());
    for (std::int16_t y : {2011, 2007, 0, -1}) {
        EXPECT_FALSE(compare(y));
        EXPECT_EQ(fakes.messages->last().text, "The reference year must be 2008, 2009 or 2010.");
    }
    EXPECT_EQ(countRows("Rpt_Comparison"), 1);  // the earlier comparison is untouched
}

TEST_F(Comparison, ZeroTotalAssetsAreRefused) {
    ASSERT_TRUE(compare());
    for (Field f : ValueFields()) record[f] = "0";
    EXPECT_FALSE(compare());
    EXPECT_EQ(fakes.messages->last().text, "Please enter your enterprise values");
    EXPECT_EQ(countRows("Rpt_Comparison"), 1);
}

TEST_F(Comparison, AValueThatIsNotANumberIsRefusedBeforeAnyStatement) {
    auto values = BuildComparisonValues(record, "111", "Crop");
    values[5] = "12; drop table Rpt_Comparison";
    EXPECT_THROW(fncPrepareComparisonReport(stores.industry, stores.user, "com", 3, "NS", 2010, "111", "E", values),
                 ReportArgumentError);
    values.resize(36);
    EXPECT_THROW(fncPrepareComparisonReport(stores.industry, stores.user, "com", 3, "NS", 2010, "111", "E", values),
                 ReportArgumentError);
    EXPECT_TRUE(TableExists(stores.user, "Rpt_Comparison"));
}

TEST_F(Comparison, AFailureLeavesNothingHalfWritten) {
    ASSERT_TRUE(compare());
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set NumberOfFirms = 1");
    ExecCmdInDB(stores.user, "drop table Rpt_Comparison_Titles");  // the last statements fail
    record[Field::FirmName] = "Second";
    EXPECT_THROW(compare(), DbError);
    EXPECT_EQ(countRows("Rpt_Comparison"), 1);
    EXPECT_EQ(col("MyFirmName").toString(), "Acme");
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CY", "NumberOfFirms").toInt(), 110);
}

TEST_F(Comparison, InsideTheCallersTransactionItIsASavepoint) {
    ASSERT_TRUE(compare());
    {
        Transaction outer(stores.user);
        record[Field::FirmName] = "Inside";
        ASSERT_TRUE(compare());
        EXPECT_EQ(col("MyFirmName").toString(), "Inside");
        // The caller gives up: everything goes back.
    }
    EXPECT_EQ(col("MyFirmName").toString(), "Acme");
    {
        Transaction outer(stores.user);
        record[Field::FirmName] = "Kept";
        ASSERT_TRUE(compare());
        outer.Commit();
    }
    EXPECT_EQ(col("MyFirmName").toString(), "Kept");
}

TEST_F(Comparison, ASecondCopyPreparingAtTheSameMomentCannotMixItsRows) {
    // Another copy of the program is in the middle of writing its comparison.
    ConnectionHandle other;
    ConnectToFile(other, stores.dir + "/myData.mdb", "unknown");
    Transaction theirs(other);
    ExecCmdInDB(other, "delete * from Rpt_Comparison");
    ExecCmdInDB(other, "insert into Rpt_Comparison (MyFirmName) values ('Theirs')");
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ExecCmdInDB(other, "insert into Rpt_Comparison (MyFirmName) values ('Theirs again')");
        theirs.Commit();
    });
    auto start = std::chrono::steady_clock::now();
    bool ok = compare();
    auto waited = std::chrono::steady_clock::now() - start;
    finisher.join();
    ASSERT_TRUE(ok);
    EXPECT_GE(waited, std::chrono::milliseconds(250));  // ours waited for theirs
    auto rows = stores.userRows("select MyFirmName from Rpt_Comparison");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].toString(), "Acme");
}

TEST_F(Comparison, AFrenchProcessLocaleStillWritesPoints) {
    const char* saved = std::setlocale(LC_NUMERIC, nullptr);
    std::string previous = saved ? saved : "C";
    if (!UseCommaLocale(MakeTempDir("zorva-locale"))) GTEST_SKIP() << "no locale with a decimal comma available";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5");  // the C library now writes commas
    set(Field::OperatingRevenue, "3");
    set(Field::ProfitAfterTax, "1");
    set(Field::Cash, "125.5");
    set(Field::Ar, "874.5");
    ExecCmdInDB(stores.industry, "update ZORVA_Vol3_NS_2010_Final_Ratios set A11 = 10.25");
    bool ok = false;
    try {
        ok = compare();
    } catch (...) {
        std::setlocale(LC_NUMERIC, previous.c_str());
        throw;
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
    ASSERT_TRUE(ok);
    EXPECT_EQ(num("MyNPM"), 33.3333333333333);
    EXPECT_EQ(num("MyCash"), 12.55);
    EXPECT_EQ(num("VarianceCash"), 2.3);  // 12.55 - 10.25 written with 15 digits
    EXPECT_EQ(num("A11"), 10.25);
    EXPECT_EQ(stores.userValue("select * from Rpt_Data_CY", "A11").toDouble(), 10.25);
}

TEST_F(Comparison, ARatioExactlyAtABoundaryDoesNotPassIt) {
    // 29 / 1,000 x 100 is 2.9000000000000004 in binary, 36 / 1,000 x 100 just under 3.6.
    for (const auto& [profit, median] : {std::pair<const char*, const char*>{"29", "2.9"}, {"36", "3.6"}}) {
        ExecCmdInDB(stores.industry, std::string("update ZORVA_Vol3_NS_2010_Final_Ratios set NPMQ1 = 1, NPMQ2 = ") +
                                         median + ", NPMQ3 = 9");
        set(Field::OperatingRevenue, "1000");
        set(Field::ProfitAfterTax, profit);
        ASSERT_TRUE(compare());
        EXPECT_EQ(num("BetterNPM"), 25) << profit << " passes only Q1";
        EXPECT_EQ(num("WorseNPM"), 25) << profit << " is below Q3 only";
    }
}

TEST_F(Comparison, EachRatioIsRankedAgainstItsOwnQuartiles) {
    // Fifteen ratios far apart from one another.
    for (const auto& [f, v] : std::vector<std::pair<Field, const char*>>{
             {Field::Cash, "100"}, {Field::Ar, "150"}, {Field::Inv, "200"}, {Field::CA, "300"}, {Field::OA, "50"},
             {Field::Invest, "120"}, {Field::Ptfl, "80"}, {Field::AccountsPayable, "100"}, {Field::Paper, "20"},
             {Field::Mtg, "130"}, {Field::Bonds, "40"}, {Field::Ol, "60"}, {Field::AmtsAffil, "30"},
             {Field::OLiab, "10"}, {Field::DefTax, "10"}, {Field::ShareC, "200"}, {Field::RetEarn, "350"},
             {Field::OtherSur, "50"}, {Field::OperatingRevenue, "2300"}, {Field::Sales, "1700"},
             {Field::GrossProfit, "610"}, {Field::OperatingProfit, "170"}, {Field::InterestExpense, "13"},
             {Field::PretaxProfit, "140"}, {Field::ProfitAfterTax, "97"}, {Field::CurrentAssets, "550"},
             {Field::CurrentLiabilities, "190"}})
        set(f, v);
    ASSERT_EQ(record[Field::TotLiabShareEq], record[Field::Ta]);
    ASSERT_TRUE(compare());
    const auto& ratios = report::Ratios();
    std::vector<double> mine;
    for (const auto& r : ratios) mine.push_back(num(r.valueColumn));
    // Each ratio's own quartiles hold it between Q1 and the median (a band of
    // a few per cent); any other ratio's quartiles lie wholly above or below it.
    std::string update = "update ZORVA_Vol3_NS_2010_Final_Ratios set ";
    for (size_t k = 0; k < ratios.size(); ++k) {
        for (size_t j = 0; j < ratios.size(); ++j) {
            if (j != k) {
                ASSERT_GT(std::abs(mine[j] / mine[k] - 1), 0.03) << ratios[k].code << " " << ratios[j].code;
            }
        }
        const double s = ratios[k].higherIsBetter ? 1 : -1;
        const double q[3] = {mine[k] * (1 - 0.01 * s), mine[k] * (1 + 0.01 * s), mine[k] * (1 + 0.02 * s)};
        for (int i = 0; i < 3; ++i)
            update += (k || i ? ", " : "") + std::string(ratios[k].code) + "Q" + std::to_string(i + 1) + " = " +
                      FormatDouble15(q[i]);
    }
    ExecCmdInDB(stores.industry, update);
    ASSERT_TRUE(compare());
    for (const auto& r : ratios) {
        EXPECT_EQ(num(r.betterColumn), 25) << r.betterColumn;
        EXPECT_EQ(num(r.worseColumn), 50) << r.worseColumn;
    }
}
