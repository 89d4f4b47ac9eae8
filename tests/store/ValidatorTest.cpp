// The checks zorva-data makes before it writes a data store: each rule on a
// small source that breaks it in one place, with the file, line and column the
// message must name.
#include "support/DataFixture.h"

#include "store/DataSets.h"
#include "store/Schema.h"
#include "store/Validate.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

using namespace zorvadata;
using namespace datatest;

namespace {

class ValidatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        writeFixture(dir);
    }

    // Reads and checks the source; the diagnostics are kept in diags.
    bool load() {
        diags = Diagnostics{};
        IndustrySource src;
        return loadIndustrySource(dir.string(), src, diags);
    }
    // True when one message names this place and contains the text.
    bool reported(const std::string& file, int line, int column, const std::string& text) const {
        std::string place = (dir / file).string() + ":" + std::to_string(line);
        if (column > 0) place += ":" + std::to_string(column);
        place += ": ";
        for (const auto& d : diags.items())
            if (d.format().rfind(place, 0) == 0 && d.message.find(text) != std::string::npos) return true;
        return false;
    }
    // 1-based field of a ratio column in the fixture's ratio files.
    static int field(const std::string& column) {
        if (column == "NAICS") return 1;
        int i = 2;
        for (const auto& [c, v] : validRatioRow()) {
            if (c == column) return i;
            ++i;
        }
        return -1;
    }

    QTemporaryDir tmp;
    fs::path dir;
    Diagnostics diags;
    const std::string ns2010 = ratioFile(3, "NS", 2010);
};

TEST_F(ValidatorTest, TheFixtureAndTheShippedSourceAreValid) {
    EXPECT_TRUE(load()) << diags.text();

    IndustrySource shipped;
    Diagnostics d;
    EXPECT_TRUE(loadIndustrySource(std::string(ZORVA_SOURCE_DIR) + "/data/industry", shipped, d)) << d.text();
    UserSource user;
    Diagnostics du;
    EXPECT_TRUE(loadUserSource(std::string(ZORVA_SOURCE_DIR) + "/data/user", user, du)) << du.text();
    Diagnostics ds;
    checkSchemas(ds);
    EXPECT_TRUE(ds.empty()) << ds.text();
}

// Every Parent names a folder that comes earlier in sequence.
TEST_F(ValidatorTest, FolderParentsComeEarlierInSequence) {
    setCell(dir / "tblTreeview.csv", "IndTOTALL", "sequence", "70");  // now after its children
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("tblTreeview.csv", 3, 2, "must come earlier in sequence")) << diags.text();

    writeFixture(dir);
    setCell(dir / "tblTreeview.csv", "Ind44-45", "Parent", "IndRETAIL");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("tblTreeview.csv", 4, 2, "Parent 'IndRETAIL' of folder 'Ind44-45' is not a folder"))
        << diags.text();

    writeFixture(dir);
    setCell(dir / "tblTreeview.csv", "Ind44-45", "Parent", "");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("tblTreeview.csv", 4, 2, "only IndTOTALL and IndMANAGE are at the top level")) << diags.text();

    // An industry's Parent must be a folder of the tree.
    writeFixture(dir);
    setCell(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", "4451", "Parent", "Ind45");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("ZORVA_NAICS_Description_Ind_Raw.csv", 3, 4, "is not a folder of tblTreeview")) << diags.text();
}

TEST_F(ValidatorTest, TheSpecialFoldersMustBeThere) {
    CsvDoc t = CsvDoc::load(dir / "tblTreeview.csv");
    t.rows.erase(t.rows.begin() + t.row("IndTFINANC"));
    t.save(dir / "tblTreeview.csv");
    // The bank of Volume 1 now sits in a folder that does not exist either.
    EXPECT_FALSE(load());
    EXPECT_TRUE(diags.contains("the folder 'IndTFINANC' is missing")) << diags.text();

    writeFixture(dir);
    setCell(dir / "tblTreeview.csv", "IndMANAGE", "Parent", "IndTOTALL");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("tblTreeview.csv", 6, 2, "'IndMANAGE' is a top-level folder")) << diags.text();
}

