// The data stores the build puts into the application folder, asked the
// questions the program asks them: availability counts, searches, the tree,
// definitions, the copy of an industry's row, the comparison and the titles.
#include "support/DataFixture.h"
#include "support/SqliteHelper.h"

#include "store/DataSets.h"
#include "store/Schema.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

using namespace zorvadata;
using namespace datatest;

namespace {

const std::string kAppDir = ZORVA_TEST_APP_DIR;
const std::string kIndustry = kAppDir + "/ZOR_DATA.mdb";
const std::string kUser = kAppDir + "/myData.mdb";

std::string table(int volume, const std::string& region, int year) { return ratioTableName(volume, region, year); }

// The search screen's statements of a data set, as SQLite runs them.
std::string keywordStatementFr(const std::string& naics, const std::string& data, const std::string& word) {
    return "select F.NAICS as SCIAN, N.description_french as Description, T.inddescf as Secteur from (" + naics +
           " N inner join " + data + " F on N.NAICS = F.NAICS) left join tblTreeview T on N.Parent = T.Nodekey " +
           "where Description_french like '%" + doubledQuotes(word) + "%'";
}
std::string keywordStatementEn(const std::string& naics, const std::string& data, const std::string& word) {
    return "select F.NAICS, N.Description, T.inddesce as Sector from (" + naics + " N inner join " + data +
           " F on N.NAICS = F.NAICS) left join tblTreeview T on N.Parent = T.NodeKey where description like '%" +
           doubledQuotes(word) + "%'";
}

class StoresTest : public ::testing::Test {
protected:
    Sql industry{kIndustry};
};

TEST_F(StoresTest, EveryDataSetHasItsTablesAndOnlyTheEmptyOneIsGreyedOut) {
    ASSERT_TRUE(industry.ok());
    int tables = 0;
    for (const auto& d : dataSets()) {
        for (int year : referenceYears()) {
            std::string t = table(d.volume, d.region, year);
            if (std::string(d.region) == "NT" && year == 2008) {
                EXPECT_FALSE(industry.hasTable(t)) << "the 2008 table of the Northwest Territories is left out";
                continue;
            }
            ASSERT_TRUE(industry.hasTable(t)) << t;
            ++tables;
            // The availability check of the main menu.
            long long n = industry.count("select count(*) as NumRecords from " + t);
            if (year == kCurrentYear) {
                if (std::string(d.option) == "optNunavut")
                    EXPECT_EQ(n, 0) << "Nunavut has no 2010 figures: its choice is greyed out";
                else
                    EXPECT_GT(n, 0) << t;
            } else {
                EXPECT_GT(n, 0) << t;
            }
        }
    }
    EXPECT_EQ(tables, 56);
    EXPECT_GE(industry.count("select count(*) from " + table(3, "ALL", 2010)), 150);
    // Small regions publish fewer industries than large ones.
    EXPECT_LT(industry.count("select count(*) from " + table(3, "PE", 2010)),
              industry.count("select count(*) from " + table(3, "NS", 2010)));
    EXPECT_LT(industry.count("select count(*) from " + table(3, "YT", 2010)),
              industry.count("select count(*) from " + table(3, "PE", 2010)));
    for (const char* t : {kTreeTable, kDescriptionTable, kNaicsDetailed, kNaicsRaw}) EXPECT_TRUE(industry.hasTable(t)) << t;
}

TEST_F(StoresTest, RatioTablesHaveTheReportDataLayout) {
    Sql user(kUser);
    std::vector<std::string> expected;
    for (const auto& c : ratioLayout().columns) expected.push_back(c.name);
    EXPECT_EQ(expected.size(), 79u);  // code, title, count, 45 quartiles, 25 structure, 6 distribution
    for (const auto& d : dataSets())
        for (int year : referenceYears()) {
            std::string t = table(d.volume, d.region, year);
            if (industry.hasTable(t)) {
                EXPECT_EQ(industry.columns(t), expected) << t;
            }
        }
    for (const auto& r : reportDataTables()) EXPECT_EQ(user.columns(r), expected) << r;
}

TEST_F(StoresTest, KeywordSearchFindsTitlesWithApostrophes) {
    const std::string data = table(3, "ALL", 2010);
    auto rows = industry.rows(keywordStatementFr(kNaicsRaw, data, "d'aliments"));
    std::map<std::string, std::vector<std::string>> byCode;
    for (auto& r : rows) byCode[r[0]] = r;
    ASSERT_TRUE(byCode.count("311")) << "Fabrication d'aliments";
    EXPECT_EQ(byCode["311"][1], "Fabrication d'aliments");
    EXPECT_EQ(byCode["311"][2], "Fabrication");
    EXPECT_TRUE(byCode.count("3111"));

    auto women = industry.rows(keywordStatementEn(kNaicsRaw, data, "women's"));
    ASSERT_EQ(women.size(), 1u);
    EXPECT_EQ(women[0][1], "Women's clothing stores");

    auto en = industry.rows(keywordStatementEn(kNaicsRaw, data, "(alcoholic"));
    ASSERT_EQ(en.size(), 1u);
    EXPECT_EQ(en[0][0], "7224");
    EXPECT_EQ(en[0][1], "Drinking places (alcoholic beverages)");
    EXPECT_EQ(en[0][2], "Accommodation and food services");

    // An empty key word lists every industry of the data set, each in a sector.
    auto all = industry.rows(keywordStatementEn(kNaicsRaw, data, ""));
    EXPECT_EQ(static_cast<long long>(all.size()), industry.count("select count(*) from " + data));
    for (auto& r : all) EXPECT_NE(r[2], "<null>") << r[0];

    // Volume 1 finds its banks in the detailed table.
    auto banks = industry.rows(keywordStatementFr(kNaicsDetailed, table(1, "ALL", 2010), "dépôts"));
    ASSERT_FALSE(banks.empty());
    EXPECT_EQ(banks[0][2], "Finance et assurances");
}

TEST_F(StoresTest, EveryTitleInTheListsLeadsToOneIndustryAndItsSector) {
    for (const auto& d : dataSets()) {
        const std::string data = table(d.volume, d.region, kCurrentYear);
        const std::string naics = naicsTableFor(d.volume);
        auto en = industry.rows("select n.description as dsc from " + data + " f inner join " + naics +
                                " N on f.naics = N.NAICS order by n.description");
        auto fr = industry.rows("select n.description_french as dsc from " + data + " f inner join " + naics +
                                " N on f.naics = N.NAICS order by n.description_french");
        EXPECT_EQ(en.size(), fr.size());
        for (auto& t : fr) {
            auto hit = industry.rows("select F.NAICS, N.description_french, T.inddescf from (" + naics +
                                     " N inner join " + data + " F on N.NAICS = F.NAICS) left join tblTreeview T on "
                                     "N.Parent = T.Nodekey where N.description_french = '" + doubledQuotes(t[0]) + "'");
            ASSERT_EQ(hit.size(), 1u) << t[0];
            EXPECT_NE(hit[0][2], "<null>") << t[0];
        }
        for (auto& t : en) {
            auto hit = industry.rows("select F.NAICS, N.description, T.inddesce from (" + naics + " N inner join " +
                                     data + " F on N.NAICS = F.NAICS) left join tblTreeview T on N.Parent = "
                                     "T.Nodekey where N.description = '" + doubledQuotes(t[0]) + "'");
            ASSERT_EQ(hit.size(), 1u) << t[0];
        }
    }
    EXPECT_GT(industry.count("select count(*) from " + std::string(kNaicsRaw) + " where description_french like '%''%'"), 20);
    EXPECT_GE(industry.count("select count(*) from " + std::string(kNaicsRaw) + " where description like '%''%'"), 2);
}

TEST_F(StoresTest, TheTreeStatementAddsEveryNodeUnderAFolderAlreadyThere) {
    auto folders = industry.rows("select NodeKey, Parent from tblTreeview order by sequence");
    for (const auto& d : dataSets()) {
        const std::string naics = naicsTableFor(d.volume);
        std::set<std::string> added;
        for (auto& f : folders) {
            std::string key = f[0];
            if (key == "IndTOTALL" || key == "IndMANAGE") {
                added.insert(key);
                continue;
            }
            if (key == "IndTFINANC" && naics != kNaicsDetailed) continue;
            EXPECT_TRUE(added.count(f[1])) << key << " before its parent " << f[1];
            added.insert(key);
        }
        std::vector<std::string> names;
        auto leaves = industry.rows("select * from " + naics + " N inner join " +
                                        table(d.volume, d.region, kCurrentYear) + " F on N.NAICS = F.NAICS order by sequence",
                                    &names);
        int parent = -1, key = -1, finance = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] == "Parent") parent = static_cast<int>(i);
            if (names[i] == "NodeKey") key = static_cast<int>(i);
        }
        ASSERT_GE(parent, 0);
        ASSERT_GE(key, 0);
        for (auto& r : leaves) {
            EXPECT_TRUE(added.count(r[parent])) << d.option << ": " << r[key] << " under " << r[parent];
            finance += r[parent] == "IndTFINANC";
        }
        if (d.volume == 1) {
            EXPECT_GT(finance, 0);
        }
    }
}

