// The Jet statements the program builds, and what SQLite receives for them.
#include "core/JetSql.h"

#include <gtest/gtest.h>

using zorva::JetToSQLite;
using zorva::SingleTableOfSelect;

TEST(JetSql, DeleteStarAndNamedDeleteBecomePlainDelete) {
    EXPECT_EQ(JetToSQLite("delete * from Rpt_Data_CY"), "delete from Rpt_Data_CY");
    EXPECT_EQ(JetToSQLite("delete * from Rpt_Comparison_Titles"), "delete from Rpt_Comparison_Titles");
    EXPECT_EQ(JetToSQLite("DELETE myvalues from myvalues where firmname = 'O''Hara' and [year] = 2010"),
              "DELETE from myvalues where firmname = 'O''Hara' and [year] = 2010");
    EXPECT_EQ(JetToSQLite("delete t.* from t where a = 1"), "delete from t where a = 1");
}

TEST(JetSql, MultiTableUpdateBecomesUpdateFrom) {
    EXPECT_EQ(JetToSQLite("Update Rpt_Comparison T, (select * from Volume_Descriptions where Volume = 3 and "
                          "[Language] = 'E' ) D Set T.MyVol = D.Title1 + ' - Nova Scotia'"),
              "UPDATE Rpt_Comparison AS T SET MyVol = D.Title1 || ' - Nova Scotia' FROM (select * from "
              "Volume_Descriptions where Volume = 3 and [Language] = 'E' ) AS D");
    EXPECT_EQ(JetToSQLite("Update Rpt_Ratios_Titles T, (select * from Volume_Descriptions where Volume = 1 and "
                          "[Language] = 'F' ) D Set T.Title_UpperLeft = D.Title1 + ' - Canada',     "
                          "T.Title_LowerLeft = D.Title2,     T.ML_Title = D.LargeMedianDesc,     "
                          "T.MM_Title = D.MediumMedianDesc"),
              "UPDATE Rpt_Ratios_Titles AS T SET Title_UpperLeft = D.Title1 || ' - Canada', Title_LowerLeft = "
              "D.Title2, ML_Title = D.LargeMedianDesc, MM_Title = D.MediumMedianDesc FROM (select * from "
              "Volume_Descriptions where Volume = 1 and [Language] = 'F' ) AS D");
}

TEST(JetSql, TextJoiningPlusBecomesConcatenation) {
    EXPECT_EQ(JetToSQLite("Update Rpt_Ratios_Titles Set Naics = '311',     Title_LowerRight = Title_LowerRight + "
                          "' 2010, 2009, 2008'"),
              "Update Rpt_Ratios_Titles Set Naics = '311',     Title_LowerRight = Title_LowerRight || ' 2010, 2009, 2008'");
    // Every "+" of a chain that holds a text joins texts.
    EXPECT_EQ(JetToSQLite("select a + b + ' x' from t"), "select a || b || ' x' from t");
    EXPECT_EQ(JetToSQLite("select ' (' + upper(a) + ')' from t"), "select ' (' || upper(a) || ')' from t");
    // Arithmetic stays arithmetic.
    EXPECT_EQ(JetToSQLite("select a + 1, b + c from t"), "select a + 1, b + c from t");
    // A "+" inside a text literal is text.
    EXPECT_EQ(JetToSQLite("select 'a + b' from t"), "select 'a + b' from t");
}

TEST(JetSql, QualifiedSetTargetOfSingleTableUpdateIsStripped) {
    EXPECT_EQ(JetToSQLite("Update T Set T.c = 1 where T.d = 2"), "UPDATE T SET c = 1 where T.d = 2");
}

TEST(JetSql, StatementsSQLiteReadsAlreadyPassUnchanged) {
    const char* same[] = {
        "select count(*) as NumRecords from ZORVA_Vol1_ALL_2010_Final_Ratios",
        "Select * from datadescription where optname = 'optVol1'",
        "insert into Rpt_Ratios_Titles select * from Rpt_Ratios_Titles_Source where [Language] = 'E'",
        "insert into Rpt_Data_CYM1(NAICS) values ('311')",
        "select Firmname as Nom, [year] as Année from myvalues order by Firmname, [year]",
        "select F.NAICS, N.description, T.inddesce from (ZORVA_NAICS_Description_Ind_Raw N inner join "
        "ZORVA_Vol3_NS_2010_Final_Ratios F on N.NAICS = F.NAICS) left join tblTreeview T on N.Parent = T.NodeKey "
        "where F.NAICS = '311'",
        "select F.NAICS, N.Description, T.inddesce as Sector from (X N inner join Y F on N.NAICS = F.NAICS) left "
        "join tblTreeview T on N.Parent = T.NodeKey where description like '%l''industrie%'",
        "Update rpt_comparison Set BetterNPM = 50, BetterPPM = 25",
    };
    for (const char* s : same) EXPECT_EQ(JetToSQLite(s), s) << s;
}