// Every industry of a ratio table has a description row with both titles.
TEST_F(ValidatorTest, EveryIndustryHasADescriptionWithBothTitles) {
    CsvDoc r = CsvDoc::load(dir / ns2010);
    r.rows[1][0] = "4452";  // not described
    r.save(dir / ns2010);
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, 1, "industry 4452 has no row in ZORVA_NAICS_Description_Ind_Raw")) << diags.text();

    writeFixture(dir);
    setCell(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", "311", "Description_french", "");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, 1, "needs both an English and a French title")) << diags.text();
    // Volume 1 reads the other table, where the title is still there.
    EXPECT_FALSE(reported(ratioFile(1, "ALL", 2010), 2, 1, "needs both")) << diags.text();

    // Volume 1's bank is not in the table of the other volumes.
    writeFixture(dir);
    CsvDoc v2 = CsvDoc::load(dir / ratioFile(2, "ALL", 2009));
    v2.rows.push_back(v2.rows[0]);
    v2.rows.back()[0] = "5221";
    v2.save(dir / ratioFile(2, "ALL", 2009));
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ratioFile(2, "ALL", 2009), 4, 1, "has no row in ZORVA_NAICS_Description_Ind_Raw"))
        << diags.text();
}

TEST_F(ValidatorTest, FinanceIndustriesAreShownOnlyForVolumeOne) {
    // Described for the other volumes too, but the tree hides IndTFINANC there.
    std::string raw = readText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv");
    raw += "5221,Depository credit intermediation,Intermédiation financière par le biais de dépôts,IndTFINANC,Ind5221,30,Banks.,Banques.\n";
    writeText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", raw);
    EXPECT_TRUE(load()) << diags.text();

    CsvDoc v3 = CsvDoc::load(dir / ns2010);
    v3.rows[0][0] = "5221";
    v3.save(dir / ns2010);
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, 1, "for Volume 1 only")) << diags.text();
}

TEST_F(ValidatorTest, TitlesNameOneIndustryEach) {
    setCell(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", "4451", "Description", "FOOD manufacturing");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("ZORVA_NAICS_Description_Ind_Raw.csv", 3, 2, "also the title of another industry"))
        << diags.text();
}

TEST_F(ValidatorTest, NodeKeysAndCodesAreWellFormed) {
    setCell(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", "4451", "NodeKey", "Ind445");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("ZORVA_NAICS_Description_Ind_Raw.csv", 3, 5, "must be 'Ind4451'")) << diags.text();

    // Codes are spliced into statements: a quote must never get through.
    writeFixture(dir);
    setCell(dir / ns2010, "311", "NAICS", "311'");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, 1, "letters, digits and hyphens only")) << diags.text();
}

// Each data set has its three year tables, or they are listed as left out.
TEST_F(ValidatorTest, EveryDataSetHasItsThreeYearTablesOrListsThemAsAbsent) {
    const std::string nt2008 = ratioFile(3, "NT", 2008);
    fs::remove(dir / nt2008);
    EXPECT_FALSE(load());
    EXPECT_TRUE(diags.contains((dir / nt2008).string() + ": error: missing file")) << diags.text();
    EXPECT_TRUE(diags.contains("list it in absent_tables.csv")) << diags.text();

    writeText(dir / "absent_tables.csv", "table,reason\nZORVA_Vol3_NT_2008_Final_Ratios,not published\n");
    EXPECT_TRUE(load()) << diags.text();

    // The current year cannot be left out (an empty table greys the choice out).
    fs::remove(dir / ns2010);
    writeText(dir / "absent_tables.csv",
              "table,reason\nZORVA_Vol3_NT_2008_Final_Ratios,not published\nZORVA_Vol3_NS_2010_Final_Ratios,\n");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("absent_tables.csv", 3, 1, "cannot be left out")) << diags.text();

    // Listed as absent while the file is there.
    writeFixture(dir);
    writeText(dir / "absent_tables.csv", "table,reason\nZORVA_Vol3_NS_2009_Final_Ratios,gone\n");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("absent_tables.csv", 2, 1, "exists")) << diags.text();

    // A misspelt table is named as such.
    writeFixture(dir);
    fs::remove(dir / "absent_tables.csv");
    fs::rename(dir / ratioFile(3, "YT", 2009), dir / "ZORVA_Vol3_YK_2009_Final_Ratios.csv");
    EXPECT_FALSE(load());
    EXPECT_TRUE(diags.contains("ZORVA_Vol3_YK_2009_Final_Ratios.csv: error: not a table")) << diags.text();

    // An empty current-year table is allowed: it greys the choice out.
    fs::remove(dir / "ZORVA_Vol3_YK_2009_Final_Ratios.csv");
    writeFixture(dir);
    CsvDoc nu = CsvDoc::load(dir / ratioFile(3, "NU", 2010));
    nu.rows.clear();
    nu.save(dir / ratioFile(3, "NU", 2010));
    EXPECT_TRUE(load()) << diags.text();
}

