// The comparison of many enterprises in memory gives, column for column, the
// row the comparison report's preparation writes into Rpt_Comparison.

#include "support/AppFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"
#include "reports/prep/BatchComparison.h"
#include "reports/prep/ReportPrep.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace zorva;
using namespace zorva::test;

namespace {

class BatchComparison : public AppFixture {};

// Statements that reach the corners of the computation: an ordinary one,
// negative equity, no revenue and no interest (zero denominators), and one
// whose ratios fall on round figures.
RecordTexts statement(int kind) {
    RecordTexts r;
    InitializeValues(r, 0);
    r[Field::FirmName] = "Entreprise d'été " + std::to_string(kind);
    auto set = [&](Field f, const char* v) { r[f] = v; };
    switch (kind) {
    case 0:
        set(Field::Cash, "12500.75"); set(Field::Ar, "40210.1"); set(Field::Inv, "35000"); set(Field::Invest, "5000");
        set(Field::OperatingRevenue, "250000"); set(Field::Sales, "240000"); set(Field::GrossProfit, "90000");
        set(Field::OperatingProfit, "21000"); set(Field::InterestExpense, "3100"); set(Field::PretaxProfit, "17900");
        set(Field::ProfitAfterTax, "14000"); set(Field::AccountsPayable, "20000"); set(Field::Mtg, "30000");
        set(Field::ShareC, "10000"); set(Field::RetEarn, "32710.85"); set(Field::CurrentAssets, "87710.85");
        set(Field::CurrentLiabilities, "25000");
        break;
    case 1:
        set(Field::Cash, "1000"); set(Field::Ar, "2000"); set(Field::OperatingRevenue, "9000");
        set(Field::ProfitAfterTax, "-1500"); set(Field::AccountsPayable, "4500"); set(Field::ShareC, "100");
        set(Field::RetEarn, "-1600"); set(Field::InterestExpense, "200"); set(Field::CurrentAssets, "3000");
        set(Field::CurrentLiabilities, "4500");
        break;
    case 2:
        set(Field::Cash, "500"); set(Field::ShareC, "500");
        break;
    default:
        set(Field::Cash, "29"); set(Field::Ar, "971"); set(Field::OperatingRevenue, "1000");
        set(Field::ProfitAfterTax, "29"); set(Field::GrossProfit, "360"); set(Field::ShareC, "1000");
        set(Field::CurrentAssets, "1000"); set(Field::CurrentLiabilities, "1");
        break;
    }
    subCalculateSubTotals(r);
    return r;
}

std::string describe(const Variant& v) {
    const char* types[] = {"null", "integer", "real", "text"};
    char exact[40];
    std::snprintf(exact, sizeof exact, "%.17g", v.toDouble());
    return std::string(types[static_cast<int>(v.type())]) + " " + (v.type() == Variant::Type::Real ? exact : v.toString());
}

} // namespace

TEST_F(BatchComparison, EqualsTheTablesRowForEveryDataSetYearAndLanguage) {
    int compared = 0, refused = 0;
    const auto& names = ComparisonColumnNames();
    for (const DatasetChoice& c : Catalogue()) {
        if (!ChoiceHasData(gcnIndustry, c)) continue;
        subSetDataTable(c.option);
        auto industries = GetRS(gcnIndustry, "select NAICS from " + gstrDataTable + " order by NAICS", "read");
        ASSERT_GT(industries->RecordCount(), 0) << c.option;
        const std::string first = industries->Fields(0).toString();
        industries->MoveLast();
        const std::string last = industries->Fields(0).toString();
        for (const std::string& naics : {first, last}) {
            const std::string L = (compared / 7) % 2 ? "F" : "E";
            ComparisonBatch batch(gcnIndustry, gcnUser, c.volume, c.region, naics, L);
            for (int kind = 0; kind < 4; ++kind) {
                for (std::int16_t year = 2008; year <= 2010; ++year) {
                    RecordTexts r = statement(kind);
                    r[Field::Year] = std::to_string(year);
                    const auto values = BuildComparisonValues(r, naics, "Industry " + naics);
                    const bool prepared = fncPrepareComparisonReport(gcnIndustry, gcnUser, "com", c.volume, c.region,
                                                                     year, naics, L, values);
                    std::string message;
                    auto row = batch.Compare(values, year, &message);
                    ASSERT_EQ(prepared, row.has_value()) << c.option << " " << naics << " " << year << " " << message;
                    if (!prepared) {
                        ++refused;
                        EXPECT_NE(message, "");
                        continue;
                    }
                    auto rs = GetRS(gcnUser, "select * from Rpt_Comparison", "read");
                    ASSERT_EQ(rs->RecordCount(), 1);
                    ASSERT_EQ(batch.TableColumns().size(), names.size());
                    for (size_t k = 0; k < names.size(); ++k)
                        ASSERT_TRUE(rs->Fields(names[k]) == (*row)[k])
                            << describe(rs->Fields(names[k])) << " / " << describe((*row)[k]) << ": " << names[k] << " of " << c.option << " " << naics << " " << year << " kind " << kind;
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 100);
    RecordProperty("refused", refused);
}