TEST(JetSql, UnparsableTextIsReturnedUnchanged) {
    for (const char* s : {"", "   ", "update", "update set", "Update T t, (select", "delete", "'unterminated",
                          "[unterminated", "Update ,, Set", "+ + +", "))(("}) {
        EXPECT_NO_THROW(JetToSQLite(s));
    }
    EXPECT_EQ(JetToSQLite("Update T t, (select x D Set a = 1"), "Update T t, (select x D Set a = 1");
    EXPECT_EQ(JetToSQLite("'it''s'"), "'it''s'");
}

TEST(JetSql, SingleTableSelectIsRecognised) {
    EXPECT_EQ(SingleTableOfSelect("select * from myvalues where firmname = 'a'"), "myvalues");
    EXPECT_EQ(SingleTableOfSelect("SELECT a, b FROM [My Table] ORDER BY a"), "My Table");
    EXPECT_EQ(SingleTableOfSelect("select * from a, b"), "");
    EXPECT_EQ(SingleTableOfSelect("select * from a inner join b on a.x = b.x"), "");
    EXPECT_EQ(SingleTableOfSelect("select distinct a from t"), "");
    EXPECT_EQ(SingleTableOfSelect("select count(*) from t group by a"), "");
    EXPECT_EQ(SingleTableOfSelect("delete from t"), "");
}

TEST(JetSql, TokensJoinBackToTheInput) {
    std::string s = "select [a b], 'x''y', \"q\", 1.5e3, a<>b from t -- end";
    EXPECT_EQ(zorva::JoinTokens(zorva::TokenizeSql(s)), s);
}

TEST(JetSql, PlusAtTheEdgesOfAStatementIsSafe) {
    // Found by the fuzzer: a chain reaching the first token.
    EXPECT_NO_THROW(JetToSQLite(" +0 + 'mi' te0+l+0 + 'mi'"));
    EXPECT_EQ(JetToSQLite("+ 'a'"), "+ 'a'");
    EXPECT_EQ(JetToSQLite("'a' +"), "'a' +");
}

// One translator, two targets: what the server receives for the program's
// statements (names in lower case between double quotes where Jet bracketed
// them; literals untouched).
TEST(JetSql, ThePostgresTargetQuotesBracketedNamesAndLeavesLiteralsAlone) {
    const struct { const char* jet; const char* postgres; } cases[] = {
        {"DELETE myvalues from myvalues where foldcase(firmname) = foldcase('O''Hara') and [year] = 2010",
         "DELETE from myvalues where foldcase(firmname) = foldcase('O''Hara') and \"year\" = 2010"},
        {"select Firmname as Nom, [year] as Année from myvalues order by Firmname, [year]",
         "select Firmname as Nom, \"year\" as Année from myvalues order by Firmname, \"year\""},
        {"insert into Rpt_Ratios_Titles select * from Rpt_Ratios_Titles_Source where [Language] = 'E'",
         "insert into Rpt_Ratios_Titles select * from Rpt_Ratios_Titles_Source where \"language\" = 'E'"},
        {"Update Rpt_Comparison T, (select * from Volume_Descriptions where Volume = 3 and [Language] = 'E' ) D "
         "Set T.MyVol = D.Title1 + ' - [x] \"y\" \\'",
         "UPDATE Rpt_Comparison AS T SET MyVol = D.Title1 || ' - [x] \"y\" \\' FROM (select * from "
         "Volume_Descriptions where Volume = 3 and \"language\" = 'E' ) AS D"},
        {"select a from t where b == 'a == b'", "select a from t where b = 'a == b'"},
        {"select [Odd \"Name\"] from t", "select \"odd \"\"name\"\"\" from t"},
    };
    for (const auto& c : cases) EXPECT_EQ(zorva::JetToPostgres(c.jet), c.postgres) << c.jet;
}
