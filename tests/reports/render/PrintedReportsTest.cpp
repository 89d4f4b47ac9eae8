// What the reports say and how they are laid out, on the shipped data stores:
// the position words, the formulas, the notes against the boundaries shown,
// ratios that mean nothing or are partly published, and the pages as printed
// (no word or number cut, no table row split over two pages).

#include "support/AppFixture.h"

#include "core/Catalogue.h"
#include "core/Globals.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/RecordStore.h"
#include "reports/prep/RatioTable.h"
#include "reports/render/ReportDocument.h"
#include "reports/render/ReportModel.h"
#include "reports/render/ReportViewerLogic.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <set>

namespace zorva::test {
namespace {

using report::Lang;
using report::Published;
using report::RatioState;

const report::RatioDef& RatioOf(const std::string& code) {
    for (const auto& r : report::Ratios())
        if (code == r.code) return r;
    throw std::invalid_argument(code);
}

TEST(ReportWords, PositionOfARatioInBothLanguages) {
    const Published all{true, true, true}, medianOnly{false, true, false}, none{};
    struct Case {
        const char* code;
        double better, worse;
        Published published;
        RatioState state;
        const char *english, *french;
    } cases[] = {
        {"NPM", 0, 75, all, RatioState::Ranked, "in the lowest quarter of enterprises in the industry",
         "dans le quart inférieur des entreprises de l'industrie"},
        {"NPM", 25, 50, all, RatioState::Ranked, "better than about 25% of enterprises in the industry",
         "mieux qu'environ 25\u202F% des entreprises de l'industrie"},
        {"DE", 50, 25, all, RatioState::Ranked, "better than about 50% of enterprises in the industry",
         "mieux qu'environ 50\u202F% des entreprises de l'industrie"},
        {"IC", 75, 0, all, RatioState::Ranked, "better than about 75% of enterprises in the industry",
         "mieux qu'environ 75\u202F% des entreprises de l'industrie"},
        // Only the median: the side of it, by value (lower is better for DE).
        {"NPM", 50, 0, medianOnly, RatioState::Ranked, "above the median", "supérieur à la médiane"},
        {"NPM", 0, 50, medianOnly, RatioState::Ranked, "below the median", "inférieur à la médiane"},
        {"DE", 50, 0, medianOnly, RatioState::Ranked, "below the median", "inférieur à la médiane"},
        {"DE", 0, 50, medianOnly, RatioState::Ranked, "above the median", "supérieur à la médiane"},
        {"WC", 0, 0, medianOnly, RatioState::Ranked, "at the median", "égal à la médiane"},
        {"WC", 0, 0, none, RatioState::Ranked, "", ""},
        {"NPM", 0, 75, all, RatioState::NotMeaningful, "not meaningful (operating revenue = 0)",
         "non significatif (revenus d'exploitation = 0)"},
        {"DE", 0, 0, all, RatioState::NotMeaningful, "not meaningful (shareholders' equity = 0)",
         "non significatif (capitaux propres = 0)"},
        {"ORTTNOA", 0, 0, all, RatioState::NotMeaningful, "not meaningful (net operating assets = 0)",
         "non significatif (actifs nets d'exploitation = 0)"},
        {"RE", 0, 0, all, RatioState::NotRanked, "not ranked", "non classé"},
    };
    for (const auto& c : cases) {
        const auto& r = RatioOf(c.code);
        EXPECT_EQ(report::StandingText(r, c.better, c.worse, c.published, c.state, Lang::English), c.english)
            << c.code << " " << c.better;
        EXPECT_EQ(report::StandingText(r, c.better, c.worse, c.published, c.state, Lang::French), c.french)
            << c.code << " " << c.better;
    }
}

TEST(ReportWords, FormulasAsTheProgramComputes) {
    struct Case {
        const char *code, *english, *french;
    } cases[] = {
        {"WC", "current assets ÷ current liabilities", "actifs à court terme ÷ passifs à court terme"},
        {"NPM", "net profit after tax ÷ operating revenue × 100", "bénéfice net après impôt ÷ revenus d'exploitation × 100"},
        {"IT", "(sales − gross profit) ÷ inventory", "(ventes − bénéfice brut) ÷ stocks"},
        {"DE", "debt ÷ shareholders' equity", "dettes ÷ capitaux propres"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(report::FormulaText(RatioOf(c.code), 0), c.english);
        EXPECT_EQ(report::FormulaText(RatioOf(c.code), 1), c.french);
    }
    EXPECT_EQ(report::NamedQuantities(0).at(0).second,
              "total assets − investments with affiliates − portfolio investments − accounts payable");
}

// ---------------------------------------------------------------- shipped data

std::string Unescape(std::string s) {
    for (auto [from, to] : {std::pair<std::string, std::string>{"&#39;", "'"}, {"&amp;", "&"}, {"&quot;", "\""}}) {
        for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size()) s.replace(p, from.size(), to);
    }
    return s;
}

// A number as a report shows it, or nothing for "–".
std::optional<double> Shown(const std::string& text, Lang lang) {
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "\u202F") == 0) { i += 2; continue; }
        const char c = text[i];
        if (c == ',') { if (lang == Lang::French) s += '.'; continue; }
        s += c;
    }
    return report::ParseNumber(s);
}

