// The built-in kinds of report: the fifteen ratios in their groups, the
// balance-sheet lines, where the enterprise stands among the industry's
// quartiles, the summary and dollar gaps, the trend of the saved years, and
// the charts with their sentences. Each kind writes its values into the
// model's tree (for the template) and the same values into the model's
// blocks (for the exports), in the order the shipped template shows them.

#include "reports/render/ReportModel.h"

#include "core/Edition.h"
#include "core/Strings.h"
#include "reports/prep/DollarGaps.h"
#include "reports/prep/Ranking.h"
#include "reports/render/ReportCharts.h"
#include "reports/render/ReportEngine.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace zorva::report {

namespace {

constexpr int kHigherBetter = 1418, kLowerBetter = 1420, kBetterThanAbout = 1422, kOfEnterprises = 1424,
              kLowestQuarter = 1426, kNotRanked = 1428, kCurrentItems = 1430, kYourEnterprise = 1432,
              kIndustry = 1434, kBalanceChartAlt = 1436, kNotMeaningful = 1440, kBelowMedian = 1442,
              kAboveMedian = 1444, kAtMedian = 1446, kFormulasTitle = 1448, kFormulaNote = 1902, kFormula = 1904,
              kSummaryTitle = 2024, kStandsBest = 2026, kStandsWorst = 2028, kAgainstMedian = 2030,
              kNoneBetter = 2032, kNoneWeaker = 2034, kGapsTitle = 2036, kGapsNote = 2038, kChangeNeeded = 2040;

const char* const kYearTables[] = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};
const char* const kYearNames[] = {"Y0", "Y1", "Y2"};
// The industry's shares of enterprises with a profit and with a loss, by the
// caption of the row and the column pair.
struct ProfitRow {
    const char* profitColumn;
    const char* lossColumn;
};
const ProfitRow kProfitRows[] = {{"OPP", "OPL"}, {"PPP", "PPL"}, {"NPP", "NPL"}};

int LangOffset(Lang lang) { return lang == Lang::French ? 1 : 0; }