TEST_F(StoresTest, EveryIndustryHasADefinitionInBothLanguages) {
    for (int volume : {1, 3}) {
        auto codes = industry.rows("select NAICS from " + table(volume, "ALL", kCurrentYear));
        for (auto& c : codes) {
            auto def = industry.rows("select naics, description, description_french, definitione, definitionf from " +
                                     naicsTableFor(volume) + " where NAICS = '" + c[0] + "'");
            ASSERT_EQ(def.size(), 1u) << c[0];
            EXPECT_GT(def[0][3].size(), 20u) << c[0];
            EXPECT_GT(def[0][4].size(), 20u) << c[0];
        }
    }
}

TEST_F(StoresTest, DataSetDescriptionsSayTheFiguresAreIllustrative) {
    EXPECT_EQ(industry.count("select count(*) from datadescription"), 19);
    for (const auto& d : dataSets()) {
        auto r = industry.rows(std::string("Select * from datadescription where optname = '") + d.option + "'");
        ASSERT_EQ(r.size(), 1u) << d.option;
        EXPECT_NE(r[0][1].find("illustrative"), std::string::npos) << r[0][1];
        EXPECT_NE(r[0][2].find("illustratives"), std::string::npos) << r[0][2];
    }
    EXPECT_NE(industry.value("select descriptione from datadescription where optname = 'optNWT'").find("no figures for 2008"),
              std::string::npos);
}