// One ratio row of the comparison report.
struct ShownRow {
    std::string name, arrow, value, q1, q2, q3, standing;
    bool chart;
};
std::vector<ShownRow> ComparisonRows(const std::string& html) {
    static const std::regex row(
        "<th scope=\"row\" align=\"left\" class=\"rh\">([^<]*)</th><td align=\"center\" class=\"n\">(↑|↓)</td>\\s*"
        "<td align=\"right\" class=\"you\">([^<]*)</td>\\s*"
        "<td align=\"right\" class=\"n\">([^<]*)</td><td align=\"right\" class=\"n\"><b>([^<]*)</b></td>"
        "<td align=\"right\" class=\"n\">([^<]*)</td>\\s*<td class=\"chart\">([^<]*|<img[^>]*>)</td>\\s*"
        "<td class=\"small\">([^<]*)</td>");
    std::vector<ShownRow> rows;
    for (std::sregex_iterator it(html.begin(), html.end(), row), end; it != end; ++it) {
        const auto& m = *it;
        rows.push_back({Unescape(m[1]), m[2], m[3], m[4], m[5], m[6], Unescape(m[8]), m[7].str().rfind("<img", 0) == 0});
    }
    return rows;
}

class PrintedReports : public ShippedStoresFixture {
protected:
    // An enterprise with the given amounts (the rest 0), in balance.
    static std::vector<std::string> enterprise(const std::string& naics,
                                               const std::vector<std::pair<Field, const char*>>& amounts,
                                               bool saveThreeYears = false) {
        RecordTexts r;
        InitializeValues(r, 0);
        r[Field::FirmName] = "Les Grossistes-distributeurs Beauséjour-Théberge ltée";
        r[Field::Year] = "2010";
        for (const auto& [f, v] : amounts) r[f] = v;
        EXPECT_TRUE(subCalculateSubTotals(r));
        EXPECT_EQ(r[Field::TotLiabShareEq], r[Field::Ta]);
        if (saveThreeYears)  // what the trend report reads
            for (std::int16_t y : {2008, 2009, 2010}) store::SaveRecord(gcnUser, r, y);
        return BuildComparisonValues(r, naics, "Industry");
    }
    static std::vector<std::string> ordinaryEnterprise(const std::string& naics, bool saveThreeYears = false) {
        return enterprise(naics, {{Field::Cash, "1234567.89"}, {Field::Ar, "2345678"}, {Field::Inv, "3456789"},
                                  {Field::CA, "4567890"}, {Field::AccountsPayable, "2000000"}, {Field::Mtg, "3000000"},
                                  {Field::ShareC, "1000000"}, {Field::RetEarn, "5604924.89"},
                                  {Field::OperatingRevenue, "98765432.10"}, {Field::Sales, "87654321"},
                                  {Field::GrossProfit, "23456789"}, {Field::OperatingProfit, "4567890"},
                                  {Field::InterestExpense, "345678"}, {Field::PretaxProfit, "3456789"},
                                  {Field::ProfitAfterTax, "2345678"}, {Field::CurrentAssets, "7000000"},
                                  {Field::CurrentLiabilities, "2500000"}}, saveThreeYears);
    }