std::string Name(int id, Lang lang) {
    std::string s = Txt(id, LangOffset(lang));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// A field as a number of a kind, or the marker saying why it is none.
Value FieldNumber(const ReportData& data, const std::string& table, const std::string& column, int decimals,
                  NumberKind kind) {
    std::string text = data.Text(table, column);
    if (text.find("\uE000") != std::string::npos) return Value::Marked(text);  // missing, Null
    auto v = ParseNumber(text);
    if (!v) {
        std::string why;
        data.Number(table, column, &why);
        return Value::Marked(why);
    }
    return Value::Number(*v, decimals, kind, data.lang);
}
// A field as the text it holds (a Null as "–", what is missing as an error).
Value FieldText(const ReportData& data, const std::string& table, const std::string& column) {
    return Value::Marked(data.Text(table, column));
}

// A published boundary: present, a number and not 0 (0 stands for "not
// published" in the industry's data).
std::optional<double> Boundary(const ReportData& data, const std::string& table, const std::string& column) {
    auto v = data.Number(table, column);
    if (v && *v == 0) return std::nullopt;
    return v;
}
// A boundary as the reports show it: "–" when it was not published.
Value BoundaryValue(const ReportData& data, const std::string& table, const std::string& column, int decimals) {
    auto v = data.Number(table, column);
    if (v && *v == 0) return Value::Null();
    return FieldNumber(data, table, column, decimals, NumberKind::Plain);
}

// Two pieces shown together in one cell ("Median" over "2010").
Value Joined(const Value& a, const Value& b) { return Value::Marked(a.text + " " + b.text); }

// A row of a table: its pieces in column order.
using Row = std::vector<Value>;

void FillRatioNames(Section& row, const RatioDef& r, Lang lang, int index) {
    row.SetText("NAME", Name(r.nameId, lang));
    row.SetText("CODE", r.code);
    row.SetText("DIRECTION", Name(r.higherIsBetter ? kHigherBetter : kLowerBetter, lang));
    row.SetText("DIRECTION_ARROW", r.higherIsBetter ? "↑" : "↓");
    row.SetText("ROW_SHADE", index % 2 ? "odd" : "even");
    row.SetText("UNIT", r.group == RatioGroup::Profitability ? "%" : "");
}

// A GROUP section for each of the three ratio groups, each holding a RATIO
// row per ratio in table order with its names, direction and shade; the
// table gets a row with the group's name before its ratios. `fill` writes the
// rest of the row and returns the table row's cells after the name and arrow.
void ForEachRatioRow(Section& parent, Block& table, Lang lang,
                     const std::function<Row(Section& row, const RatioDef& r)>& fill) {
    int i = 0;
    for (RatioGroup g : {RatioGroup::Profitability, RatioGroup::Efficiency, RatioGroup::Liquidity}) {
        Section& group = parent.Add("GROUP");
        group.SetText("GROUP_NAME", Name(RatioGroupNameId(g), lang));
        table.rows.push_back({*group.Find("GROUP_NAME")});
        for (const auto& r : Ratios()) {
            if (r.group != g) continue;
            Section& row = group.Add("RATIO");
            FillRatioNames(row, r, lang, i++);
            Row cells = {*row.Find("NAME"), *row.Find("DIRECTION_ARROW")};
            for (auto& c : fill(row, r)) cells.push_back(std::move(c));
            table.rows.push_back(std::move(cells));
        }
    }
}

// The balance-sheet lines in their three parts (PART and LINE sections, and a
// table row each); `fill` writes the rest of a line and returns its cells
// after the name.
void ForEachBalanceLine(Section& parent, Block& table, Lang lang,
                        const std::function<Row(Section& row, const BalanceLineDef& line, size_t index)>& fill) {
    int k = 0;
    const auto& lines = BalanceLines();
    for (int part = 0; part < 3; ++part) {
        Section& section = parent.Add("PART");
        section.SetText("PART_NAME", Name(part == 0 ? 150 : part == 1 ? 170 : kCurrentItems, lang));
        table.rows.push_back({*section.Find("PART_NAME")});
        for (size_t l = 0; l < lines.size(); ++l) {
            if (lines[l].part != part) continue;
            Section& row = section.Add("LINE");
            row.SetText("NAME", Name(lines[l].nameId, lang));
            row.SetText("ROW_STYLE", lines[l].total ? "total" : "item");
            row.SetText("ROW_SHADE", k++ % 2 ? "odd" : "even");
            row.Show(lines[l].total ? "TOTAL" : "ITEM");
            Row cells = {*row.Find("NAME")};
            for (auto& c : fill(row, lines[l], l)) cells.push_back(std::move(c));
            table.rows.push_back(std::move(cells));
        }
    }
}

// How each ratio is computed, written from the table the comparison computes
// with: FORMULA rows (NAME, TEXT), DEFINITION rows of the named quantities;
// the block: its heading, the table and the note.
void FillFormulas(ReportData& data, ReportModel& m) {
    const Lang lang = data.lang;
    Section& top = m.values;
    top.SetText("FORMULAS_TITLE", Name(kFormulasTitle, lang));
    top.SetText("FORMULA_HEAD", Name(kFormula, lang));
    top.SetText("FORMULAS_NOTE", Name(kFormulaNote, lang));
    m.Heading(2, {*top.Find("FORMULAS_TITLE")});
    Block& table = m.Table(1);
    table.rows.push_back({m.Caption("RATIO"), *top.Find("FORMULA_HEAD")});
    for (const auto& r : Ratios()) {
        Section& f = top.Add("FORMULA");
        f.SetText("NAME", Name(r.nameId, lang));
        f.SetText("TEXT", FormulaText(r, LangOffset(lang)));
        table.rows.push_back({*f.Find("NAME"), *f.Find("TEXT")});
    }
    for (const auto& [name, definition] : NamedQuantities(LangOffset(lang))) {
        Section& f = top.Add("DEFINITION");
        f.SetText("NAME", name);
        f.SetText("TEXT", definition);
        table.rows.push_back({*f.Find("NAME"), Value::Text("= " + definition)});
    }
    m.Line({*top.Find("FORMULAS_NOTE")});
}

// The heading of the two industry reports: the title, the data set and the
// industry, from the report's title table.
void FillIndustryHeading(ReportData& data, ReportModel& m, const std::string& titles) {
    m.Heading(1, {FieldText(data, titles, "Title_Report")});
    m.Line({FieldText(data, titles, "Title_UpperLeft")});
    m.Line({FieldText(data, titles, "Title_LowerLeft")});
    m.Line({m.Caption("NAICS"), FieldText(data, titles, "Naics")});
    m.Line({FieldText(data, kYearTables[0], "IndustryDescription")});
    m.Line({FieldText(data, titles, "Title_LowerRight")});
}

// The number of enterprises of each year's industry: Y0_FIRMS, Y1_FIRMS, Y2_FIRMS.
std::vector<Value> FillFirmCounts(ReportData& data, Section& top) {
    std::vector<Value> counts;
    for (int y = 0; y < 3; ++y) {
        top.Set(std::string(kYearNames[y]) + "_FIRMS", FieldNumber(data, kYearTables[y], "NumberOfFirms", 0, NumberKind::Plain));
        counts.push_back(*top.Find(std::string(kYearNames[y]) + "_FIRMS"));
    }
    return counts;
}

void FillRatios(ReportData& data, ReportModel& m) {
    const std::string titles = "Rpt_Ratios_Titles";
    Section& top = m.values;
    FillIndustryHeading(data, m, titles);

    Value years[3];
    for (int y = 0; y < 3; ++y) years[y] = FieldText(data, titles, "Year_" + std::to_string(y));
    Block& table = m.Table(2);
    table.rows.push_back({m.Caption("RATIO"), {}, years[0], {}, {}, years[1], {}, {}, years[2]});
    Row second = {{}, {}};
    for (const auto& year : years)
        for (const Value& v : {m.Caption("Q1"), Joined(m.Caption("MEDIAN"), year), m.Caption("Q3")}) second.push_back(v);
    table.rows.push_back(std::move(second));
    ForEachRatioRow(top, table, data.lang, [&](Section& row, const RatioDef& r) {
        Row cells;
        for (int y = 0; y < 3; ++y) {
            for (int q = 1; q <= 3; ++q) {
                const std::string name = std::string(kYearNames[y]) + "_Q" + std::to_string(q);
                row.Set(name, BoundaryValue(data, kYearTables[y], std::string(r.code) + "Q" + std::to_string(q),
                                            RatioDecimals(r)));
                cells.push_back(*row.Find(name));
            }
        }
        return cells;
    });
    const auto counts = FillFirmCounts(data, top);
    table.rows.push_back({m.Caption("FIRMS"), {}, counts[0], {}, {}, counts[1], {}, {}, counts[2]});
    m.Line({m.Caption("ARROWS")});
    m.Line({m.Caption("QUARTILES")});

    // The shares of enterprises with profits and losses: Y0_OPP ... Y2_NPL.
    m.Heading(2, {m.Caption("PROFIT_TITLE")});
    Block& profits = m.Table(2);
    profits.rows.push_back({{}, years[0], {}, years[1], {}, years[2]});
    profits.rows.push_back({{}});
    for (int y = 0; y < 3; ++y)
        for (const char* c : {"WITH_PROFIT", "WITH_LOSS"}) profits.rows.back().push_back(m.Caption(c));
    const char* const captions[] = {"OPERATING", "PRETAX", "NET"};
    for (size_t k = 0; k < 3; ++k) {
        Row cells = {m.Caption(captions[k])};
        for (int y = 0; y < 3; ++y) {
            for (const char* column : {kProfitRows[k].profitColumn, kProfitRows[k].lossColumn}) {
                const std::string name = std::string(kYearNames[y]) + "_" + column;
                top.Set(name, FieldNumber(data, kYearTables[y], column, 1, NumberKind::Percent));
                cells.push_back(*top.Find(name));
            }
        }
        profits.rows.push_back(std::move(cells));
    }
    m.Line({m.Caption("DASH")});
    m.Line({FieldText(data, titles, "Title_Note")});
    FillFormulas(data, m);
}

void FillBalanceSheet(ReportData& data, ReportModel& m) {
    const std::string titles = "Rpt_BalanceSheet_Titles";
    Section& top = m.values;
    FillIndustryHeading(data, m, titles);
    Block& table = m.Table(1);
    table.rows.push_back({m.Caption("UNIT")});
    for (int y = 0; y < 3; ++y) table.rows.back().push_back(FieldText(data, titles, "Year_" + std::to_string(y)));
    ForEachBalanceLine(top, table, data.lang, [&](Section& row, const BalanceLineDef& l, size_t) {
        Row cells;
        for (int y = 0; y < 3; ++y) {
            row.Set(kYearNames[y], FieldNumber(data, kYearTables[y], l.industryColumn, 1, NumberKind::Percent));
            cells.push_back(*row.Find(kYearNames[y]));
        }
        return cells;
    });
    Row firms = {m.Caption("FIRMS")};
    for (auto& v : FillFirmCounts(data, top)) firms.push_back(std::move(v));
    table.rows.push_back(std::move(firms));
    m.Line({m.Caption("EXPLAIN")});
    m.Line({m.Caption("DASH")});
    m.Line({FieldText(data, titles, "Title_Note")});
}

// True when a ratio's denominator is zero, so that the 0 stored for it (the
// safe quotient's answer) is no ratio at all. Read from the enterprise's
// amounts when the report has them; otherwise from the stored row, where the
// balance-sheet amounts are kept as percentages of total assets (zero exactly
// when the amount is) and sales not at all: there a stored 0 with a non-zero
// numerator also tells of a zero denominator.
bool DenominatorIsZero(const ReportData& data, const RatioDef& r) {
    const std::string C = "Rpt_Comparison";
    if (data.comparisonValues.size() > static_cast<size_t>(cv::CurrentLiabilities)) {
        bool ok = true;
        auto amount = [&](int i) {
            auto v = ParseNumber(data.comparisonValues[static_cast<size_t>(i)]);
            ok = ok && v.has_value();
            return v.value_or(0.0);
        };
        const double d = QuantityValue(r.denominator, amount);
        // The amounts are in ten-thousandths: anything smaller is the noise of summing them.
        if (ok) return std::fabs(d) < 0.00005;
    }
    auto stored = [&](const Quantity& q, bool* known) {
        double largest = 0;
        const double sum = QuantityValue(q, [&](int i) {
            const char* col = AmountColumn(i);
            auto v = col ? data.Number(C, col) : std::nullopt;
            if (!v) *known = false;
            largest = std::max(largest, std::fabs(v.value_or(0.0)));
            return v.value_or(0.0);
        });
        return std::fabs(sum) <= 1e-9 * largest ? 0.0 : sum;
    };
    bool denKnown = true, numKnown = true;
    const double den = stored(r.denominator, &denKnown);
    if (denKnown) return den == 0;
    const double num = stored(r.numerator, &numKnown);
    auto value = data.Number(C, r.valueColumn);
    return numKnown && num != 0 && value && *value == 0;
}

// A ranked ratio beside its industry's median, for the summary and the gaps.
struct Standing {
    const RatioDef* ratio = nullptr;
    double value = 0, median = 0;
    double better = 0, worse = 0;
    double score = 0;  // distance from the median in the better direction, per spread of the middle half
    std::string words;  // the position column's words
    std::string gap;    // the dollar-gap sentence, for a ratio on the weaker side
};

std::string ShownRatio(const RatioDef& r, double v, Lang lang) {
    return r.percent ? FormatPercent(v, RatioDecimals(r), lang) : FormatNumber(v, RatioDecimals(r), lang);
}

// The summary at the top: the three ratios on the better side of the median
// where the enterprise stands best, the three on the weaker side where it
// stands worst, each by its position words and its distance from the median;
// a table for each side.
void FillSummary(const std::vector<Standing>& standings, Lang lang, Section& top, Block& bestTable,
                 Block& worstTable) {
    top.SetText("SUMMARY_TITLE", Name(kSummaryTitle, lang));
    top.SetText("BEST_TITLE", Name(kStandsBest, lang));
    top.SetText("WORST_TITLE", Name(kStandsWorst, lang));
    top.SetText("GAP_TEXT", "");  // shown only in the rows that have a gap
    bestTable.rows.push_back({*top.Find("BEST_TITLE")});
    worstTable.rows.push_back({*top.Find("WORST_TITLE")});
    std::vector<const Standing*> best, worst;
    for (const auto& s : standings) {
        const double side = s.score;
        if (side > 0) best.push_back(&s);
        else if (side < 0) worst.push_back(&s);
    }
    std::stable_sort(best.begin(), best.end(), [](const Standing* a, const Standing* b) {
        return a->better != b->better ? a->better > b->better : a->score > b->score;
    });
    std::stable_sort(worst.begin(), worst.end(), [](const Standing* a, const Standing* b) {
        return a->worse != b->worse ? a->worse > b->worse : a->score < b->score;
    });
    auto fill = [&](const std::vector<const Standing*>& list, const char* section, int noneId, Block& table) {
        if (list.empty()) {
            Section& none = top.Add(section);
            none.SetText("NAME", "");
            none.SetText("TEXT", Name(noneId, lang));
            table.rows.push_back({*none.Find("NAME"), *none.Find("TEXT")});
        }
        for (size_t k = 0; k < list.size() && k < 3; ++k) {
            const Standing& s = *list[k];
            Section& row = top.Add(section);
            std::string text = Txt(kAgainstMedian, LangOffset(lang));
            auto put = [&](const std::string& key, const std::string& v) {
                for (size_t p = 0; (p = text.find(key, p)) != std::string::npos; p += v.size()) text.replace(p, key.size(), v);
            };
            put("{V}", ShownRatio(*s.ratio, s.value, lang));
            put("{M}", ShownRatio(*s.ratio, s.median, lang));
            put("{P}", s.words);
            row.SetText("NAME", Name(s.ratio->nameId, lang));
            row.SetText("TEXT", text);
            Row cells = {*row.Find("NAME"), *row.Find("TEXT")};
            if (!s.gap.empty()) {
                Section& gap = row.Add("HAS_GAP");
                gap.SetText("GAP_TEXT", s.gap);
                cells.push_back(*gap.Find("GAP_TEXT"));
            }
            table.rows.push_back(std::move(cells));
        }
    };
    fill(best, "BEST", kNoneBetter, bestTable);
    fill(worst, "WORST", kNoneWeaker, worstTable);
}

void FillComparison(ReportData& data, ReportModel& m) {
    const std::string C = "Rpt_Comparison", titles = "Rpt_Comparison_Titles";
    const Lang lang = data.lang;
    Section& top = m.values;

    // The report data table of the enterprise's year.
    std::string why;
    auto year = data.Number(C, "MyYear", &why);
    std::string yearTable = year ? YearTable(static_cast<int>(std::lround(*year))) : std::string();
    if (year && yearTable.empty()) {
        why = ErrorMarker(C + ".MyYear = " + FormatNumber(*year, 0, Lang::English));
        data.errors.push_back(C + ".MyYear = " + FormatNumber(*year, 0, Lang::English));
    }
    auto equity = data.Number(C, "MyEquity1");  // in % of total assets: the sign is the amount's
    const bool negativeEquity = equity && *equity < 0;

    // The heading: the enterprise, its year and data set, the industry.
    top.Set("NUMBER_OF_FIRMS", FieldNumber(data, C, "NumberOfFirms", 0, NumberKind::Plain));
    m.Heading(1, {FieldText(data, titles, "Title_Report")});
    m.Line({FieldText(data, C, "MyFirmName"), m.Caption("YEAR"), FieldText(data, C, "MyYear")});
    m.Line({FieldText(data, C, "MyVol")});
    m.Line({m.Caption("NAICS"), FieldText(data, C, "MyNAICS")});
    m.Line({FieldText(data, C, "MyIndustry")});
    m.Line({m.Caption("FIRMS"), *top.Find("NUMBER_OF_FIRMS")});

    top.Set("LEGEND_MIDDLE_HALF", data.AddImage(LegendSymbol(LegendMark::MiddleHalf)));
    top.Set("LEGEND_MEDIAN", data.AddImage(LegendSymbol(LegendMark::Median)));
    top.Set("LEGEND_ENTERPRISE", data.AddImage(LegendSymbol(LegendMark::Enterprise)));
    top.Set("LEGEND_ENTERPRISE_BAR", data.AddImage(LegendSymbol(LegendMark::EnterpriseBar)));
    top.Set("LEGEND_INDUSTRY_BAR", data.AddImage(LegendSymbol(LegendMark::IndustryBar)));
    top.SetText("YOUR_ENTERPRISE", Name(kYourEnterprise, lang));
    top.SetText("INDUSTRY", Name(kIndustry, lang));

    const auto amounts = AmountsOf(data.comparisonValues);
    std::vector<Standing> standings;
    Section* gaps = nullptr;  // shown once there is a gap
    top.SetText("GAPS_TITLE", Name(kGapsTitle, lang));
    top.SetText("GAPS_NOTE", Name(kGapsNote, lang));
    top.SetText("CHANGE_NEEDED", Name(kChangeNeeded, lang));
    Block gapTable;
    gapTable.kind = Block::Kind::Table;
    gapTable.headerRows = 1;
    gapTable.rows.push_back({m.Caption("RATIO"), *top.Find("CHANGE_NEEDED")});

    Block ratios;
    ratios.kind = Block::Kind::Table;
    ratios.headerRows = 1;
    ratios.rows.push_back({m.Caption("RATIO"), {}, m.Caption("YOURS"), m.Caption("Q1"), m.Caption("MEDIAN"),
                           m.Caption("Q3"), m.Caption("POSITION"), m.Caption("STANDING")});
    ForEachRatioRow(top, ratios, lang, [&](Section& row, const RatioDef& r) {
        const int dec = RatioDecimals(r);
        const RatioState state = negativeEquity && r.equityRule ? RatioState::NotRanked
                                 : DenominatorIsZero(data, r)   ? RatioState::NotMeaningful
                                                                : RatioState::Ranked;
        row.Set("VALUE", state == RatioState::Ranked ? FieldNumber(data, C, r.valueColumn, dec, NumberKind::Plain)
                                                     : Value::Null());
        std::optional<double> qv[3];
        for (int k = 0; k < 3; ++k) {
            const std::string col = std::string(r.code) + "Q" + std::to_string(k + 1);
            if (yearTable.empty()) {
                row.SetMarked("Q" + std::to_string(k + 1), why);
            } else {
                row.Set("Q" + std::to_string(k + 1), BoundaryValue(data, yearTable, col, dec));
                qv[k] = Boundary(data, yearTable, col);
            }
        }
        const Published published{qv[0].has_value(), qv[1].has_value(), qv[2].has_value()};
        auto better = data.Number(C, r.betterColumn);
        auto worse = data.Number(C, r.worseColumn);
        row.Set("BETTER", better ? Value::Number(*better, 0, NumberKind::Percent, lang)
                                 : FieldText(data, C, r.betterColumn));
        row.Set("WORSE", FieldNumber(data, C, r.worseColumn, 0, NumberKind::Percent));
        if (state == RatioState::Ranked && (!better || !worse)) {
            row.Set("STANDING", better ? FieldText(data, C, r.worseColumn) : FieldText(data, C, r.betterColumn));
        } else {
            const std::string words =
                StandingText(r, better.value_or(0), worse.value_or(0), published, state, lang);
            if (words.empty()) row.Set("STANDING", Value::Null());
            else row.SetText("STANDING", words);
        }

        auto value = data.Number(C, r.valueColumn);
        if (state == RatioState::Ranked && value && qv[1] && better && worse) {
            Standing s;
            s.ratio = &r;
            s.value = *value;
            s.median = *qv[1];
            s.better = *better;
            s.worse = *worse;
            double spread = qv[0] && qv[2] ? std::fabs(*qv[2] - *qv[0]) : 0;
            if (spread == 0) spread = std::fabs(*qv[1]);
            const double ahead = r.higherIsBetter ? RoundForRanking(*value) - s.median
                                                  : s.median - RoundForRanking(*value);
            s.score = ahead / spread;
            s.words = StandingText(r, *better, *worse, published, state, lang);
            if (amounts) {
                if (auto gap = GapToMedian(r, *amounts, s.median)) {
                    s.gap = GapText(r, *gap, s.median, lang);
                    if (!gaps) gaps = &top.Add("GAPS");
                    Section& g = gaps->Add("GAP_ROW");
                    g.SetText("NAME", Name(r.nameId, lang));
                    g.SetText("TEXT", s.gap);
                    gapTable.rows.push_back({*g.Find("NAME"), *g.Find("TEXT")});
                }
            }
            if (ahead != 0) standings.push_back(s);
        }
        if (state == RatioState::Ranked && value && (published.q1 || published.q2 || published.q3))
            row.Set("CHART", data.AddImage(QuartileChart(qv[0], qv[1], qv[2], *value, r.higherIsBetter,
                                                         {lang, dec, Name(r.nameId, lang)})));
        else
            row.Set("CHART", Value::Null());
        return Row{*row.Find("VALUE"), *row.Find("Q1"), *row.Find("Q2"), *row.Find("Q3"), *row.Find("CHART"),
                   *row.Find("STANDING")};
    });

    // The summary and the dollar gaps come first in the report.
    Block best, worst;
    best.kind = worst.kind = Block::Kind::Table;
    best.headerRows = worst.headerRows = 1;
    FillSummary(standings, lang, top, best, worst);
    m.Heading(2, {*top.Find("SUMMARY_TITLE")});
    m.blocks.push_back(std::move(best));
    m.blocks.push_back(std::move(worst));
    if (gaps) {
        m.Line({*top.Find("GAPS_TITLE")});
        m.blocks.push_back(std::move(gapTable));
        m.Line({*top.Find("GAPS_NOTE")});
    }
    m.Heading(2, {m.Caption("RATIOS_TITLE")});
    m.Line({m.Caption("ARROWS")});
    m.Line({m.Caption("LEGEND_BOX"), m.Caption("LEGEND_MED"), m.Caption("LEGEND_YOU")});
    m.blocks.push_back(std::move(ratios));

    // The balance-sheet structure, its chart, the income statement, the profits and losses.
    m.Heading(2, {m.Caption("BALANCE_TITLE")});
    Block& balance = m.Table(1);
    balance.rows.push_back({m.Caption("UNIT"), *top.Find("YOUR_ENTERPRISE"), *top.Find("INDUSTRY"),
                            m.Caption("VARIANCE")});
    std::vector<BarLine> bars;
    ForEachBalanceLine(top, balance, lang, [&](Section& row, const BalanceLineDef& l, size_t) {
        row.Set("MINE", FieldNumber(data, C, l.enterpriseColumn, 1, NumberKind::Percent));
        row.Set("INDUSTRY_PCT", FieldNumber(data, C, l.industryColumn, 1, NumberKind::Percent));
        auto mine = data.Number(C, l.enterpriseColumn);
        auto ind = data.Number(C, l.industryColumn);
        // The variance of the two percentages as shown (3.8% against 4.5%
        // is -0.7), so that the three figures of a line always agree.
        if (mine && ind && data.Number(C, l.varianceColumn))
            row.Set("VARIANCE", Value::Number(ShownValue(*mine, 1) - ShownValue(*ind, 1), 1, NumberKind::Signed, lang));
        else
            row.Set("VARIANCE", FieldNumber(data, C, l.varianceColumn, 1, NumberKind::Signed));
        if (!l.total && mine && ind) bars.push_back({Name(l.nameId, lang), *mine, *ind});
        return Row{*row.Find("MINE"), *row.Find("INDUSTRY_PCT"), *row.Find("VARIANCE")};
    });
    m.Line({m.Caption("VARIANCE_NOTE")});
    top.SetText("BALANCE_CHART_TITLE", Name(kBalanceChartAlt, lang));
    if (!bars.empty())
        top.Set("BALANCE_CHART", data.AddImage(BalanceChart(bars, {lang, 1, Name(kBalanceChartAlt, lang)})));
    else
        top.Set("BALANCE_CHART", Value::Null());
    m.Line({*top.Find("BALANCE_CHART_TITLE")});
    m.Line({*top.Find("BALANCE_CHART")});

    // The income statement's amounts: REVENUE_AMOUNT ... AFTERTAX_AMOUNT.
    m.Heading(2, {m.Caption("INCOME_TITLE")});
    Block& income = m.Table(1);
    income.rows.push_back({{}, m.Caption("AMOUNT")});
    const std::pair<const char*, const char*> incomeLines[] = {
        {"REVENUE", "MyOperatingRevenue"}, {"GROSS", "MyGrossProfit"},     {"OPPROFIT", "MyOperatingProfit"},
        {"INTEREST", "MyInterestExpense"}, {"PRETAX", "MyPretaxProfit"},   {"AFTERTAX", "MyProfitAfterTax"}};
    for (const auto& [caption, column] : incomeLines) {
        const std::string name = std::string(caption) + "_AMOUNT";
        top.Set(name, FieldNumber(data, C, column, 0, NumberKind::Plain));
        income.rows.push_back({m.Caption(caption), *top.Find(name)});
    }

    // The industry's shares of enterprises with profits and losses: OPP ... NPL.
    m.Heading(2, {m.Caption("PROFIT_TITLE")});
    Block& profits = m.Table(1);
    profits.rows.push_back({{}, m.Caption("WITH_PROFIT"), m.Caption("WITH_LOSS")});
    const char* const captions[] = {"OPERATING", "PRETAX_PL", "NET_PL"};
    for (size_t k = 0; k < 3; ++k) {
        Row cells = {m.Caption(captions[k])};
        for (const char* column : {kProfitRows[k].profitColumn, kProfitRows[k].lossColumn}) {
            top.Set(column, FieldNumber(data, C, column, 1, NumberKind::Percent));
            cells.push_back(*top.Find(column));
        }
        profits.rows.push_back(std::move(cells));
    }

    FillFormulas(data, m);
    m.Line({m.Caption("DASH")});
    m.Line({FieldText(data, titles, "Title_Note")});
}

// The amounts of the balance-sheet lines, in the order of BalanceLines().
constexpr int kLineAmounts[] = {cv::Cash, cv::Ar, cv::Inv, cv::CA, cv::OA, cv::Toa, cv::Invest, cv::Ptfl, cv::Ta,
                                cv::AccountsPayable, cv::Paper, cv::Mtg, cv::Bonds, cv::Ol, cv::AmtsAffil,
                                cv::OLiab, cv::DefTax, cv::Tliab, cv::ShareC, cv::RetEarn, cv::OtherSur,
                                cv::Equity1, cv::TotLiabShareEq, cv::CurrentAssets, cv::CurrentLiabilities};

// The enterprise's saved years beside the industry of each year: the fifteen
// ratios with a chart each, and the balance-sheet structure. With fewer than
// two saved years, the words that say how to add one.
void FillTrend(ReportData& data, ReportModel& m) {
    const Lang lang = data.lang;
    const int o = LangOffset(lang);
    Section& top = m.values;
    const auto& cvs = data.comparisonValues;
    top.SetText("FIRM_NAME", !data.savedYears.empty() ? data.savedYears.back().second[0] : cvs.empty() ? "" : cvs[0]);
    top.SetText("FIRM_NAICS", cvs.size() > 3 ? cvs[2] : "");
    top.SetText("FIRM_INDUSTRY", cvs.size() > 3 ? cvs[3] : "");
    top.SetText("TREND_SUBTITLE", Name(2058, lang));
    top.Set("LEGEND_MIDDLE_HALF", data.AddImage(LegendSymbol(LegendMark::MiddleHalf)));
    top.Set("LEGEND_MEDIAN", data.AddImage(LegendSymbol(LegendMark::MedianLine)));
    top.Set("LEGEND_ENTERPRISE", data.AddImage(LegendSymbol(LegendMark::EnterpriseLine)));
    top.SetText("YOUR_ENTERPRISE", Name(kYourEnterprise, lang));
    top.SetText("INDUSTRY", Name(kIndustry, lang));
    m.Heading(1, {m.Caption("TITLE")});
    m.Line({*top.Find("FIRM_NAME")});
    m.Line({*top.Find("TREND_SUBTITLE")});
    m.Line({m.Caption("NAICS"), *top.Find("FIRM_NAICS")});
    m.Line({*top.Find("FIRM_INDUSTRY")});

    struct Year {
        int year;
        Amounts amounts;
        std::string table;
    };
    std::vector<Year> years;
    std::string listed;
    for (const auto& [y, values] : data.savedYears) {
        auto a = AmountsOf(values);
        if (!a) continue;
        years.push_back({y, *a, YearTable(y)});
        listed += (listed.empty() ? "" : ", ") + std::to_string(y);
    }
    // The columns of the two tables (name, arrow, two a year, chart; name, two a year).
    top.SetText("RATIO_COLUMNS", std::to_string(3 + 2 * years.size()));
    top.SetText("LINE_COLUMNS", std::to_string(1 + 2 * years.size()));
    if (years.size() < 2) {
        std::string text = EditionText(2052, o);
        const std::string list = listed.empty() ? Name(2054, lang) : listed;
        text.replace(text.find("{Y}"), 3, list);
        Section& one = top.Add("ONE_YEAR");
        one.SetText("TEXT", text);
        m.Line({*one.Find("TEXT")});
        // The rows' names are not shown: filled empty so that none counts as unknown.
        for (const char* name : {"YEAR", "GROUP_NAME", "NAME", "DIRECTION_ARROW", "ROW_SHADE", "MINE", "MEDIAN",
                                 "CHART", "PART_NAME", "ROW_STYLE", "INDUSTRY_PCT"})
            top.SetText(name, "");
        m.Line({FieldText(data, "Rpt_Comparison_Titles", "Title_Note")});
        return;
    }
    top.SetText("TEXT", "");  // the words of a single year, not shown
    Section& trend = top.Add("TREND");
    for (const auto& y : years) trend.Add("YEAR_HEAD").SetText("YEAR", std::to_string(y.year));

    m.Heading(2, {m.Caption("RATIOS_TITLE")});
    m.Line({m.Caption("ARROWS")});
    m.Line({m.Caption("LEGEND_BOX"), m.Caption("LEGEND_MED"), m.Caption("LEGEND_YOU")});
    Block& ratios = m.Table(1);
    ratios.rows.push_back({m.Caption("RATIO"), {}});
    for (const auto& y : years)
        for (const char* c : {"YOURS", "MEDIAN"})
            ratios.rows.back().push_back(Joined(Value::Text(std::to_string(y.year)), m.Caption(c)));
    ratios.rows.back().push_back(m.Caption("CHART_HEAD"));
    ForEachRatioRow(trend, ratios, lang, [&](Section& row, const RatioDef& r) {
        const int dec = RatioDecimals(r);
        std::vector<TrendPoint> points;
        Row cells;
        for (const auto& y : years) {
            TrendPoint pt;
            pt.year = y.year;
            if (!(r.equityRule && y.amounts[static_cast<size_t>(cv::Equity1)] < 0))
                pt.mine = RatioValue(r, y.amounts);
            pt.q1 = Boundary(data, y.table, std::string(r.code) + "Q1");
            pt.q2 = Boundary(data, y.table, std::string(r.code) + "Q2");
            pt.q3 = Boundary(data, y.table, std::string(r.code) + "Q3");
            Section& cell = row.Add("CELL");
            cell.Set("MINE", pt.mine ? Value::Number(*pt.mine, dec, NumberKind::Plain, lang) : Value::Null());
            cell.Set("MEDIAN", BoundaryValue(data, y.table, std::string(r.code) + "Q2", dec));
            cells.push_back(*cell.Find("MINE"));
            cells.push_back(*cell.Find("MEDIAN"));
            points.push_back(pt);
        }
        row.Set("CHART", data.AddImage(TrendChart(points, r.higherIsBetter, {lang, dec, Name(r.nameId, lang)})));
        cells.push_back(*row.Find("CHART"));
        return cells;
    });

    m.Heading(2, {m.Caption("BALANCE_TITLE")});
    Block& balance = m.Table(1);
    balance.rows.push_back({m.Caption("UNIT")});
    for (const auto& y : years)
        for (const char* c : {"YOURS_SHORT", "INDUSTRY_SHORT"})
            balance.rows.back().push_back(Joined(Value::Text(std::to_string(y.year)), m.Caption(c)));
    ForEachBalanceLine(trend, balance, lang, [&](Section& row, const BalanceLineDef& line, size_t l) {
        Row cells;
        for (const auto& y : years) {
            Section& cell = row.Add("CELL");
            const double ta = y.amounts[static_cast<size_t>(cv::Ta)];
            if (ta != 0)
                cell.Set("MINE", Value::Number(y.amounts[static_cast<size_t>(kLineAmounts[l])] / ta * 100, 1,
                                               NumberKind::Percent, lang));
            else
                cell.Set("MINE", Value::Null());
            cell.Set("INDUSTRY_PCT", FieldNumber(data, y.table, line.industryColumn, 1, NumberKind::Percent));
            cells.push_back(*cell.Find("MINE"));
            cells.push_back(*cell.Find("INDUSTRY_PCT"));
        }
        return cells;
    });
    m.Line({FieldText(data, "Rpt_Comparison_Titles", "Title_Note")});
}

} // namespace