// The structure adds up and the shares of profits and losses make 100 in
// every row of every table.
TEST_F(StoresTest, EveryRowAddsUp) {
    for (const auto& d : dataSets())
        for (int year : referenceYears()) {
            std::string t = table(d.volume, d.region, year);
            if (!industry.hasTable(t)) continue;
            EXPECT_EQ(industry.count("select count(*) from " + t +
                                     " where abs(TOTOA - (A11 + A12 + A13 + A18 + A19)) > 0.25"
                                     " or abs(TOTASS - (TOTOA + A14 + A151617)) > 0.15 or abs(TOTASS - 100) > 0.05"
                                     " or abs(TOTLIAB - (A22 + A25200 + A25500 + A25400 + A25180 + A24 + A2329 + A27)) > 0.4"
                                     " or abs(TOTSE - (A31 + A38 + A283334)) > 0.15 or abs(TOTLSE - (TOTLIAB + TOTSE)) > 0.1"
                                     " or abs(TOTLSE - 100) > 0.05"
                                     " or abs(OPP + OPL - 100) > 0.1 or abs(PPP + PPL - 100) > 0.1 or abs(NPP + NPL - 100) > 0.1"),
                      0)
                << t;
            EXPECT_EQ(industry.count("select count(*) from " + t +
                                     " where (DEQ1 <> 0 and DEQ2 <> 0 and DEQ1 < DEQ2) or (LTAQ2 <> 0 and LTAQ3 <> 0 and LTAQ2 < LTAQ3)"
                                     " or (NPMQ1 <> 0 and NPMQ2 <> 0 and NPMQ1 > NPMQ2) or (WCQ2 <> 0 and WCQ3 <> 0 and WCQ2 > WCQ3)"),
                      0)
                << t;
            EXPECT_EQ(industry.count("select count(*) from " + t + " where NumberOfFirms is null or NumberOfFirms < 1"), 0);
        }
}