    report::Rendered render(const std::string& type, const std::string& dataset, const std::string& naics,
                            const std::string& lang, const std::vector<std::string>& values = {}) {
        const DatasetChoice* c = FindChoice(dataset);
        EXPECT_NE(c, nullptr) << dataset;
        auto prepared = report::PrepareReport(gcnIndustry, gcnUser, type, c->volume, c->region, 2010, naics, lang,
                                              values.empty() && (type == "com" || type == "tre")
                                                  ? ordinaryEnterprise(naics, type == "tre")
                                                  : values);
        EXPECT_TRUE(prepared.has_value()) << type << " " << naics;
        return prepared ? prepared->rendered : report::Rendered{};
    }
};

TEST_F(PrintedReports, TheDirectionNoteHoldsForEveryBoundaryShown) {
    // For debt to equity and liabilities to assets the boundaries run downwards.
    struct Case {
        const char *type, *lang, *note;
    } cases[] = {
        {"rat", "E", "So Q1 is the lower number for the ↑ ratios and the higher one for the ↓ ratios."},
        {"rat", "F", "Q1 est donc le nombre le plus bas pour les ratios ↑ et le plus élevé pour les ratios ↓."},
        {"com", "E", "so for the ↓ ratios Q1 is the higher number."},
        {"com", "F", "pour les ratios ↓, Q1 est donc le nombre le plus élevé."},
    };
    static const std::regex ratiosRow("(↑|↓)</td>\\s*<td align=\"right\" class=\"n\">([^<]*)</td><td[^>]*>[^<]*</td>"
                                      "<td align=\"right\" class=\"n\">([^<]*)</td>");
    for (const auto& c : cases) {
        const report::Rendered r = render(c.type, "optNovaScotia", "1111", c.lang);
        EXPECT_NE(Unescape(r.html).find(c.note), std::string::npos) << c.type << c.lang;
        int checked = 0, downwards = 0;
        auto check = [&](const std::string& arrow, const std::string& q1Text, const std::string& q3Text) {
            auto q1 = Shown(q1Text, r.lang), q3 = Shown(q3Text, r.lang);
            if (!q1 || !q3) return;
            ++checked;
            if (arrow == "↓") ++downwards;
            if (arrow == "↑") EXPECT_LT(*q1, *q3) << c.type << c.lang << " " << q1Text << " " << q3Text;
            else EXPECT_GT(*q1, *q3) << c.type << c.lang << " " << q1Text << " " << q3Text;
        };
        if (std::string(c.type) == "com") {
            for (const auto& row : ComparisonRows(r.html)) check(row.arrow, row.q1, row.q3);
        } else {
            for (std::sregex_iterator it(r.html.begin(), r.html.end(), ratiosRow), end; it != end; ++it)
                check((*it)[1], (*it)[2], (*it)[3]);
        }
        EXPECT_EQ(checked, 15) << c.type << c.lang;
        EXPECT_EQ(downwards, 2) << c.type << c.lang;
    }
}

TEST_F(PrintedReports, AnIndustryThatPublishesOnlyMediansIsWordedByWhatCanBeSaid) {
    // Northwest Territories, NAICS 2389 (14 enterprises): fourteen ratios with a median and no
    // quartiles, and inventory turnover with nothing.
    for (const char* lang : {"E", "F"}) {
        const report::Rendered r = render("com", "optNWT", "2389", lang);
        const auto rows = ComparisonRows(r.html);
        ASSERT_EQ(rows.size(), 15u) << lang;
        const int o = lang[0] == 'F' ? 1 : 0;
        int medianOnly = 0, nothing = 0;
        for (const auto& row : rows) {
            if (row.q1 != "–" || row.q3 != "–") continue;
            if (row.q2 == "–") {
                ++nothing;
                EXPECT_EQ(row.standing, "–") << row.name;
                EXPECT_FALSE(row.chart) << row.name;
            } else {
                ++medianOnly;
                EXPECT_TRUE(row.standing == Txt(1442, o) || row.standing == Txt(1444, o) || row.standing == Txt(1446, o))
                    << row.name << ": " << row.standing;
                EXPECT_TRUE(row.chart) << row.name << ": the median and the enterprise are drawn";
            }
        }
        EXPECT_EQ(medianOnly, 14) << lang;
        EXPECT_EQ(nothing, 1) << lang;
    }
}