// The reports read the chosen industry from every year that has a table.
TEST_F(ValidatorTest, IndustriesOfTheCurrentYearAreInEveryOlderTable) {
    CsvDoc old = CsvDoc::load(dir / ratioFile(3, "NS", 2008));
    old.rows.erase(old.rows.begin() + old.row("4451"));
    old.save(dir / ratioFile(3, "NS", 2008));
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, 1, "industry 4451 has no row in ZORVA_Vol3_NS_2008_Final_Ratios")) << diags.text();
}

// Quartiles increase, except debt to equity and liabilities to assets; 0 is
// "not published" and is skipped.
TEST_F(ValidatorTest, QuartilesAreInOrder) {
    setCell(dir / ns2010, "311", "NPMQ3", "2.5");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("NPMQ3"), "NPMQ3 (2.5) is below NPMQ2 (3)")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "4451", "DEQ2", "4");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, field("DEQ2"), "DEQ2 (4) is above DEQ1 (3)")) << diags.text();
    EXPECT_TRUE(diags.contains("lower being better")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "4451", "LTAQ1", "0.4");
    setCell(dir / ns2010, "4451", "LTAQ2", "0");  // not published: Q1 and Q3 still compared
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, field("LTAQ3"), "LTAQ3 (0.5) is above LTAQ1 (0.4)")) << diags.text();
    EXPECT_FALSE(diags.contains("LTAQ2")) << diags.text();

    // Increasing in the lower-is-better direction is what a wrong column order looks like.
    writeFixture(dir);
    setCell(dir / ns2010, "311", "LTAQ1", "0.5");
    setCell(dir / ns2010, "311", "LTAQ3", "0.9");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("LTAQ2"), "must decrease")) << diags.text();

    // Negative boundaries and unpublished ones are fine.
    writeFixture(dir);
    setCell(dir / ns2010, "311", "NPMQ1", "-4.2");
    setCell(dir / ns2010, "311", "NPMQ2", "0");
    EXPECT_TRUE(load()) << diags.text();
}

// Balance-sheet structure adds up and totals 100.
TEST_F(ValidatorTest, BalanceSheetStructureAddsUp) {
    setCell(dir / ns2010, "311", "A12", "21");  // TOTOA is still 90
    setCell(dir / ns2010, "311", "A18", "24");  // ... but so is the sum again
    EXPECT_TRUE(load()) << diags.text();

    setCell(dir / ns2010, "311", "A13", "31");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("TOTOA"), "TOTOA is 90 but A11 + A12 + A13 + A18 + A19 = 91")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "4451", "A14", "7");
    setCell(dir / ns2010, "4451", "TOTASS", "101");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, field("TOTASS"), "TOTASS must be 100")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "4451", "A27", "3");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, field("TOTLIAB"), "TOTLIAB is 62 but")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "4451", "A38", "31");
    setCell(dir / ns2010, "4451", "TOTSE", "39");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, field("TOTLSE"), "TOTLSE is 100 but TOTLIAB + TOTSE = 101")) << diags.text();

    // Rounded items may miss their total by half a unit of the last place each.
    writeFixture(dir);
    setCell(dir / ns2010, "4451", "A11", "10.04");
    setCell(dir / ns2010, "4451", "A12", "20.04");
    EXPECT_TRUE(load()) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "4451", "CURLiab", "70");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 3, field("CURLiab"), "between 0 and TOTLIAB")) << diags.text();
}

// Shares of enterprises with profits and with losses add up to 100.
TEST_F(ValidatorTest, ProfitAndLossSharesAddUpToHundred) {
    setCell(dir / ns2010, "311", "PPL", "35");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("PPL"), "PPP + PPL = 110")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "311", "NPP", "128");
    setCell(dir / ns2010, "311", "NPL", "-28");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("NPP"), "between 0 and 100")) << diags.text();
}