TEST_F(StoresTest, FiguresArePlausibleForTheirSectorAndMoveALittleFromYearToYear) {
    const std::string all = table(3, "ALL", 2010);
    auto median = [&](const std::string& column, const std::string& code) {
        return std::stod(industry.value("select " + column + " from " + all + " where NAICS = '" + code + "'"));
    };
    // Retail earns a few per cent on its revenue, professional services more.
    for (const char* retail : {"442", "443", "445", "448", "451", "453"}) {
        EXPECT_GE(median("NPMQ2", retail), 0.5) << retail;
        EXPECT_LE(median("NPMQ2", retail), 5) << retail;
    }
    for (const char* prof : {"5411", "5412", "5413", "5415", "5416"}) {
        EXPECT_GE(median("NPMQ2", prof), 5) << prof;
        EXPECT_LE(median("NPMQ2", prof), 20) << prof;
        EXPECT_EQ(median("ITQ2", prof), 0) << "no inventory turnover is published for " << prof;
    }
    EXPECT_GT(median("ITQ2", "4451"), median("ITQ2", "442")) << "groceries turn over faster than furniture";
    EXPECT_EQ(industry.count("select count(*) from " + all + " where WCQ2 < 0.4 or WCQ2 > 6 or LTAQ2 < 0.3 or LTAQ2 > 1"), 0);

    // Enterprise counts by volume.
    EXPECT_EQ(industry.count("select count(*) from " + table(1, "ALL", 2010) + " where NumberOfFirms > 999"), 0);
    EXPECT_GE(industry.count("select max(NumberOfFirms) from " + all), 10000);
    EXPECT_EQ(industry.count("select count(*) from " + all + " where NumberOfFirms < 15"), 0);
    EXPECT_EQ(industry.count("select count(*) from " + table(3, "YT", 2010) + " where NumberOfFirms > 500"), 0);

    // Some boundaries of small groups are not published.
    long long unpublished = 0;
    for (const auto& d : dataSets())
        if (industry.hasTable(table(d.volume, d.region, 2009)))
            unpublished += industry.count("select count(*) from " + table(d.volume, d.region, 2009) +
                                          " where NPMQ1 = 0 or ICQ3 = 0 or ORTTNOAQ1 = 0");
    EXPECT_GT(unpublished, 0);

    // From one year to the next the figures change, but not by much.
    auto rows10 = industry.rows("select NAICS, NPMQ2, LTAQ2, A11, NumberOfFirms from " + all + " order by NAICS");
    auto rows09 = industry.rows("select NAICS, NPMQ2, LTAQ2, A11, NumberOfFirms from " + table(3, "ALL", 2009) + " order by NAICS");
    ASSERT_EQ(rows10.size(), rows09.size());
    int changed = 0;
    for (std::size_t i = 0; i < rows10.size(); ++i) {
        ASSERT_EQ(rows10[i][0], rows09[i][0]);
        changed += rows10[i][1] != rows09[i][1];
        EXPECT_LE(std::fabs(std::stod(rows10[i][2]) - std::stod(rows09[i][2])), 0.15) << rows10[i][0];
        EXPECT_LE(std::fabs(std::stod(rows10[i][3]) - std::stod(rows09[i][3])), 6) << rows10[i][0];
        double n10 = std::stod(rows10[i][4]), n09 = std::stod(rows09[i][4]);
        EXPECT_LE(std::fabs(n10 - n09) / n09, 0.15) << rows10[i][0];
    }
    EXPECT_GT(changed, static_cast<int>(rows10.size()) * 9 / 10);
}

// ---------------------------------------------------------- the user store

class UserStoreStatementsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        copy = tmp.path().toStdString() + "/myData.mdb";
        fs::copy_file(kUser, copy);
    }
    QTemporaryDir tmp;
    std::string copy;
};

