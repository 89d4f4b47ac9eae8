// The catalogue of data sets and the industry lists of a data set.

#include "support/FakeServices.h"
#include "support/FixtureStores.h"

#include "core/Catalogue.h"
#include "selection/IndustrySearch.h"
#include "core/Globals.h"
#include "core/Strings.h"

#include <gtest/gtest.h>

#include <set>

using namespace zorva;
using namespace zorva::test;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        fakes = InstallFakes();
    }
    void TearDown() override { ResetGlobals(); }
    Fakes fakes;
};

class IndustryLists : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        stores.addFolder("Ind44", "IndTOTALL", 3, "Retail trade", "Commerce de détail");
        stores.addNaics("111", "Crop production", "Cultures agricoles");
        stores.addNaics("4411", "Automobile dealers", "Concessionnaires d'automobiles", "Ind44");
        stores.addNaics("4451", "Grocery stores", "Épiceries", "Ind44");
        stores.addNaics("999", "Not in the data set", "Pas dans l'ensemble", "Ind44");
        stores.addNaics("4452", "Dealers' and farmers' markets", "Marchés d'l'industrie", "Nowhere");
        for (const char* code : {"111", "4411", "4451", "4452"}) stores.addIndustryRow(3, "NS", 2010, code);
        ASSERT_TRUE(subSetDataTable("optNovaScotia"));
    }
    std::vector<std::string> codes(const std::vector<IndustryRow>& rows) {
        std::vector<std::string> c;
        for (const auto& r : rows) c.push_back(r.naics);
        return c;
    }
    FixtureStores stores;
};

} // namespace

TEST_F(CatalogueTest, NineteenChoicesInOrder) {
    const auto& c = Catalogue();
    ASSERT_EQ(c.size(), 19u);
    EXPECT_STREQ(c.front().option, "optVol1");
    EXPECT_STREQ(c[3].option, "optAtlantic");
    EXPECT_STREQ(c.back().option, "optYukon");
    std::set<std::string> names;
    for (const auto& x : c) names.insert(x.option);
    EXPECT_EQ(names.size(), 19u);
}

TEST_F(CatalogueTest, SettingTheDataSet) {
    ASSERT_TRUE(subSetDataTable("optVol2"));
    EXPECT_EQ(gintVolume, 2);
    EXPECT_EQ(gstrRegion, "ALL");
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol2_ALL_2010_Final_Ratios");
    EXPECT_EQ(gstrNaicsTable, "ZORVA_NAICS_Description_Ind_Raw");

    ASSERT_TRUE(subSetDataTable("optVol3"));
    EXPECT_EQ(gintVolume, 3);
    EXPECT_EQ(gstrRegion, "ALL");
    ASSERT_TRUE(subSetDataTable("optAtlantic"));
    EXPECT_EQ(gstrRegion, "ATLANTIC");
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol3_ATLANTIC_2010_Final_Ratios");
    ASSERT_TRUE(subSetDataTable("optNWT"));
    EXPECT_EQ(gstrRegion, "NT");
    EXPECT_EQ(gstrNaicsTable, "ZORVA_NAICS_Description_Ind_Raw");

    ASSERT_TRUE(subSetDataTable("optVol1"));
    EXPECT_EQ(gstrNaicsTable, "ZORVA_NAICS_Description_Ind_Detailed");
    EXPECT_EQ(gstrDataTable, "ZORVA_Vol1_ALL_2010_Final_Ratios");
}

TEST_F(CatalogueTest, OnlyVolumeOneUsesTheDetailedTable) {
    for (const auto& c : Catalogue()) {
        ASSERT_TRUE(subSetDataTable(c.option));
        EXPECT_EQ(gstrNaicsTable == kNaicsDetailed, std::string(c.option) == "optVol1") << c.option;
        EXPECT_EQ(gstrDataTable, RatioTableName(c.volume, c.region, 2010));
    }
}

TEST_F(CatalogueTest, AnUnknownNameChangesNothing) {
    ASSERT_TRUE(subSetDataTable("optQuebec"));
    EXPECT_FALSE(subSetDataTable("optvol1"));  // letter case counts
    EXPECT_FALSE(subSetDataTable(""));
    EXPECT_EQ(gstrRegion, "QC");
    EXPECT_EQ(gintVolume, 3);
}

TEST_F(CatalogueTest, TableNames) {
    EXPECT_EQ(RatioTableName(3, "NS", 2009), "ZORVA_Vol3_NS_2009_Final_Ratios");
    EXPECT_EQ(NaicsTableForVolume(1), kNaicsDetailed);
    EXPECT_EQ(NaicsTableForVolume(3), kNaicsRaw);
}

TEST_F(CatalogueTest, CaptionsInBothLanguages) {
    const DatasetChoice* vol1 = FindChoice("optVol1");
    ASSERT_NE(vol1, nullptr);
    EXPECT_EQ(ChoiceCaption(*vol1, 0), "Enterprises with Revenue of $25 million or more");
    EXPECT_EQ(ChoiceCaption(*vol1, 1), "Entreprises ayant 25 millions de dollars ou plus de revenu");
    EXPECT_EQ(ChoiceCaption(*FindChoice("optQuebec"), 1), "Québec");
    EXPECT_EQ(ChoiceCaption(*FindChoice("optOntario"), 1), "Ontario");
    EXPECT_EQ(FindChoice("optNowhere"), nullptr);
}

