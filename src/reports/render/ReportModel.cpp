#include "reports/render/ReportModel.h"

#include "core/Strings.h"
#include "reports/prep/DollarGaps.h"
#include "reports/prep/Ranking.h"
#include "reports/render/ReportCharts.h"

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

int LangOffset(Lang lang) { return lang == Lang::French ? 1 : 0; }

std::string Name(int id, Lang lang) {
    std::string s = Txt(id, LangOffset(lang));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// A field formatted by one of the number forms, or the marker saying why not.
enum class Form { Number, Percent, Signed };
std::string Formatted(const ReportData& data, const std::string& table, const std::string& column, int decimals,
                      Form form) {
    std::string text = data.Text(table, column);
    if (text.find("\uE000") != std::string::npos) return text;  // missing, Null
    auto v = ParseNumber(text);
    if (!v) {
        std::string why;
        data.Number(table, column, &why);
        return why;
    }
    switch (form) {
    case Form::Percent: return FormatPercent(*v, decimals, data.lang);
    case Form::Signed: return FormatSigned(*v, decimals, data.lang);
    default: return FormatNumber(*v, decimals, data.lang);
    }
}

// A number as shown with `decimals` places.
double Shown(double value, int decimals) {
    std::string text = FormatNumber(value, decimals, Lang::English);
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());  // thousands groups
    return ParseNumber(text).value_or(value);
}

// A published boundary: present, a number and not 0 (0 stands for "not
// published" in the industry's data).
std::optional<double> Boundary(const ReportData& data, const std::string& table, const std::string& column) {
    auto v = data.Number(table, column);
    if (v && *v == 0) return std::nullopt;
    return v;
}
// A boundary as the reports show it: "–" when it was not published.
std::string BoundaryText(const ReportData& data, const std::string& table, const std::string& column, int decimals) {
    auto v = data.Number(table, column);
    if (v && *v == 0) return NullMarker();
    return Formatted(data, table, column, decimals, Form::Number);
}

const char* kYearTables[] = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};

void FillRatioNames(Dict& row, const RatioDef& r, Lang lang, int index) {
    row.Set("NAME", Name(r.nameId, lang));
    row.Set("CODE", r.code);
    row.Set("DIRECTION", Name(r.higherIsBetter ? kHigherBetter : kLowerBetter, lang));
    row.Set("DIRECTION_ARROW", r.higherIsBetter ? "↑" : "↓");
    row.Set("ROW_SHADE", index % 2 ? "odd" : "even");
    row.Set("UNIT", r.group == RatioGroup::Profitability ? "%" : "");
}

// A GROUP section for each of the three ratio groups, each holding a RATIO
// row per ratio in table order with its names, direction and shade; `fill`
// writes the rest of the row.
void ForEachRatioRow(Dict& parent, Lang lang, const std::function<void(Dict& row, const RatioDef& r)>& fill) {
    int i = 0;
    for (RatioGroup g : {RatioGroup::Profitability, RatioGroup::Efficiency, RatioGroup::Liquidity}) {
        Dict group = parent.AddSection("GROUP");
        group.Set("GROUP_NAME", Name(RatioGroupNameId(g), lang));
        for (const auto& r : Ratios()) {
            if (r.group != g) continue;
            Dict row = group.AddSection("RATIO");
            FillRatioNames(row, r, lang, i++);
            fill(row, r);
        }
    }
}

// How each ratio is computed, written from the table the comparison computes
// with: FORMULA rows (NAME, TEXT), DEFINITION rows of the named quantities.
void FillFormulas(ReportData& data, Dict& top) {
    const Lang lang = data.lang;
    top.Set("FORMULAS_TITLE", Name(kFormulasTitle, lang));
    top.Set("FORMULA_HEAD", Name(kFormula, lang));
    top.Set("FORMULAS_NOTE", Name(kFormulaNote, lang));
    for (const auto& r : Ratios()) {
        Dict f = top.AddSection("FORMULA");
        f.Set("NAME", Name(r.nameId, lang));
        f.Set("TEXT", FormulaText(r, LangOffset(lang)));
    }
    for (const auto& [name, definition] : NamedQuantities(LangOffset(lang))) {
        Dict f = top.AddSection("DEFINITION");
        f.Set("NAME", name);
        f.Set("TEXT", definition);
    }
}