TEST_F(UserStoreStatementsTest, AnIndustryRowCopiesAsQuotedTextAndBecomesNumbers) {
    Sql industry(kIndustry);
    Sql user(copy, false);
    const std::string source = table(3, "NS", 2009);
    std::vector<std::string> names;
    auto row = industry.rows("select * from " + source + " where Naics = '311'", &names);
    ASSERT_EQ(row.size(), 1u);
    std::string cols, vals;
    for (std::size_t i = 0; i < names.size(); ++i) {
        cols += (i ? ", " : "") + names[i];
        vals += std::string(i ? ", " : "") + "'" + doubledQuotes(row[0][i]) + "'";
    }
    user.exec("delete from Rpt_Data_CYM1");
    user.exec("insert into Rpt_Data_CYM1 (" + cols + ") values (" + vals + ")");
    user.exec("Update Rpt_Data_CYM1 Set IndustryDescription = '" +
              doubledQuotes(industry.value("select Description_French from ZORVA_NAICS_Description_Ind_Raw where Naics = '311'")) + "'");
    EXPECT_EQ(user.value("select IndustryDescription from Rpt_Data_CYM1"), "Fabrication d'aliments");
    EXPECT_EQ(user.value("select typeof(NumberOfFirms) || typeof(NPMQ2) || typeof(TOTASS) || typeof(NAICS) from Rpt_Data_CYM1"),
              "integerrealrealtext");
    EXPECT_EQ(user.value("select TOTASS from Rpt_Data_CYM1"), "100.0");

    // A year without a table leaves a row with the code only; its empty
    // NumberOfFirms is how the comparison knows there is no data.
    EXPECT_FALSE(industry.prepares("select NAICS from " + table(3, "NT", 2008)));
    user.exec("delete from Rpt_Data_CYM2");
    user.exec("insert into Rpt_Data_CYM2(NAICS) values ('311')");
    EXPECT_EQ(user.value("select NumberOfFirms is null from Rpt_Data_CYM2"), "1");
}