const std::vector<BalanceLineDef>& BalanceLines() {
    static const std::vector<BalanceLineDef> lines = {
        {152, "A11", "MyCash", "VarianceCash", 0, false},
        {154, "A12", "MyAr", "VarianceAR", 0, false},
        {156, "A13", "MyInv", "VarianceInvent", 0, false},
        {158, "A18", "MyCA", "VarianceCA", 0, false},
        {160, "A19", "MyOA", "VarianceOA", 0, false},
        {162, "TOTOA", "MyToa", "VarianceTOA", 0, true},
        {164, "A14", "MyInvest", "VarianceInvest", 0, false},
        {166, "A151617", "MyPtfl", "VariancePTFL", 0, false},
        {168, "TOTASS", "MyTa", "VarianceTOTASS", 0, true},
        {172, "A22", "MyAccountsPayable", "VarianceAP", 1, false},
        {176, "A25200", "MyPaper", "VarianceSTPAPER", 1, false},
        {178, "A25500", "MyMtg", "VarianceMTG", 1, false},
        {180, "A25400", "MyBonds", "VarianceBonds", 1, false},
        {182, "A25180", "MyOl", "VarianceOLoans", 1, false},
        {184, "A24", "MyAmtsAffil", "VarianceAOTA", 1, false},
        {186, "A2329", "MyOLiab", "VarianceOLiab", 1, false},
        {188, "A27", "MyDefTax", "VarianceDefTax", 1, false},
        {190, "TOTLIAB", "MyTliab", "VarianceTL", 1, true},
        {192, "A31", "MyShareC", "VarianceSC", 1, false},
        {194, "A38", "MyRetEarn", "VarianceRE", 1, false},
        {196, "A283334", "MyOtherSur", "VarianceOS", 1, false},
        {198, "TOTSE", "MyEquity1", "VarianceEq", 1, true},
        {200, "TOTLSE", "MyTotLiabShareEq", "VarianceSETL", 1, true},
        {202, "CURASS", "MyCurrentAssets", "VarianceCurrA", 2, false},
        {204, "CURLiab", "MyCurrentLiabilities", "VarianceCurrL", 2, false},
    };
    return lines;
}