void FillRatios(ReportData& data, Dict& top) {
    FillFormulas(data, top);
    ForEachRatioRow(top, data.lang, [&](Dict& row, const RatioDef& r) {
        for (int y = 0; y < 3; ++y) {
            for (int q = 1; q <= 3; ++q) {
                row.SetMarked("Y" + std::to_string(y) + "_Q" + std::to_string(q),
                              BoundaryText(data, kYearTables[y], std::string(r.code) + "Q" + std::to_string(q),
                                           RatioDecimals(r)));
            }
        }
    });
}

void FillBalanceSheet(ReportData& data, Dict& top) {
    int i = 0;
    for (int part = 0; part < 3; ++part) {
        Dict section = top.AddSection("PART");
        section.Set("PART_NAME", Name(part == 0 ? 150 : part == 1 ? 170 : kCurrentItems, data.lang));
        for (const auto& l : BalanceLines()) {
            if (l.part != part) continue;
            Dict row = section.AddSection("LINE");
            row.Set("NAME", Name(l.nameId, data.lang));
            row.Set("ROW_STYLE", l.total ? "total" : "item");
            row.Set("ROW_SHADE", i++ % 2 ? "odd" : "even");
            if (l.total) row.ShowSection("TOTAL");
            else row.ShowSection("ITEM");
            for (int y = 0; y < 3; ++y)
                row.SetMarked("Y" + std::to_string(y),
                              Formatted(data, kYearTables[y], l.industryColumn, 1, Form::Percent));
        }
    }
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
// stands worst, each by its position words and its distance from the median.
void FillSummary(const std::vector<Standing>& standings, Lang lang, Dict& top) {
    top.Set("SUMMARY_TITLE", Name(kSummaryTitle, lang));
    top.Set("BEST_TITLE", Name(kStandsBest, lang));
    top.Set("WORST_TITLE", Name(kStandsWorst, lang));
    top.Set("GAP_TEXT", "");  // shown only in the rows that have a gap
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
    auto fill = [&](const std::vector<const Standing*>& list, const char* section, int noneId) {
        if (list.empty()) {
            Dict none = top.AddSection(section);
            none.Set("NAME", "");
            none.Set("TEXT", Name(noneId, lang));
        }
        for (size_t k = 0; k < list.size() && k < 3; ++k) {
            const Standing& s = *list[k];
            Dict row = top.AddSection(section);
            std::string text = Txt(kAgainstMedian, LangOffset(lang));
            auto put = [&](const std::string& key, const std::string& v) {
                for (size_t p = 0; (p = text.find(key, p)) != std::string::npos; p += v.size()) text.replace(p, key.size(), v);
            };
            put("{V}", ShownRatio(*s.ratio, s.value, lang));
            put("{M}", ShownRatio(*s.ratio, s.median, lang));
            put("{P}", s.words);
            row.Set("NAME", Name(s.ratio->nameId, lang));
            row.Set("TEXT", text);
            if (!s.gap.empty()) row.AddSection("HAS_GAP").Set("GAP_TEXT", s.gap);
        }
    };
    fill(best, "BEST", kNoneBetter);
    fill(worst, "WORST", kNoneWeaker);
}

void FillComparison(ReportData& data, Dict& top) {
    const std::string C = "Rpt_Comparison";
    const Lang lang = data.lang;

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

    top.SetMarked("LEGEND_MIDDLE_HALF", data.AddImage(LegendSymbol(LegendMark::MiddleHalf)));
    top.SetMarked("LEGEND_MEDIAN", data.AddImage(LegendSymbol(LegendMark::Median)));
    top.SetMarked("LEGEND_ENTERPRISE", data.AddImage(LegendSymbol(LegendMark::Enterprise)));
    top.SetMarked("LEGEND_ENTERPRISE_BAR", data.AddImage(LegendSymbol(LegendMark::EnterpriseBar)));
    top.SetMarked("LEGEND_INDUSTRY_BAR", data.AddImage(LegendSymbol(LegendMark::IndustryBar)));
    top.Set("YOUR_ENTERPRISE", Name(kYourEnterprise, lang));
    top.Set("INDUSTRY", Name(kIndustry, lang));

    const auto amounts = AmountsOf(data.comparisonValues);
    std::vector<Standing> standings;
    std::optional<Dict> gaps;  // shown once there is a gap
    top.Set("GAPS_TITLE", Name(kGapsTitle, lang));
    top.Set("GAPS_NOTE", Name(kGapsNote, lang));
    top.Set("CHANGE_NEEDED", Name(kChangeNeeded, lang));

    ForEachRatioRow(top, lang, [&](Dict& row, const RatioDef& r) {
        const int dec = RatioDecimals(r);
        const RatioState state = negativeEquity && r.equityRule ? RatioState::NotRanked
                                 : DenominatorIsZero(data, r)   ? RatioState::NotMeaningful
                                                                : RatioState::Ranked;
        row.SetMarked("VALUE", state == RatioState::Ranked ? Formatted(data, C, r.valueColumn, dec, Form::Number)
                                                           : NullMarker());
        std::optional<double> qv[3];
        for (int k = 0; k < 3; ++k) {
            const std::string col = std::string(r.code) + "Q" + std::to_string(k + 1);
            if (yearTable.empty()) {
                row.SetMarked("Q" + std::to_string(k + 1), why);
            } else {
                row.SetMarked("Q" + std::to_string(k + 1), BoundaryText(data, yearTable, col, dec));
                qv[k] = Boundary(data, yearTable, col);
            }
        }
        const Published published{qv[0].has_value(), qv[1].has_value(), qv[2].has_value()};
        auto better = data.Number(C, r.betterColumn);
        auto worse = data.Number(C, r.worseColumn);
        row.SetMarked("BETTER", better ? FormatPercent(*better, 0, lang) : data.Text(C, r.betterColumn));
        row.SetMarked("WORSE", Formatted(data, C, r.worseColumn, 0, Form::Percent));
        if (state == RatioState::Ranked && (!better || !worse)) {
            row.SetMarked("STANDING", better ? data.Text(C, r.worseColumn) : data.Text(C, r.betterColumn));
        } else {
            const std::string words =
                StandingText(r, better.value_or(0), worse.value_or(0), published, state, lang);
            if (words.empty()) row.SetMarked("STANDING", NullMarker());
            else row.Set("STANDING", words);
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
                    if (!gaps) gaps = top.AddSection("GAPS");
                    Dict g = gaps->AddSection("GAP_ROW");
                    g.Set("NAME", Name(r.nameId, lang));
                    g.Set("TEXT", s.gap);
                }
            }
            if (ahead != 0) standings.push_back(s);
        }
        if (state == RatioState::Ranked && value && (published.q1 || published.q2 || published.q3))
            row.SetMarked("CHART", data.AddImage(QuartileChart(qv[0], qv[1], qv[2], *value, r.higherIsBetter,
                                                               Name(r.nameId, lang))));
        else
            row.SetMarked("CHART", NullMarker());
    });

    FillSummary(standings, lang, top);
    FillFormulas(data, top);

    std::vector<BarLine> bars;
    int k = 0;
    for (int part = 0; part < 3; ++part) {
        Dict section = top.AddSection("PART");
        section.Set("PART_NAME", Name(part == 0 ? 150 : part == 1 ? 170 : kCurrentItems, lang));
        for (const auto& l : BalanceLines()) {
            if (l.part != part) continue;
            Dict row = section.AddSection("LINE");
            row.Set("NAME", Name(l.nameId, lang));
            row.Set("ROW_STYLE", l.total ? "total" : "item");
            row.Set("ROW_SHADE", k++ % 2 ? "odd" : "even");
            if (l.total) row.ShowSection("TOTAL");
            else row.ShowSection("ITEM");
            row.SetMarked("MINE", Formatted(data, C, l.enterpriseColumn, 1, Form::Percent));
            row.SetMarked("INDUSTRY_PCT", Formatted(data, C, l.industryColumn, 1, Form::Percent));
            auto mine = data.Number(C, l.enterpriseColumn);
            auto ind = data.Number(C, l.industryColumn);
            // The variance of the two percentages as shown (3.8% against 4.5%
            // is -0.7), so that the three figures of a line always agree.
            if (mine && ind && data.Number(C, l.varianceColumn))
                row.Set("VARIANCE", FormatSigned(Shown(*mine, 1) - Shown(*ind, 1), 1, lang));
            else
                row.SetMarked("VARIANCE", Formatted(data, C, l.varianceColumn, 1, Form::Signed));
            if (!l.total && mine && ind) bars.push_back({Name(l.nameId, lang), *mine, *ind});
        }
    }
    if (!bars.empty())
        top.SetMarked("BALANCE_CHART", data.AddImage(BalanceChart(bars, lang, Name(kBalanceChartAlt, lang))));
    else
        top.SetMarked("BALANCE_CHART", NullMarker());
    top.Set("BALANCE_CHART_TITLE", Name(kBalanceChartAlt, lang));
}

