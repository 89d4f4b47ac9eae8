// The nineteen data sets held against values written out here, apart from
// the table the program uses: order, volume, region code, caption id (or
// fixed caption), ratio table of 2010, NAICS description table, and which
// choices the shipped industry store greys out.

#include "support/AppFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Strings.h"

#include <gtest/gtest.h>

using namespace zorva;
using namespace zorva::test;

namespace {

struct Published {
    const char* option;
    int volume;
    const char* region;
    int captionId;        // 0: the fixed caption below in both languages
    const char* fixed;
    const char* table2010;
    bool detailedNaics;
    bool greyedWhenShipped;
};

const Published kPublished[] = {
    {"optVol1", 1, "ALL", 490, nullptr, "ZORVA_Vol1_ALL_2010_Final_Ratios", true, false},
    {"optVol2", 2, "ALL", 492, nullptr, "ZORVA_Vol2_ALL_2010_Final_Ratios", false, false},
    {"optVol3", 3, "ALL", 494, nullptr, "ZORVA_Vol3_ALL_2010_Final_Ratios", false, false},
    {"optAtlantic", 3, "ATLANTIC", 416, nullptr, "ZORVA_Vol3_ATLANTIC_2010_Final_Ratios", false, false},
    {"optNovaScotia", 3, "NS", 450, nullptr, "ZORVA_Vol3_NS_2010_Final_Ratios", false, false},
    {"optNewBrunswick", 3, "NB", 452, nullptr, "ZORVA_Vol3_NB_2010_Final_Ratios", false, false},
    {"optNewfoundland", 3, "NL", 446, nullptr, "ZORVA_Vol3_NL_2010_Final_Ratios", false, false},
    {"optPEI", 3, "PE", 448, nullptr, "ZORVA_Vol3_PE_2010_Final_Ratios", false, false},
    {"optQuebec", 3, "QC", 418, nullptr, "ZORVA_Vol3_QC_2010_Final_Ratios", false, false},
    {"optOntario", 3, "ON", 0, "Ontario", "ZORVA_Vol3_ON_2010_Final_Ratios", false, false},
    {"optPrairies", 3, "PRAIRIES", 0, "Prairies", "ZORVA_Vol3_PRAIRIES_2010_Final_Ratios", false, false},
    {"optManitoba", 3, "MB", 0, "Manitoba", "ZORVA_Vol3_MB_2010_Final_Ratios", false, false},
    {"optSaskatchewan", 3, "SK", 0, "Saskatchewan", "ZORVA_Vol3_SK_2010_Final_Ratios", false, false},
    {"optAlberta", 3, "AB", 0, "Alberta", "ZORVA_Vol3_AB_2010_Final_Ratios", false, false},
    {"optBritishColumbia", 3, "BC", 414, nullptr, "ZORVA_Vol3_BC_2010_Final_Ratios", false, false},
    {"optTerritories", 3, "TERRITORIES", 454, nullptr, "ZORVA_Vol3_TERRITORIES_2010_Final_Ratios", false, false},
    {"optNWT", 3, "NT", 458, nullptr, "ZORVA_Vol3_NT_2010_Final_Ratios", false, false},
    {"optNunavut", 3, "NU", 0, "Nunavut", "ZORVA_Vol3_NU_2010_Final_Ratios", false, true},
    {"optYukon", 3, "YT", 0, "Yukon", "ZORVA_Vol3_YT_2010_Final_Ratios", false, false},
};

class PublishedCatalogue : public AppFixture {};

} // namespace

TEST_F(PublishedCatalogue, EveryChoiceMatchesThePublishedValues) {
    ASSERT_EQ(Catalogue().size(), std::size(kPublished));
    for (size_t i = 0; i < std::size(kPublished); ++i) {
        const Published& p = kPublished[i];
        const DatasetChoice& c = Catalogue()[i];
        EXPECT_STREQ(c.option, p.option) << "position " << i;
        ASSERT_TRUE(subSetDataTable(p.option)) << p.option;
        EXPECT_EQ(gintVolume, p.volume) << p.option;
        EXPECT_EQ(gstrRegion, p.region) << p.option;
        EXPECT_EQ(gstrDataTable, p.table2010) << p.option;
        EXPECT_EQ(gstrNaicsTable, p.detailedNaics ? "ZORVA_NAICS_Description_Ind_Detailed"
                                                  : "ZORVA_NAICS_Description_Ind_Raw")
            << p.option;
        for (int language : {0, 1})
            EXPECT_EQ(ChoiceCaption(c, language), p.captionId ? LoadResString(p.captionId + language) : p.fixed)
                << p.option << " in language " << language;
        EXPECT_EQ(ChoiceHasData(gcnIndustry, c), !p.greyedWhenShipped) << p.option << " with the shipped store";
    }
}