std::string YearTable(int year) {
    static const char* const tables[] = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};
    const int slot = CurrentEdition().Slot(year);
    return slot < 0 ? std::string() : tables[slot];
}

std::string StandingText(const RatioDef& ratio, double better, double worse, Published published, RatioState state,
                         Lang lang) {
    switch (state) {
    case RatioState::NotRanked: return Name(kNotRanked, lang);
    case RatioState::NotMeaningful:
        return Name(kNotMeaningful, lang) + " (" + DenominatorName(ratio, LangOffset(lang)) + " = 0)";
    case RatioState::Ranked: break;
    }
    if (published.q1 && published.q2 && published.q3) {
        if (better <= 0) return Name(kLowestQuarter, lang);
        return Txt(kBetterThanAbout, LangOffset(lang)) + FormatPercent(better, 0, lang) +
               Txt(kOfEnterprises, LangOffset(lang));
    }
    if (!published.q2) return {};
    // The ranks say on which side of the median the ratio lies: better
    // reaches 50 only past it, worse only short of it.
    if (better >= 50) return Name(ratio.higherIsBetter ? kAboveMedian : kBelowMedian, lang);
    if (worse >= 50) return Name(ratio.higherIsBetter ? kBelowMedian : kAboveMedian, lang);
    return Name(kAtMedian, lang);
}

void FillBuiltIn(const std::string& kind, ReportData& data, ReportModel& model) {
    if (kind == "ratios") FillRatios(data, model);
    else if (kind == "balancesheet") FillBalanceSheet(data, model);
    else if (kind == "comparison") FillComparison(data, model);
    else if (kind == "trend") FillTrend(data, model);
    else data.errors.push_back("REPORT " + kind + "?");
}

} // namespace zorva::report
