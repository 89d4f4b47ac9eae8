// The report engine on tables made here: declarations, table enumeration and
// relocation, sections, escaping, numbers in both languages, and the visible
// errors for what is missing.

#include "support/ReportFolder.h"

#include "core/DBTools.h"
#include "reports/render/ReportEngine.h"
#include "reports/prep/ReportFormat.h"
#include "reports/render/ReportViewerLogic.h"
#include "support/AppFixture.h"

#include <sqlite3.h>

#include <algorithm>

namespace zorva::test {
namespace {

using namespace zorva::report;

TEST(ReportNumbers, FollowTheLanguage) {
    EXPECT_EQ(FormatNumber(1234567.891, 2, Lang::English), "1,234,567.89");
    EXPECT_EQ(FormatNumber(1234567.891, 2, Lang::French), "1\u202F234\u202F567,89");
    EXPECT_EQ(FormatNumber(-1234.5, 1, Lang::French), "-1\u202F234,5");
    EXPECT_EQ(FormatNumber(999.96, 1, Lang::English), "1,000.0");
    EXPECT_EQ(FormatNumber(-0.04, 1, Lang::English), "0.0");  // no minus zero
    EXPECT_EQ(FormatNumber(1234.5, 0, Lang::English), "1,235");   // halves away from zero
    EXPECT_EQ(FormatNumber(-0.25, 1, Lang::English), "-0.3");
    EXPECT_EQ(FormatPercent(12.5, 1, Lang::English), "12.5%");
    EXPECT_EQ(FormatPercent(12.5, 1, Lang::French), "12,5\u202F%");
    EXPECT_EQ(FormatSigned(2.5, 1, Lang::English), "+2.5");
    EXPECT_EQ(FormatSigned(-36.4, 1, Lang::French), "-36,4");
    EXPECT_EQ(FormatSigned(0.01, 1, Lang::English), "0.0");
    EXPECT_EQ(ParseNumber(" 12.5 "), 12.5);
    EXPECT_EQ(ParseNumber("12,5"), 12.5);
    EXPECT_EQ(ParseNumber("1E+16"), 1e16);
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber("12x"));
    EXPECT_FALSE(ParseNumber("inf"));
    EXPECT_EQ(LangOf("fr"), Lang::French);
    EXPECT_EQ(LangOf("E"), Lang::English);
}

class Engine : public ReportFolder {
protected:
    void SetUp() override {
        ReportFolder::SetUp();
        ExecCmdInDB(user, "CREATE TABLE Firms (Name TEXT, Amount REAL, Note TEXT, [Language] TEXT)");
        ExecCmdInDB(user, "INSERT INTO Firms VALUES ('O''Brien & <Sons>', 1234.5, NULL, 'F')");
        ExecCmdInDB(user, "INSERT INTO Firms VALUES ('Zeta', -2, 'x', 'F')");
        ExecCmdInDB(user, "CREATE TABLE Extra (Code TEXT)");
        ExecCmdInDB(user, "INSERT INTO Extra VALUES ('A1')");
    }
    Rendered render(const std::string& body, const ConnectionHandle& open = nullptr) {
        auto r = Report::FromText("{{!\nTABLE F = Firms\nTABLE X = Extra\nLANGUAGE F_Language\n"
                                  "TEXT HELLO = Hello | Bonjour\n}}" + body);
        RelocateTables(*r, dir + "/MyData.mdb");  // the store's name in another letter case
        return r->Render(open);
    }
};

TEST_F(Engine, TablesAreEnumeratedFromOneAndRelocatedUntilTheFirstMissingIndex) {
    auto r = Report::FromText("{{!\nTABLE A = Alpha\nTABLE B = Beta\nTABLE C = Gamma\n}}<p></p>");
    ASSERT_EQ(r->TableCount(), 3);
    EXPECT_EQ(r->Table(1).Name(), "Alpha");
    EXPECT_EQ(r->Table(3).Alias(), "C");
    EXPECT_THROW(r->Table(0), ReportError);
    EXPECT_THROW(r->Table(4), ReportError);
    EXPECT_EQ(RelocateTables(*r, "/data/MyData.mdb"), 3);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(r->Table(i).Location(), "/data/MyData.mdb");

    auto none = Report::FromText("<p>no tables</p>");
    EXPECT_EQ(RelocateTables(*none, "/data/MyData.mdb"), 0);
}

TEST_F(Engine, FieldsSectionsTextsAndNumbersInTheReportsLanguage) {
    Rendered out = render("<p>{{HELLO}}|{{F_Amount:x-num=1}}|{{F_amount:x-pct=0}}|{{F_Note}}|{{X_Code}}</p>"
                          "{{#F_ROWS}}[{{F_Name}}={{F_Amount:x-signed=1}}]{{/F_ROWS}}"
                          "{{#LANG_F}}[fr]{{/LANG_F}}{{#LANG_E}}[en]{{/LANG_E}}");
    EXPECT_TRUE(out.errors.empty());
    EXPECT_EQ(out.lang, Lang::French);
    EXPECT_NE(out.html.find("<p>Bonjour|1\u202F234,5|1\u202F235\u202F%|–|A1</p>"), std::string::npos) << out.html;
    EXPECT_NE(out.html.find("[O&#39;Brien &amp; &lt;Sons&gt;=+1\u202F234,5][Zeta=-2,0]"), std::string::npos) << out.html;
    EXPECT_NE(out.html.find("[fr]"), std::string::npos);
    EXPECT_EQ(out.html.find("[en]"), std::string::npos);
}

TEST_F(Engine, MissingColumnTableOrNameIsShownNotBlank) {
    auto r = Report::FromText("{{!\nTABLE F = Firms\nTABLE G = Ghost\n}}"
                              "<td>{{F_Nope}}</td><td>{{G_Name}}</td><td>{{WHO}}</td><td>{{F_Name:x-num=1}}</td>");
    RelocateTables(*r, dir + "/myData.mdb");
    Rendered out = r->Render();
    EXPECT_NE(out.html.find("[missing column: Firms.Nope]"), std::string::npos) << out.html;
    EXPECT_NE(out.html.find("[missing table: Ghost]"), std::string::npos);
    EXPECT_NE(out.html.find("[unknown name: WHO]"), std::string::npos);
    EXPECT_NE(out.html.find("[not a number: O&#39;Brien &amp; &lt;Sons&gt;]"), std::string::npos) << out.html;
    EXPECT_EQ(out.html.find("<td></td>"), std::string::npos);
    ASSERT_GE(out.errors.size(), 3u);
    EXPECT_NE(std::find(out.errors.begin(), out.errors.end(), "missing column: Firms.Nope"), out.errors.end());
}

TEST_F(Engine, BrokenTemplateOrHeaderGivesAVisibleErrorNotACrash) {
    auto bad = Report::FromText("{{!\nTABLE = Firms\nTABLE F = Firms; drop\n}}<p>{{#OPEN}}never closed</p>", "bad.rpt");
    EXPECT_EQ(bad->HeaderErrors().size(), 2u);
    Rendered out = bad->Render();
    EXPECT_NE(out.html.find("[template error: bad.rpt]"), std::string::npos) << out.html;
    EXPECT_THROW(Report::Open(dir + "/no-such.rpt"), ReportError);
}

TEST_F(Engine, ReadsThroughTheOpenConnectionInsideItsTransaction) {
    Transaction tx(user);
    ExecCmdInDB(user, "DELETE FROM Firms");
    ExecCmdInDB(user, "INSERT INTO Firms VALUES ('Inside', 1, NULL, 'E')");
    Rendered out = render("<p>{{F_Name}}</p>", user);
    EXPECT_NE(out.html.find("<p>Inside</p>"), std::string::npos) << out.html;
    EXPECT_EQ(out.lang, Lang::English);
}

TEST_F(Engine, IllustrativeSectionFollowsTheIndustryStore) {
    EXPECT_TRUE(FiguresAreIllustrative(industry));
    ExecCmdInDB(industry, "UPDATE datadescription SET descriptione = 'Official', descriptionf = 'Officiel'");
    EXPECT_FALSE(FiguresAreIllustrative(industry));
    auto r = Report::FromText("{{#ILLUSTRATIVE}}<p>{{ILLUSTRATIVE_NOTICE}}</p>{{/ILLUSTRATIVE}}");
    RenderOptions opt;
    opt.illustrative = true;
    EXPECT_NE(r->Render(nullptr, opt).html.find("illustrative"), std::string::npos);
    EXPECT_EQ(r->Render().html.find("<p>"), std::string::npos);
}

} // namespace
} // namespace zorva::test