// The amounts of the balance-sheet lines, in the order of BalanceLines().
constexpr int kLineAmounts[] = {cv::Cash, cv::Ar, cv::Inv, cv::CA, cv::OA, cv::Toa, cv::Invest, cv::Ptfl, cv::Ta,
                                cv::AccountsPayable, cv::Paper, cv::Mtg, cv::Bonds, cv::Ol, cv::AmtsAffil,
                                cv::OLiab, cv::DefTax, cv::Tliab, cv::ShareC, cv::RetEarn, cv::OtherSur,
                                cv::Equity1, cv::TotLiabShareEq, cv::CurrentAssets, cv::CurrentLiabilities};

// The enterprise's saved years beside the industry of each year: the fifteen
// ratios with a chart each, and the balance-sheet structure. With fewer than
// two saved years, the words that say how to add one.
void FillTrend(ReportData& data, Dict& top) {
    const Lang lang = data.lang;
    const int o = LangOffset(lang);
    const auto& cvs = data.comparisonValues;
    top.Set("FIRM_NAME", !data.savedYears.empty() ? data.savedYears.back().second[0] : cvs.empty() ? "" : cvs[0]);
    top.Set("FIRM_NAICS", cvs.size() > 3 ? cvs[2] : "");
    top.Set("FIRM_INDUSTRY", cvs.size() > 3 ? cvs[3] : "");
    top.Set("TREND_SUBTITLE", Name(2058, lang));
    top.SetMarked("LEGEND_MIDDLE_HALF", data.AddImage(LegendSymbol(LegendMark::MiddleHalf)));
    top.SetMarked("LEGEND_MEDIAN", data.AddImage(LegendSymbol(LegendMark::MedianLine)));
    top.SetMarked("LEGEND_ENTERPRISE", data.AddImage(LegendSymbol(LegendMark::EnterpriseLine)));
    top.Set("YOUR_ENTERPRISE", Name(kYourEnterprise, lang));
    top.Set("INDUSTRY", Name(kIndustry, lang));

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
    if (years.size() < 2) {
        std::string text = Txt(2052, o);
        const std::string list = listed.empty() ? Name(2054, lang) : listed;
        text.replace(text.find("{Y}"), 3, list);
        top.AddSection("ONE_YEAR").Set("TEXT", text);
        // The rows' names are not shown: filled empty so that none counts as unknown.
        for (const char* name : {"YEAR", "GROUP_NAME", "NAME", "DIRECTION_ARROW", "ROW_SHADE", "MINE", "MEDIAN",
                                 "CHART", "PART_NAME", "ROW_STYLE", "INDUSTRY_PCT"})
            top.Set(name, "");
        return;
    }
    top.Set("TEXT", "");  // the words of a single year, not shown
    Dict trend = top.AddSection("TREND");
    for (const auto& y : years) trend.AddSection("YEAR_HEAD").Set("YEAR", std::to_string(y.year));

    ForEachRatioRow(trend, lang, [&](Dict& row, const RatioDef& r) {
        const int dec = RatioDecimals(r);
        std::vector<TrendPoint> points;
        for (const auto& y : years) {
            TrendPoint pt;
            pt.year = y.year;
            if (!(r.equityRule && y.amounts[static_cast<size_t>(cv::Equity1)] < 0))
                pt.mine = RatioValue(r, y.amounts);
            pt.q1 = Boundary(data, y.table, std::string(r.code) + "Q1");
            pt.q2 = Boundary(data, y.table, std::string(r.code) + "Q2");
            pt.q3 = Boundary(data, y.table, std::string(r.code) + "Q3");
            Dict cell = row.AddSection("CELL");
            if (pt.mine) cell.Set("MINE", FormatNumber(*pt.mine, dec, lang));
            else cell.SetMarked("MINE", NullMarker());
            cell.SetMarked("MEDIAN", BoundaryText(data, y.table, std::string(r.code) + "Q2", dec));
            points.push_back(pt);
        }
        std::string alt = Txt(2060, o);
        alt.replace(alt.find("{R}"), 3, Name(r.nameId, lang));
        row.SetMarked("CHART", data.AddImage(TrendChart(points, r.higherIsBetter, lang, alt)));
    });

    int k = 0;
    for (int part = 0; part < 3; ++part) {
        Dict section = trend.AddSection("PART");
        section.Set("PART_NAME", Name(part == 0 ? 150 : part == 1 ? 170 : kCurrentItems, lang));
        const auto& lines = BalanceLines();
        for (size_t l = 0; l < lines.size(); ++l) {
            if (lines[l].part != part) continue;
            Dict row = section.AddSection("LINE");
            row.Set("NAME", Name(lines[l].nameId, lang));
            row.Set("ROW_STYLE", lines[l].total ? "total" : "item");
            row.Set("ROW_SHADE", k++ % 2 ? "odd" : "even");
            if (lines[l].total) row.ShowSection("TOTAL");
            else row.ShowSection("ITEM");
            for (const auto& y : years) {
                Dict cell = row.AddSection("CELL");
                const double ta = y.amounts[static_cast<size_t>(cv::Ta)];
                if (ta != 0)
                    cell.Set("MINE", FormatPercent(y.amounts[static_cast<size_t>(kLineAmounts[l])] / ta * 100, 1, lang));
                else
                    cell.SetMarked("MINE", NullMarker());
                cell.SetMarked("INDUSTRY_PCT", Formatted(data, y.table, lines[l].industryColumn, 1, Form::Percent));
            }
        }
    }
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
    switch (year) {
    case 2010: return "Rpt_Data_CY";
    case 2009: return "Rpt_Data_CYM1";
    case 2008: return "Rpt_Data_CYM2";
    default: return {};
    }
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

void FillBuiltIn(const std::string& kind, ReportData& data, Dict& top) {
    if (kind == "ratios") FillRatios(data, top);
    else if (kind == "balancesheet") FillBalanceSheet(data, top);
    else if (kind == "comparison") FillComparison(data, top);
    else if (kind == "trend") FillTrend(data, top);
    else data.errors.push_back("REPORT " + kind + "?");
}

} // namespace zorva::report