// A parent industry, a regional group and Volume 3 as a whole pool the
// enterprises of their members: each figure lies within the members' range
// once the members hold at least 95 % of the enterprises.
TEST_F(ValidatorTest, PooledFiguresLieWithinTheirMembersRange) {
    const std::string v2 = ratioFile(2, "ALL", 2009), atlantic = ratioFile(3, "ATLANTIC", 2010),
                      all3 = ratioFile(3, "ALL", 2009);
    // 311 of Volume 2 gets the sub-industries 3111 and 3113 (60 firms each,
    // median net margins 2.5 and 3.5); 31131 is described as well.
    auto addSubIndustries = [&] {
        std::string raw = readText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv");
        raw += "3111,Animal food manufacturing,Fabrication d'aliments pour animaux,Ind31-33,Ind3111,11,x,x\n"
               "3113,Sugar manufacturing,Fabrication de sucre,Ind31-33,Ind3113,12,x,x\n"
               "31131,Sugar refining,Raffinage du sucre,Ind31-33,Ind31131,13,x,x\n";
        writeText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", raw);
        CsvDoc t = CsvDoc::load(dir / v2);
        const std::pair<const char*, const char*> children[] = {{"3111", "2.5"}, {"3113", "3.5"}};
        for (auto [code, npm] : children) {
            t.rows.push_back(t.rows[t.row("311")]);
            t.rows.back()[0] = code;
            t.rows.back()[t.col("NumberOfFirms")] = "60";
            t.rows.back()[t.col("NPMQ2")] = npm;
        }
        t.save(dir / v2);
    };
    struct Edit {
        std::string file, key, column, value;
    };
    struct Case {
        const char* what;
        std::vector<Edit> edits;
        std::string file, column, fragment;  // fragment empty: no problem
        int line;
    };
    const std::vector<Case> cases = {
        {"at the top of the range", {{v2, "311", "NPMQ2", "3.5"}}, "", "", "", 0},
        {"just above", {{v2, "311", "NPMQ2", "3.6"}}, v2, "NPMQ2", "NPMQ2 = 3.6 lies outside its sub-industries' range 2.5 to 3.5", 2},
        {"just below", {{v2, "311", "NPMQ2", "2.4"}}, v2, "NPMQ2", "range 2.5 to 3.5", 2},
        {"members hold 94 %",
         {{v2, "311", "NumberOfFirms", "100"}, {v2, "3111", "NumberOfFirms", "47"}, {v2, "3113", "NumberOfFirms", "47"},
          {v2, "311", "NPMQ2", "3.6"}},
         "", "", "", 0},
        {"members hold 95 %",
         {{v2, "311", "NumberOfFirms", "100"}, {v2, "3111", "NumberOfFirms", "48"}, {v2, "3113", "NumberOfFirms", "47"},
          {v2, "311", "NPMQ2", "3.6"}},
         v2, "NPMQ2", "95.0 % of its firms", 2},
        {"a member's quartile not published", {{v2, "3113", "NPMQ2", "0"}, {v2, "311", "NPMQ2", "3.6"}}, "", "", "", 0},
        {"a share", {{v2, "311", "OPP", "79"}, {v2, "311", "OPL", "21"}}, v2, "OPL", "OPL = 21 lies outside", 2},
        // 31131's parent is 3113, which the table lacks: it is not one of 311's members.
        {"a missing middle level", {{v2, "3113", "NAICS", "31131"}, {v2, "311", "NPMQ2", "3.6"}}, "", "", "", 0},
        {"a regional group", {{atlantic, "311", "NPMQ2", "3.1"}}, atlantic, "NPMQ2", "the Atlantic provinces' range 3 to 3", 2},
        {"a regional group within range", {{atlantic, "311", "NPMQ2", "3.1"}, {ns2010, "311", "NPMQ2", "3.1"}}, "", "", "", 0},
        {"Volume 3 as a whole",
         {{all3, "4451", "A11", "10.5"}, {all3, "4451", "A12", "19.5"}},
         all3, "A11", "A11 = 10.5 lies outside the provinces' and territories' range 10 to 10", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFixture(dir);
        addSubIndustries();
        for (const auto& e : c.edits) setCell(dir / e.file, e.key, e.column, e.value);
        if (c.fragment.empty()) {
            EXPECT_TRUE(load()) << diags.text();
        } else {
            EXPECT_FALSE(load());
            EXPECT_TRUE(reported(c.file, c.line, field(c.column), c.fragment)) << diags.text();
        }
    }
}

// A positive quartile of a margin caps the share of enterprises with a loss
// (Q1 at 25 %, Q2 at 50 %, Q3 at 75 %); a negative one sets its floor there.
TEST_F(ValidatorTest, LossSharesAgreeWithTheMarginsQuartiles) {
    struct Case {
        const char* margin;
        const char* profit;
        const char* loss;
        const char* q[3];
        const char* lossShare;
        std::string fragment;  // empty: no problem
    };
    const Case cases[] = {
        {"NPM", "NPP", "NPL", {"1", "3", "6"}, "25", ""},
        {"NPM", "NPP", "NPL", {"1", "3", "6"}, "25.1", "NPL = 25.1 % of enterprises with a loss, but the net profit margin's Q1 is 1"},
        {"NPM", "NPP", "NPL", {"-1", "3", "6"}, "25", ""},
        {"NPM", "NPP", "NPL", {"-1", "3", "6"}, "24.9", "Q1 is -1"},
        {"NPM", "NPP", "NPL", {"0", "3", "6"}, "30", ""},  // Q1 not published
        {"PPM", "PPP", "PPL", {"-1", "2", "6"}, "50", ""},
        {"PPM", "PPP", "PPL", {"-1", "2", "6"}, "50.1", "Q2 is 2"},
        {"PPM", "PPP", "PPL", {"-3", "-1", "6"}, "50", ""},
        {"PPM", "PPP", "PPL", {"-3", "-1", "6"}, "49.9", "Q2 is -1"},
        {"OPM", "OPP", "OPL", {"-3", "-1", "2"}, "75", ""},
        {"OPM", "OPP", "OPL", {"-3", "-1", "2"}, "75.1", "Q3 is 2"},
        {"OPM", "OPP", "OPL", {"-9", "-3", "-1"}, "75", ""},
        {"OPM", "OPP", "OPL", {"-9", "-3", "-1"}, "74.9", "Q3 is -1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.loss) + " = " + c.lossShare + ", " + c.margin + " " + c.q[0] + " " + c.q[1] + " " + c.q[2]);
        writeFixture(dir);
        CsvDoc t = CsvDoc::load(dir / ns2010);
        for (int k = 0; k < 3; ++k) t.cell("311", c.margin + std::string("Q") + std::to_string(k + 1)) = c.q[k];
        t.cell("311", c.loss) = c.lossShare;
        char profit[16];
        double share = 0;
        std::from_chars(c.lossShare, c.lossShare + std::strlen(c.lossShare), share);
        t.cell("311", c.profit) = std::string(profit, std::to_chars(profit, profit + sizeof profit, 100 - share,
                                                                    std::chars_format::fixed, 1).ptr);
        t.save(dir / ns2010);
        if (c.fragment.empty()) {
            EXPECT_TRUE(load()) << diags.text();
        } else {
            EXPECT_FALSE(load());
            EXPECT_TRUE(reported(ns2010, 2, field(c.loss), c.fragment)) << diags.text();
        }
    }
}

// A figure the reports show cannot be missing, and must be a number.
TEST_F(ValidatorTest, FiguresArePresentNumbers) {
    setCell(dir / ns2010, "311", "RTQ2", "");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("RTQ2"), "write 0 for a quartile that is not published")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "311", "RTQ2", "20,5");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("RTQ2"), "write the decimal mark as '.'")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "311", "NumberOfFirms", "12.5");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("NumberOfFirms"), "not a whole number")) << diags.text();

    writeFixture(dir);
    setCell(dir / ns2010, "311", "NumberOfFirms", "0");
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 2, field("NumberOfFirms"), "at least 1")) << diags.text();
}

