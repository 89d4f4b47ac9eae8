#include "reports/ReportModel.h"

#include "core/Strings.h"
#include "reports/ReportCharts.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace zorva::report {

namespace {

constexpr int kHigherBetter = 1418, kLowerBetter = 1420, kBetterThanAbout = 1422, kOfEnterprises = 1424,
              kLowestQuarter = 1426, kNotRanked = 1428, kCurrentItems = 1430, kYourEnterprise = 1432,
              kIndustry = 1434, kBalanceChartAlt = 1436, kNotMeaningful = 1440, kBelowMedian = 1442,
              kAboveMedian = 1444, kAtMedian = 1446, kFormulasTitle = 1448, kFormulaNote = 1902, kFormula = 1904;

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
    int i = 0;
    for (RatioGroup g : {RatioGroup::Profitability, RatioGroup::Efficiency, RatioGroup::Liquidity}) {
        Dict group = top.AddSection("GROUP");
        group.Set("GROUP_NAME", Name(RatioGroupNameId(g), data.lang));
        for (const auto& r : Ratios()) {
            if (r.group != g) continue;
            Dict row = group.AddSection("RATIO");
            FillRatioNames(row, r, data.lang, i++);
            for (int y = 0; y < 3; ++y) {
                for (int q = 1; q <= 3; ++q) {
                    row.SetMarked("Y" + std::to_string(y) + "_Q" + std::to_string(q),
                                  BoundaryText(data, kYearTables[y], std::string(r.code) + "Q" + std::to_string(q),
                                               RatioDecimals(r)));
                }
            }
        }
    }
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

    int i = 0;
    for (RatioGroup g : {RatioGroup::Profitability, RatioGroup::Efficiency, RatioGroup::Liquidity}) {
        Dict group = top.AddSection("GROUP");
        group.Set("GROUP_NAME", Name(RatioGroupNameId(g), lang));
        for (const auto& r : Ratios()) {
            if (r.group != g) continue;
            Dict row = group.AddSection("RATIO");
            FillRatioNames(row, r, lang, i++);
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
            if (state == RatioState::Ranked && value && (published.q1 || published.q2 || published.q3))
                row.SetMarked("CHART", data.AddImage(QuartileChart(qv[0], qv[1], qv[2], *value, r.higherIsBetter,
                                                                   Name(r.nameId, lang))));
            else
                row.SetMarked("CHART", NullMarker());
        }
    }

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
    else data.errors.push_back("REPORT " + kind + "?");
}

} // namespace zorva::report