TEST_F(UserStoreStatementsTest, TheComparisonStatementsFitRptComparison) {
    Sql user(copy, false);
    Sql industry(kIndustry);
    // The industry row of the enterprise's year.
    std::vector<std::string> names;
    auto row = industry.rows("select * from " + table(3, "NS", 2010) + " where Naics = '4451'", &names);
    ASSERT_EQ(row.size(), 1u);
    std::string cols, vals;
    for (std::size_t i = 0; i < names.size(); ++i) {
        cols += (i ? ", " : "") + names[i];
        vals += std::string(i ? ", " : "") + "'" + doubledQuotes(row[0][i]) + "'";
    }
    user.exec("delete from Rpt_Data_CY");
    user.exec("insert into Rpt_Data_CY (" + cols + ") values (" + vals + ")");

    user.exec("delete from Rpt_Comparison");
    user.exec(
        "Insert into Rpt_comparison (MyFirmName, MyYear, MyNAICS, MyIndustry, MyCash, MyAr, MyInv, MyCA, MyOA, MyToa, "
        "MyInvest, MyPtfl, MyTa, MyOperatingRevenue, MyGrossProfit, MyOperatingProfit, MyInterestExpense, "
        "MyPretaxProfit, MyProfitAfterTax, MyAccountsPayable, MyPaper, MyMtg, MyBonds, MyOl, MyAmtsAffil, MyOLiab, "
        "MyDefTax, MyTliab, MyShareC, MyRetEarn, MyOtherSur, MyEquity1,MyTotLiabShareEq,MyCurrentAssets,"
        "MyCurrentLiabilities) VALUES ('L''épicerie du coin', 2010, '4451', 'Épiceries', 12.5, 5, 30, 40, 2.5, 90, "
        "5, 5, 100, 1000, 250, 40, 5, 35, 30, 20, 0, 10, 0, 15, 5, 3, 1, 54, 2, 40, 4, 46, 100, 50, 25)");
    std::string b = "Update rpt_comparison Set MyNPM = 3";
    for (const char* c : {"MyPPM", "MyOPM", "MyGPM", "MyORTNOA", "MyRONOA", "MyPPTA", "MyROCE", "MyROE", "MyRT", "MyIT",
                          "MyWC", "MyDE", "MyLTA", "MyIC"})
        b += std::string(", ") + c + " = 1.5";
    user.exec(b);
    for (const char* side : {"Better", "Worse"}) {
        std::string s = std::string("Update rpt_comparison Set ") + side + "NPM = 50";
        for (const char* r : {"PPM", "OPM", "GPM", "ORTNOA", "RONOA", "PPA", "RCE", "RE", "RT", "IT", "WC", "DE", "LTA", "IC"})
            s += std::string(", ") + side + r + " = 25";
        user.exec(s);
    }
    std::string e = "Update rpt_comparison Set VarianceCash = 2.5";
    for (const char* v : {"VarianceAR", "VarianceInvent", "VarianceCA", "VarianceOA", "VarianceTOA", "VarianceInvest",
                          "VariancePTFL", "VarianceTOTASS", "VarianceAP ", "VarianceSTPAPER", "VarianceMTG",
                          "VarianceBonds", "VarianceOLoans", "VarianceAOTA", "VarianceOLiab", "VarianceDefTax",
                          "VarianceTL", "VarianceEq", "VarianceSC", "VarianceRE", "VarianceOS", "VarianceSETL",
                          "VarianceCurrA", "VarianceCurrL"})
        e += std::string(", ") + v + " = -1";
    user.exec(e);
    std::string region = user.value("select English from ProvinceCodes where Code = 'NS'");
    EXPECT_EQ(region, "Nova Scotia");
    user.exec("UPDATE Rpt_Comparison AS T SET MyVol = D.Title1 || ' - " + region +
              "' FROM (select * from Volume_Descriptions where Volume = 3 and [Language] = 'E' ) AS D");
    std::string g = "Update rpt_comparison Set NumberOfFirms = " + user.value("select NumberOfFirms from Rpt_Data_CY");
    for (const char* c : {"PPAQ2", "LTAQ2", "NPMQ2", "PPMQ2", "OPMQ2", "GPMQ2", "ORTTNOAQ2", "RNOAQ2", "RCEQ2", "REQ2",
                          "RTQ2", "ITQ2", "WCQ2", "DEQ2", "ICQ2", "OPP", "OPL", "PPP", "PPL", "NPP", "NPL"})
        g += std::string(", ") + c + " = " + user.value(std::string("select ") + c + " from Rpt_Data_CY");
    user.exec(g);
    std::string h = "Update rpt_comparison Set A11 = " + user.value("select A11 from Rpt_Data_CY");
    for (const char* c : {"A12", "A13", "A18", "A19", "TOTOA", "A14", "A151617", "TOTASS", "A22", "A25200", "A25500",
                          "A25400", "A25180", "A24", "A2329", "A27", "TOTLIAB", "A31", "A38", "A283334", "TOTSE",
                          "TOTLSE", "CURASS", "CURLiab"})
        h += std::string(", ") + c + " = " + user.value(std::string("select ") + c + " from Rpt_Data_CY");
    user.exec(h);

    EXPECT_EQ(user.count("select count(*) from Rpt_Comparison"), 1);
    EXPECT_EQ(user.value("select MyFirmName from Rpt_Comparison"), "L'épicerie du coin");
    EXPECT_EQ(user.value("select MyVol from Rpt_Comparison"),
              "Enterprises with revenue of $30,000 to less than $5 million - Nova Scotia");
    EXPECT_EQ(user.value("select typeof(MyYear) || typeof(NumberOfFirms) || typeof(MyCash) from Rpt_Comparison"),
              "integerintegerreal");
    EXPECT_EQ(user.value("select TOTASS from Rpt_Comparison"), "100.0");
    EXPECT_EQ(user.columns("Rpt_Comparison").size(), 4u + 31 + 15 + 30 + 25 + 1 + 1 + 15 + 6 + 25);
}