// Headers name the table's columns, each once; the file is readable CSV in UTF-8.
TEST_F(ValidatorTest, FilesHaveTheTablesColumnsAndAreReadable) {
    CsvDoc r = CsvDoc::load(dir / ns2010);
    r.header[field("A13") - 1] = "A113";
    r.save(dir / ns2010);
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 1, field("A13"), "unknown column 'A113'")) << diags.text();
    EXPECT_TRUE(reported(ns2010, 1, 0, "missing column 'A13'")) << diags.text();

    writeFixture(dir);
    std::string text = readText(dir / "tblTreeview.csv");
    text += "IndX,IndTOTALL,60,\"Unclosed,Ouvert\n";
    writeText(dir / "tblTreeview.csv", text);
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("tblTreeview.csv", 7, 4, "not closed")) << diags.text();

    writeFixture(dir);
    text = readText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv");
    text.replace(text.find("\xC3\x89picerie"), 2, "\xC9");  // Latin-1 É
    writeText(dir / "ZORVA_NAICS_Description_Ind_Raw.csv", text);
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported("ZORVA_NAICS_Description_Ind_Raw.csv", 3, 0, "not UTF-8")) << diags.text();

    writeFixture(dir);
    text = readText(dir / ns2010);
    text += "9999,1\n";
    writeText(dir / ns2010, text);
    EXPECT_FALSE(load());
    EXPECT_TRUE(reported(ns2010, 4, 0, "fields but the header has")) << diags.text();
}