TEST_F(CatalogueTest, AvailabilityFollowsTheRowsOfThe2010Table) {
    FixtureStores stores;
    const DatasetChoice& ns = *FindChoice("optNovaScotia");
    EXPECT_FALSE(ChoiceHasData(stores.industry, ns));  // no table at all
    stores.addRatioTable(3, "NS", 2010);
    EXPECT_FALSE(ChoiceHasData(stores.industry, ns));  // an empty table
    EXPECT_EQ(CountTableRows(stores.industry, "ZORVA_Vol3_NS_2010_Final_Ratios"), 0);
    stores.addIndustryRow(3, "NS", 2009, "111");
    EXPECT_FALSE(ChoiceHasData(stores.industry, ns));  // only another year
    stores.addIndustryRow(3, "NS", 2010, "111");
    EXPECT_TRUE(ChoiceHasData(stores.industry, ns));
    EXPECT_FALSE(ChoiceHasData(stores.industry, *FindChoice("optVol1")));
}

TEST_F(CatalogueTest, DescriptionsFollowTheLanguage) {
    FixtureStores stores;
    ExecCmdInDB(stores.industry, "insert into datadescription values ('optVol1', 'Large enterprises', 'Grandes entreprises'), "
                                 "('optVol2', 'Medium', NULL)");
    EXPECT_EQ(DatasetDescription(stores.industry, "optVol1", 0), "Large enterprises");
    EXPECT_EQ(DatasetDescription(stores.industry, "optVol1", 1), "Grandes entreprises");
    EXPECT_EQ(DatasetDescription(stores.industry, "optVol2", 1), "");  // Null text
    EXPECT_EQ(DatasetDescription(stores.industry, "optVol3", 0), "");  // no row
    EXPECT_EQ(DatasetDescription(stores.industry, "opt'Vol1", 0), "");
}

// ---------------------------------------------------------------- industries

TEST_F(IndustryLists, TitleListOnlyHoldsTheDataSetsIndustriesByTitle) {
    auto rows = IndustryTitleList(stores.industry, gstrDataTable, gstrNaicsTable, 0);
    EXPECT_EQ(codes(rows), (std::vector<std::string>{"4411", "111", "4452", "4451"}));
    EXPECT_EQ(rows[0].title, "Automobile dealers");
    EXPECT_EQ(rows[0].sector, "Retail trade");
    EXPECT_EQ(rows[1].sector, "Agriculture, forestry, fishing and hunting");
    EXPECT_EQ(rows[2].sector, "");  // its folder does not exist
}

TEST_F(IndustryLists, TitleListInFrenchIsOrderedByTheFrenchTitle) {
    auto rows = IndustryTitleList(stores.industry, gstrDataTable, gstrNaicsTable, 1);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].title, "Concessionnaires d'automobiles");
    EXPECT_EQ(rows[0].sector, "Commerce de détail");
    EXPECT_EQ(rows[1].title, "Cultures agricoles");
}

TEST_F(IndustryLists, AnEmptyKeyWordListsEveryIndustry) {
    EXPECT_EQ(KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "", 0).size(), 4u);
    EXPECT_EQ(KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "", 1).size(), 4u);
}

TEST_F(IndustryLists, KeyWordsMatchAnywhereWithoutRegardToCase) {
    auto rows = KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "DEALER", 0);
    EXPECT_EQ(codes(rows).size(), 2u);
    rows = KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "epicer", 1);  // accents folded
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].naics, "4451");
    EXPECT_EQ(rows[0].title, "Épiceries");
    EXPECT_EQ(rows[0].sector, "Commerce de détail");
}

TEST_F(IndustryLists, AKeyWordWithAnApostropheFindsTitlesWithIt) {
    auto rows = KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "farmers' market", 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].naics, "4452");
    rows = KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "d'l'industrie", 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(KeywordSearch(stores.industry, gstrDataTable, gstrNaicsTable, "x' or '1'='1", 0).size(), 0u);
}

TEST_F(IndustryLists, LookingAnIndustryUp) {
    auto en = LookupIndustry(stores.industry, gstrDataTable, gstrNaicsTable, "4411", 0);
    ASSERT_TRUE(en);
    EXPECT_EQ(en->title, "Automobile dealers");
    EXPECT_EQ(en->sector, "Retail trade");
    auto fr = LookupIndustry(stores.industry, gstrDataTable, gstrNaicsTable, "4411", 1);
    ASSERT_TRUE(fr);
    EXPECT_EQ(fr->title, "Concessionnaires d'automobiles");
    EXPECT_FALSE(LookupIndustry(stores.industry, gstrDataTable, gstrNaicsTable, "999", 0));  // not in the data set
    EXPECT_FALSE(LookupIndustry(stores.industry, gstrDataTable, gstrNaicsTable, "4411' or '1'='1", 0));
}