TEST_F(UserStoreStatementsTest, TitleTablesFillFromTheirSourcesInBothLanguages) {
    Sql user(copy, false);
    struct Case {
        const char* lang;
        const char* regionColumn;
        const char* upperLeft;
        const char* lowerRight;
    };
    for (const Case& c : {Case{"E", "English", "Enterprises with revenue of $30,000 to less than $5 million - Nova Scotia",
                               "Reference years: 2010, 2009, 2008"},
                          Case{"F", "French",
                               "Entreprises ayant de 30 000 $ à moins de 5 millions de dollars de revenu - Nouvelle-Écosse",
                               "Années de référence : 2010, 2009, 2008"}}) {
        const std::string L = c.lang;
        user.exec("delete from Rpt_Ratios_Titles");
        user.exec("insert into Rpt_Ratios_Titles select * from Rpt_Ratios_Titles_Source where [Language] = '" + L + "'");
        user.exec("Update Rpt_Ratios_Titles Set Naics = '4451',     Title_LowerRight = Title_LowerRight || ' 2010, 2009, 2008'");
        user.exec("Update Rpt_Ratios_Titles Set Year_0 = '2010',     Year_1 = '2009',     Year_2 = '2008',     Year_3 = '2007'");
        std::string region = user.value(std::string("select ") + c.regionColumn + " from ProvinceCodes where Code = 'NS'");
        user.exec("UPDATE Rpt_Ratios_Titles AS T SET Title_UpperLeft = D.Title1 || ' - " + region +
                  "', Title_LowerLeft = D.Title2, ML_Title = D.LargeMedianDesc, MM_Title = D.MediumMedianDesc "
                  "FROM (select * from Volume_Descriptions where Volume = 3 and [Language] = '" + L + "' ) AS D");
        auto r = user.rows("select Title_UpperLeft, Title_LowerRight, Year_3, Title_LowerLeft, ML_Title, Title_Report from Rpt_Ratios_Titles");
        ASSERT_EQ(r.size(), 1u) << L;
        EXPECT_EQ(r[0][0], c.upperLeft);
        EXPECT_EQ(r[0][1], c.lowerRight);
        EXPECT_EQ(r[0][2], "2007");
        EXPECT_NE(r[0][3], "<null>");
        EXPECT_NE(r[0][4], "<null>");
        EXPECT_NE(r[0][5], "<null>");

        user.exec("delete from Rpt_BalanceSheet_Titles");
        user.exec("insert into Rpt_BalanceSheet_Titles select * from Rpt_BalanceSheet_Titles_Source where [Language] = '" + L + "'");
        user.exec("Update Rpt_BalanceSheet_Titles Set Year_0 = '2010',     Year_1 = '2009',     Year_2 = '2008'");
        EXPECT_EQ(user.count("select count(*) from Rpt_BalanceSheet_Titles where Year_2 = '2008'"), 1);

        user.exec("delete from Rpt_Comparison_Titles");
        user.exec("insert into Rpt_Comparison_Titles select * from Rpt_Comparison_Titles_Source where [Language] = '" + L + "'");
        user.exec("Update rpt_comparison_titles set NAICS = '4451'");
        EXPECT_EQ(user.value("select NAICS from Rpt_Comparison_Titles"), "4451");
    }
    // Every region of the catalogue has a name in both languages, every volume its titles.
    for (const auto& code : regionCodes()) {
        auto r = user.rows("select English, French from ProvinceCodes where Code = '" + code + "'");
        ASSERT_EQ(r.size(), 1u) << code;
    }
    EXPECT_EQ(user.count("select count(*) from Volume_Descriptions"), 6);
}

TEST_F(UserStoreStatementsTest, MyValuesTakesTheSaveStatement) {
    Sql user(copy, false);
    EXPECT_EQ(user.columns("MyValues").size(), 35u);
    user.exec("delete from MyValues where FirmName = 'Chez Léa''s' and Year = 2009");
    user.exec("insert into MyValues values ('Chez Léa''s', 2009, '7221', 1000, 200, 300, 400, 100, 2000, 0, 0, 2000, "
              "5000, 4800, 2500, 400, 50, 350, 300, 250, 0, 500, 0, 300, 100, 50, 0, 1200, 100, 650, 50, 800, 2000, "
              "1200, 600)");
    auto r = user.rows("select NAICS, typeof(Year), Ta, interestexpense from MyValues where FirmName = 'Chez Léa''s' and Year = 2009");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][0], "7221");
    EXPECT_EQ(r[0][1], "integer");
    EXPECT_EQ(r[0][2], "2000.0");
    EXPECT_EQ(r[0][3], "50.0");
}

} // namespace
