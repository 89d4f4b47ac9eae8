#include "support/SampleReports.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"
#include "selection/IndustrySearch.h"

#include <gtest/gtest.h>

namespace zorva::test {

RecordTexts SampleStatement(const std::string& name, const char* year, const char* profitAfterTax) {
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
        {Field::ShareC, "50000"}, {Field::RetEarn, "-25000"}, {Field::OtherSur, "450000"},
        {Field::CurrentAssets, "570000"}, {Field::CurrentLiabilities, "313000"}};
    for (const auto& [f, v] : amounts) r[f] = v;
    EXPECT_TRUE(subCalculateSubTotals(r));
    return r;
}

std::optional<report::PreparedReport> PrepareSampleReport(const std::string& type, const std::string& lang) {
    const DatasetChoice* c = FindChoice("optNovaScotia");
    subSetDataTable(c->option);
    const RecordTexts statement = SampleStatement(kSampleEnterprise, "2010", "84300");
    if (type == "tre") {
        store::SaveRecord(gcnUser, SampleStatement(kSampleEnterprise, "2008", "49600"), 2008);
        store::SaveRecord(gcnUser, statement, 2010);
    }
    const auto industry = LookupIndustry(gcnIndustry, gstrDataTable, gstrNaicsTable, "1111", lang == "F" ? 1 : 0);
    const auto values = BuildComparisonValues(statement, "1111", industry ? industry->title : "");
    return report::PrepareReport(gcnIndustry, gcnUser, type, c->volume, c->region, 2010, "1111", lang,
                                 type == "com" || type == "tre" ? values : std::vector<std::string>{});
}

} // namespace zorva::test