TEST_F(PrintedReports, RatiosWithoutADenominatorAreNotMeaningfulAndNegativeEquityIsNotRanked) {
    // No equity (1,000 of debt), no inventory, no sales, no interest expense.
    const auto noEquity = enterprise("1111", {{Field::Cash, "500"}, {Field::Ar, "500"}, {Field::Mtg, "1000"},
                                              {Field::ShareC, "1000"}, {Field::RetEarn, "-1000"},
                                              {Field::OperatingRevenue, "2000"}, {Field::OperatingProfit, "90"},
                                              {Field::PretaxProfit, "80"}, {Field::ProfitAfterTax, "60"},
                                              {Field::CurrentAssets, "1000"}, {Field::CurrentLiabilities, "400"}});
    const auto negativeEquity = enterprise("1111", {{Field::Cash, "500"}, {Field::Ar, "500"}, {Field::Mtg, "1500"},
                                                    {Field::ShareC, "1000"}, {Field::RetEarn, "-1500"},
                                                    {Field::OperatingRevenue, "2000"}, {Field::InterestExpense, "30"},
                                                    {Field::PretaxProfit, "80"}, {Field::ProfitAfterTax, "60"}});
    struct Case {
        const std::vector<std::string>* values;
        const char* lang;
        std::map<std::string, std::string> standing;  // ratio name id -> words
    };
    const std::vector<Case> cases = {
        {&noEquity, "E",
         {{"134", "not meaningful (shareholders' equity = 0)"}, {"122", "not meaningful (shareholders' equity = 0)"},
          {"128", "not meaningful (inventory = 0)"}, {"112", "not meaningful (sales = 0)"},
          {"138", "not meaningful (interest expense = 0)"}}},
        {&noEquity, "F",
         {{"134", "non significatif (capitaux propres = 0)"}, {"128", "non significatif (stocks = 0)"},
          {"138", "non significatif (frais d'intérêt = 0)"}}},
        {&negativeEquity, "E", {{"134", "not ranked"}, {"122", "not ranked"}}},
        {&negativeEquity, "F", {{"134", "non classé"}, {"122", "non classé"}}},
    };
    for (const auto& c : cases) {
        const report::Rendered r = render("com", "optNovaScotia", "1111", c.lang, *c.values);
        const auto rows = ComparisonRows(r.html);
        ASSERT_EQ(rows.size(), 15u);
        for (const auto& [id, words] : c.standing) {
            const std::string name = Txt(std::stoi(id), c.lang[0] == 'F' ? 1 : 0);
            auto row = std::find_if(rows.begin(), rows.end(), [&](const ShownRow& x) { return x.name == name; });
            ASSERT_NE(row, rows.end()) << name;
            EXPECT_EQ(row->standing, words) << name;
            EXPECT_EQ(row->value, "–") << name;
            EXPECT_FALSE(row->chart) << name << " has no marker";
        }
        // The working capital of the enterprise without equity is a real ratio.
        if (c.values == &noEquity) EXPECT_TRUE(rows[11].chart);
    }

    // A negative denominator is no zero one: negative net operating assets
    // (payables above the operating assets) and negative capital employed
    // give real ratios, placed among the quartiles.
    const auto negativeDenominators = enterprise(
        "1111", {{Field::Cash, "500"}, {Field::Ar, "500"}, {Field::AccountsPayable, "1500"}, {Field::ShareC, "1000"},
                 {Field::RetEarn, "-1500"}, {Field::OperatingRevenue, "2000"}, {Field::OperatingProfit, "90"},
                 {Field::InterestExpense, "10"}, {Field::PretaxProfit, "80"}, {Field::ProfitAfterTax, "60"}});
    for (const char* lang : {"E", "F"}) {
        const auto rows = ComparisonRows(render("com", "optNovaScotia", "1111", lang, negativeDenominators).html);
        ASSERT_EQ(rows.size(), 15u);
        for (int id : {114, 116, 120}) {  // operating revenue to NOA, return on NOA, return on capital employed
            const std::string name = Txt(id, lang[0] == 'F' ? 1 : 0);
            auto row = std::find_if(rows.begin(), rows.end(), [&](const ShownRow& x) { return x.name == name; });
            ASSERT_NE(row, rows.end()) << name;
            EXPECT_NE(row->value, "–") << name;
            EXPECT_TRUE(row->value.find("-") != std::string::npos || row->value.find("\u2212") != std::string::npos)
                << name << " " << row->value;
            EXPECT_EQ(row->standing.find(lang[0] == 'F' ? "non significatif" : "not meaningful"), std::string::npos)
                << name << ": " << row->standing;
            EXPECT_EQ(row->standing.find(lang[0] == 'F' ? "non classé" : "not ranked"), std::string::npos)
                << name << ": " << row->standing;
            EXPECT_TRUE(row->chart) << name << " has its marker";
        }
    }
}