TEST_F(ValidatorTest, EveryDataSetIsDescribedInBothLanguages) {
    CsvDoc d = CsvDoc::load(dir / "datadescription.csv");
    d.rows.erase(d.rows.begin() + d.row("optYukon"));
    d.cell("optPEI", "descriptionf") = "";
    d.rows.push_back({"optvol1", "x", "y"});
    d.save(dir / "datadescription.csv");
    EXPECT_FALSE(load());
    EXPECT_TRUE(diags.contains("no description row for optYukon")) << diags.text();
    EXPECT_TRUE(reported("datadescription.csv", 9, 3, "no French description for optPEI")) << diags.text();
    EXPECT_TRUE(reported("datadescription.csv", 20, 1, "names are case-sensitive")) << diags.text();
}

// ------------------------------------------------------------ user source

class UserValidatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        writeUserFixture(dir);
    }
    bool load() {
        diags = Diagnostics{};
        UserSource src;
        return loadUserSource(dir.string(), src, diags);
    }
    QTemporaryDir tmp;
    fs::path dir;
    Diagnostics diags;
};

TEST_F(UserValidatorTest, RegionNamesCoverTheCatalogueAndCanBeSplicedIntoStatements) {
    EXPECT_TRUE(load()) << diags.text();
    CsvDoc pc = CsvDoc::load(dir / "ProvinceCodes.csv");
    pc.rows.erase(pc.rows.begin() + pc.row("NU"));
    pc.cell("QC", "French") = "Province d'en haut";
    pc.save(dir / "ProvinceCodes.csv");
    const std::string qcLine = std::to_string(pc.row("QC") + 2);
    EXPECT_FALSE(load());
    EXPECT_TRUE(diags.contains("no row for the region code NU")) << diags.text();
    EXPECT_TRUE(diags.contains((dir / "ProvinceCodes.csv").string() + ":" + qcLine +
                               ":3: error: the name of region QC must not contain an apostrophe"))
        << diags.text();
}

TEST_F(UserValidatorTest, VolumesAndTitleSourcesHaveBothLanguages) {
    CsvDoc vd = CsvDoc::load(dir / "Volume_Descriptions.csv");
    vd.rows.pop_back();  // volume 3, French
    vd.rows[0][1] = "e";
    vd.save(dir / "Volume_Descriptions.csv");
    CsvDoc ct = CsvDoc::load(dir / "Rpt_Comparison_Titles_Source.csv");
    ct.rows.pop_back();
    ct.save(dir / "Rpt_Comparison_Titles_Source.csv");
    EXPECT_FALSE(load());
    EXPECT_TRUE(diags.contains("no row for volume 3 in the language F")) << diags.text();
    EXPECT_TRUE(diags.contains((dir / "Volume_Descriptions.csv").string() + ":2:2: error: Language must be E or F"))
        << diags.text();
    EXPECT_TRUE(diags.contains("no row for the language F in Rpt_Comparison_Titles_Source")) << diags.text();
}

// The statements that copy titles and report data rely on these layouts.
TEST(DataSchemaTest, TitleTablesMatchTheirSourcesAndTheRatioLayoutStaysApartFromTheDescriptions) {
    Diagnostics d;
    checkSchemas(d);
    EXPECT_TRUE(d.empty()) << d.text();

    const TableDef& ratio = ratioLayout();
    EXPECT_EQ(ratio.columns.front().name, "NAICS");
    EXPECT_GE(ratio.find("IndustryDescription"), 0);
    for (const char* shared : {"Description", "Description_french", "sequence", "Parent", "NodeKey"})
        EXPECT_LT(ratio.find(shared), 0) << shared;
}

} // namespace
