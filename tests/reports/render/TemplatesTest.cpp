// The three report templates rendered from prepared report tables in both
// languages, and written to PDF.

#include "support/ReportFolder.h"

#include "core/AppPath.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportEngine.h"
#include "reports/render/ReportSample.h"
#include "reports/render/ReportViewerLogic.h"

#include <cstdlib>
#include <filesystem>

namespace zorva::test {
namespace {

using report::Rendered;

class Templates : public ReportFolder {
protected:
    Rendered render(const std::string& type, const std::string& lang, const std::string& firm = "Harbourview Fine Foods Ltd.") {
        report::FillSampleReport(user, type, lang, firm);
        auto info = report::ReportTypeOf(type);
        auto rpt = report::Report::Open(templatePath(info.templateFile));
        report::RelocateTables(*rpt, report::ReportDataLocation());
        report::RenderOptions opt;
        opt.illustrative = true;
        return rpt->Render(nullptr, opt);
    }
    // Written next to the documentation's pictures when asked for.
    void keepPdf(const Rendered& r, const std::string& name) {
        const char* out = std::getenv("ZORVA_REPORT_SAMPLES");
        if (!out) return;
        auto doc = report::MakeDocument(r);
        std::string err;
        report::WritePdf(*doc, std::string(out) + "/" + name + ".pdf", r.title, &err);
        report::WriteHtml(r, std::string(out) + "/" + name + ".html", &err);
    }
    static void expectClean(const Rendered& r) {
        EXPECT_TRUE(r.errors.empty()) << r.errors.front();
        EXPECT_EQ(r.html.find("{{"), std::string::npos);
        EXPECT_EQ(r.html.find("\uE000"), std::string::npos);
        EXPECT_EQ(r.html.find(" background-color:#FFECEC;"), std::string::npos) << "an error is shown in the report";
    }
};

TEST_F(Templates, RatiosReportInBothLanguages) {
    Rendered en = render("rat", "E");
    expectClean(en);
    EXPECT_EQ(en.lang, report::Lang::English);
    EXPECT_EQ(en.title, "Financial ratios – NAICS 445110");
    EXPECT_NE(en.html.find("Net profit margin"), std::string::npos);
    EXPECT_NE(en.html.find("Liquidity/Solvency (ratios)"), std::string::npos);
    EXPECT_NE(en.html.find(">2.6<"), std::string::npos);     // NPM median 2010
    EXPECT_NE(en.html.find(">2.47<"), std::string::npos);    // NPM median 2009 (2.6 x 0.95)
    EXPECT_NE(en.html.find(">42.30<"), std::string::npos);   // receivable turnover median, two decimals
    EXPECT_NE(en.html.find(">1,284<"), std::string::npos);   // enterprises 2010
    EXPECT_NE(en.html.find(">78.2%<"), std::string::npos);   // operating profit share 2010
    EXPECT_NE(en.html.find("Reference years: 2010, 2009, 2008"), std::string::npos);
    EXPECT_NE(en.html.find("Illustrative figures, generated for demonstration"), std::string::npos);
    keepPdf(en, "ratios-en");

    Rendered fr = render("rat", "F");
    expectClean(fr);
    EXPECT_EQ(fr.lang, report::Lang::French);
    EXPECT_NE(fr.html.find("Marge bénéficiaire nette"), std::string::npos);
    EXPECT_NE(fr.html.find(">2,6<"), std::string::npos);
    EXPECT_NE(fr.html.find(">42,30<"), std::string::npos);
    EXPECT_NE(fr.html.find(">1\u202F284<"), std::string::npos);
    EXPECT_NE(fr.html.find(">78,2\u202F%<"), std::string::npos);
    EXPECT_NE(fr.html.find(">Médiane<br />2009<"), std::string::npos);  // each median headed with its year
    keepPdf(fr, "ratios-fr");
}

TEST_F(Templates, BalanceSheetReportInBothLanguages) {
    Rendered en = render("bal", "E");
    expectClean(en);
    EXPECT_EQ(en.title, "Balance sheet structure (% of total assets) – NAICS 445110");
    EXPECT_NE(en.html.find("Cash and deposits"), std::string::npos);
    EXPECT_NE(en.html.find("Total shareholders&#39; equity"), std::string::npos);
    EXPECT_NE(en.html.find(">28.6%<"), std::string::npos);   // inventory
    EXPECT_NE(en.html.find(">100.0%<"), std::string::npos);  // total assets
    keepPdf(en, "balancesheet-en");

    Rendered fr = render("bal", "F");
    expectClean(fr);
    EXPECT_NE(fr.html.find("Encaisse et dépôts"), std::string::npos);
    EXPECT_NE(fr.html.find(">28,6\u202F%<"), std::string::npos);
    EXPECT_NE(fr.html.find("Structure du bilan"), std::string::npos);
    keepPdf(fr, "balancesheet-fr");
}

TEST_F(Templates, ComparisonReportInBothLanguages) {
    Rendered en = render("com", "E");
    expectClean(en);
    EXPECT_EQ(en.title, "Your enterprise compared with its industry – Harbourview Fine Foods Ltd.");
    EXPECT_NE(en.html.find(">3.4<"), std::string::npos);  // net profit margin of the enterprise
    // 3.4 lies between the median 2.6 and Q3 5.9.
    EXPECT_NE(en.html.find("better than about 50% of enterprises in the industry"), std::string::npos);
    // Debt to equity 0.74 is better (lower) than the median 1.1 but not than Q3 0.3.
    EXPECT_NE(en.html.find("Volume 3: enterprises with revenue"), std::string::npos);
    EXPECT_NE(en.html.find(">-3.9<"), std::string::npos);        // cash: 8.5% less 12.4%
    EXPECT_NE(en.html.find(">2,480,000<"), std::string::npos);   // operating revenue
    ASSERT_FALSE(en.images.empty());
    EXPECT_NE(report::HtmlWithEmbeddedImages(en).find("data:image/png;base64,"), std::string::npos);
    keepPdf(en, "comparison-en");

    Rendered fr = render("com", "F");
    expectClean(fr);
    EXPECT_NE(fr.html.find(">3,4<"), std::string::npos);
    EXPECT_NE(fr.html.find("mieux qu&#39;environ 50\u202F% des entreprises de l&#39;industrie"), std::string::npos)
        << "apostrophes arrive escaped";
    EXPECT_NE(fr.html.find(">2\u202F480\u202F000<"), std::string::npos);
    keepPdf(fr, "comparison-fr");
}

TEST_F(Templates, AVarianceAgreesWithTheTwoPercentagesShown) {
    report::FillSampleReport(user, "com", "E");
    // Stored at full precision: 3.75 - 4.54 = -0.79, shown as 3.8% and 4.5%.
    ExecCmdInDB(user, "UPDATE Rpt_Comparison SET MyInv = 3.75, A13 = 4.54, VarianceInvent = -0.79, "
                      "MyCash = 10.04, A11 = 10.05, VarianceCash = -0.01");
    auto rpt = report::Report::Open(templatePath("rpt_Comparison.rpt"));
    report::RelocateTables(*rpt, report::ReportDataLocation());
    const std::string html = rpt->Render().html;
    for (const char* shown : {">3.8%<", ">4.5%<", ">-0.7<", ">10.0%<", ">10.1%<", ">-0.1<"})
        EXPECT_NE(html.find(shown), std::string::npos) << shown;
}

TEST_F(Templates, EnterpriseNameIsEscapedEverywhere) {
    Rendered r = render("com", "E", "O'Brien & <Sons> \"Fine\" Foods");
    expectClean(r);
    EXPECT_EQ(r.html.find("<Sons>"), std::string::npos);
    EXPECT_NE(r.html.find("O&#39;Brien &amp; &lt;Sons&gt; &quot;Fine&quot; Foods"), std::string::npos);
    EXPECT_EQ(r.title, "Your enterprise compared with its industry – O'Brien & <Sons> \"Fine\" Foods");
}

TEST_F(Templates, PdfKeepsTheTextSelectable) {
    if (!HavePdfToText()) GTEST_SKIP() << "pdftotext is not installed";
    for (const auto& [type, title] : {std::pair<std::string, std::string>{"rat", "Ratios financiers"},
                                      {"bal", "Structure du bilan"},
                                      {"com", "Votre entreprise comparée à son industrie"}}) {
        Rendered r = render(type, "F");
        auto doc = report::MakeDocument(r);
        std::string pdf = dir + "/" + type + ".pdf", err;
        ASSERT_TRUE(report::WritePdf(*doc, pdf, r.title, &err)) << err;
        // Words as pdftotext gives them, lines joined.
        std::string text;
        for (char c : PdfText(pdf)) {
            if (c == '\n' || c == '\r') c = ' ';
            if (!(c == ' ' && !text.empty() && text.back() == ' ')) text += c;
        }
        EXPECT_NE(text.find(title), std::string::npos) << type << ":\n" << text.substr(0, 400);
        EXPECT_NE(text.find("SCIAN 445110"), std::string::npos) << type;
    }
}

} // namespace
} // namespace zorva::test