// ---------------------------------------------------------------- pages

// What a reader would see wrong on the pages: a line that begins inside a
// word or a number, a table row on two pages, a table that runs over a page
// end without heading rows to repeat.
std::vector<std::string> LayoutProblems(QTextDocument& doc) {
    std::vector<std::string> problems;
    const qreal pageHeight = doc.pageSize().height();
    auto* layout = doc.documentLayout();
    auto pageOf = [&](qreal y) { return static_cast<int>(y / pageHeight); };
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        for (int i = 1; i < b.layout()->lineCount(); ++i) {
            const int p = b.layout()->lineAt(i).textStart();
            const QChar before = text[p - 1], after = text[p];
            const bool between = before == ' ' || before == QChar::LineSeparator || before == '/' ||
                                 before == QChar::ObjectReplacementCharacter ||
                                 after == QChar::ObjectReplacementCharacter ||
                                 (before == '-' && p >= 2 && text[p - 2].isLetter() && after.isLetter());
            if (!between) problems.push_back("cut: " + text.mid(std::max(0, p - 12), 24).toStdString());
        }
    }
    std::vector<QTextTable*> tables;
    std::function<void(QTextFrame*)> collect = [&](QTextFrame* f) {
        for (QTextFrame* child : f->childFrames()) {
            if (auto* t = qobject_cast<QTextTable*>(child)) tables.push_back(t);
            collect(child);
        }
    };
    collect(doc.rootFrame());
    for (QTextTable* table : tables) {
        const QRectF extent = layout->frameBoundingRect(table);
        const bool overPageEnd = pageOf(extent.top()) != pageOf(extent.bottom() - 0.01);
        if (overPageEnd && table->format().headerRowCount() == 0)
            problems.push_back("no heading repeated: " + doc.findBlock(table->firstPosition()).text().toStdString());
        for (int r = 0; r < table->rows(); ++r) {
            std::set<int> pages;
            QString first;
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() != r || cell.column() != c) continue;
                for (QTextBlock b = doc.findBlock(cell.firstPosition()); b.isValid() && b.position() <= cell.lastPosition();
                     b = b.next()) {
                    if (first.isEmpty()) first = b.text();
                    const QRectF rect = layout->blockBoundingRect(b);
                    for (int i = 0; i < b.layout()->lineCount(); ++i) {
                        const QTextLine line = b.layout()->lineAt(i);
                        if (line.textLength() == 0) continue;
                        pages.insert(pageOf(rect.top() + line.y() + line.height() / 2));
                    }
                }
            }
            if (pages.size() > 1) problems.push_back("row over two pages: " + first.toStdString());
        }
    }
    return problems;
}

TEST_F(PrintedReports, NoWordOrNumberIsCutAndNoRowIsSplitAcrossPages) {
    // 1111 (Nova Scotia's example), 4163 (the longest French title), 4453 (boundaries above 1,000).
    for (const char* naics : {"1111", "4163", "4453"}) {
        for (const char* type : {"rat", "bal", "com", "tre"}) {
            for (const char* lang : {"E", "F"}) {
                const report::Rendered r = render(type, "optNovaScotia", naics, lang);
                auto doc = report::MakeDocument(r);
                for (const auto& p : LayoutProblems(*doc)) ADD_FAILURE() << naics << " " << type << lang << ": " << p;
                // What is printed is what was laid out.
                if (std::string(naics) == "4163" && std::string(type) == "com" && lang[0] == 'F') {
                    std::string error;
                    EXPECT_TRUE(report::WritePdf(*doc, appDir + "/c.pdf", r.title, &error)) << error;
                    EXPECT_EQ(doc->pageCount(), 5);  // summary and ratios, gaps, structure, chart, formulas
                }
            }
        }
    }
}

} // namespace
} // namespace zorva::test
