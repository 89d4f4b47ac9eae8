// The preparations on a copy of the data stores shipped in the application
// folder: every statement must suit the stores' real tables.

#include "support/AppFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"
#include "reports/prep/ReportPrep.h"

#include <filesystem>

using namespace zorva;
using namespace zorva::test;

namespace {

class ShippedStore : public ShippedStoresFixture {
protected:
    static std::vector<std::string> enterprise(const std::string& naics, const std::string& year) {
        RecordTexts r;
        InitializeValues(r, 0);
        r[Field::FirmName] = "L'Érablière d'en haut";
        r[Field::Year] = year;
        r[Field::Cash] = "50000.25";
        r[Field::Ar] = "120000";
        r[Field::CA] = "250000";
        r[Field::AccountsPayable] = "90000";
        r[Field::Mtg] = "150000";
        r[Field::ShareC] = "100000";
        r[Field::RetEarn] = "80000.25";
        r[Field::OperatingRevenue] = "900000";
        r[Field::Sales] = "880000";
        r[Field::GrossProfit] = "300000";
        r[Field::ProfitAfterTax] = "48000";
        r[Field::InterestExpense] = "8000";
        r[Field::PretaxProfit] = "62000";
        EXPECT_TRUE(subCalculateSubTotals(r));
        EXPECT_EQ(CheckBeforeComparison(r), ComparisonCheck::Ok);
        return BuildComparisonValues(r, naics, "Title");
    }
};

} // namespace

TEST_F(ShippedStore, EveryDataSetPreparesItsThreeReports) {
    int prepared = 0;
    for (const DatasetChoice& c : Catalogue()) {
        if (!ChoiceHasData(gcnIndustry, c)) continue;
        auto rs = GetRS(gcnIndustry, "select NAICS from " + RatioTableName(c.volume, c.region, 2010), "read");
        const std::string naics = rs->Fields(0).toString();
        for (const char* lang : {"E", "F"}) {
            ASSERT_TRUE(fncPrepareRatiosReport(gcnIndustry, gcnUser, "rat", c.volume, c.region, 2010, naics, lang));
            ASSERT_TRUE(fncPrepareBalanceSheetReport(gcnIndustry, gcnUser, "bal", c.volume, c.region, 2010, naics, lang));
            EXPECT_EQ(GetRS(gcnUser, "select * from Rpt_Ratios_Titles", "read")->RecordCount(), 1) << c.option;
            auto data = GetRS(gcnUser, "select * from Rpt_Data_CY", "read");
            ASSERT_EQ(data->RecordCount(), 1);
            EXPECT_FALSE(data->Fields("NumberOfFirms").isNull()) << c.option;
        }
        for (const char* year : {"2010", "2009", "2008"}) {
            bool ok = fncPrepareComparisonReport(gcnIndustry, gcnUser, "com", c.volume, c.region,
                                                 static_cast<std::int16_t>(std::stoi(year)), naics, "F",
                                                 enterprise(naics, year));
            auto row = GetRS(gcnUser, "select * from Rpt_Comparison", "read");
            if (ok) {
                ASSERT_EQ(row->RecordCount(), 1) << c.option << " " << year;
                EXPECT_EQ(row->Fields("MyFirmName").toString(), "L'Érablière d'en haut");
                EXPECT_FALSE(row->Fields("MyVol").isNull()) << c.option;
                ++prepared;
            } else {
                EXPECT_EQ(row->RecordCount(), 0);
                EXPECT_EQ(fakes.messages->last().text, "Il n'y a pas de données pour cette industrie en " + std::string(year));
            }
        }
    }
    EXPECT_GT(prepared, 0);
}
