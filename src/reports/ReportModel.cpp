#include "reports/ReportModel.h"

#include "core/Strings.h"
#include "reports/ReportCharts.h"

#include <cmath>

namespace zorva::report {

namespace {

constexpr int kHigherBetter = 1418, kLowerBetter = 1420, kBetterThanAbout = 1422, kOfEnterprises = 1424,
              kLowestQuarter = 1426, kNotRanked = 1428, kCurrentItems = 1430, kYourEnterprise = 1432,
              kIndustry = 1434, kBalanceChartAlt = 1436;

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

const char* kYearTables[] = {"Rpt_Data_CY", "Rpt_Data_CYM1", "Rpt_Data_CYM2"};

void FillRatioNames(Dict& row, const RatioDef& r, Lang lang, int index) {
    row.Set("NAME", Name(r.nameId, lang));
    row.Set("CODE", r.code);
    row.Set("DIRECTION", Name(r.higherIsBetter ? kHigherBetter : kLowerBetter, lang));
    row.Set("DIRECTION_ARROW", r.higherIsBetter ? "↑" : "↓");
    row.Set("ROW_SHADE", index % 2 ? "odd" : "even");
    row.Set("UNIT", r.group == RatioGroup::Profitability ? "%" : "");
}

void FillRatios(ReportData& data, Dict& top) {
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
                                  Formatted(data, kYearTables[y], std::string(r.code) + "Q" + std::to_string(q),
                                            RatioDecimals(r), Form::Number));
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
    auto equity = data.Number(C, "MyEquity1");
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
            row.SetMarked("VALUE", Formatted(data, C, r.valueColumn, dec, Form::Number));
            std::string q[3];
            std::optional<double> qv[3];
            for (int k = 0; k < 3; ++k) {
                const std::string col = std::string(r.code) + "Q" + std::to_string(k + 1);
                if (yearTable.empty()) {
                    q[k] = why;
                } else {
                    q[k] = Formatted(data, yearTable, col, dec, Form::Number);
                    qv[k] = data.Number(yearTable, col);
                }
                row.SetMarked("Q" + std::to_string(k + 1), q[k]);
            }
            auto better = data.Number(C, r.betterColumn);
            row.SetMarked("BETTER", better ? FormatPercent(*better, 0, lang) : data.Text(C, r.betterColumn));
            row.SetMarked("WORSE", Formatted(data, C, r.worseColumn, 0, Form::Percent));

            const bool published = qv[0] && qv[1] && qv[2] && (*qv[0] != 0 || *qv[1] != 0 || *qv[2] != 0);
            const bool equityRule = negativeEquity && (std::string(r.code) == "RE" || std::string(r.code) == "DE");
            if (!better) row.SetMarked("STANDING", data.Text(C, r.betterColumn));
            else row.Set("STANDING", StandingText(*better, published && !equityRule, lang));

            auto value = data.Number(C, r.valueColumn);
            if (published && value && !equityRule)
                row.SetMarked("CHART", data.AddImage(QuartileChart(*qv[0], *qv[1], *qv[2], *value, r.higherIsBetter,
                                                                   Name(r.nameId, lang))));
            else
                row.SetMarked("CHART", NullMarker());
        }
    }

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
            row.SetMarked("VARIANCE", Formatted(data, C, l.varianceColumn, 1, Form::Signed));
            auto mine = data.Number(C, l.enterpriseColumn);
            auto ind = data.Number(C, l.industryColumn);
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

const std::vector<RatioDef>& Ratios() {
    using G = RatioGroup;
    static const std::vector<RatioDef> ratios = {
        {"NPM", 106, G::Profitability, true, "MyNPM", "BetterNPM", "WorseNPM"},
        {"PPM", 108, G::Profitability, true, "MyPPM", "BetterPPM", "WorsePPM"},
        {"OPM", 110, G::Profitability, true, "MyOPM", "BetterOPM", "WorseOPM"},
        {"GPM", 112, G::Profitability, true, "MyGPM", "BetterGPM", "WorseGPM"},
        {"ORTTNOA", 114, G::Profitability, true, "MyORTNOA", "BetterORTNOA", "WorseORTNOA"},
        {"RNOA", 116, G::Profitability, true, "MyRONOA", "BetterRONOA", "WorseRONOA"},
        {"PPA", 118, G::Profitability, true, "MyPPTA", "BetterPPA", "WorsePPA"},
        {"RCE", 120, G::Profitability, true, "MyROCE", "BetterRCE", "WorseRCE"},
        {"RE", 122, G::Profitability, true, "MyROE", "BetterRE", "WorseRE"},
        {"RT", 126, G::Efficiency, true, "MyRT", "BetterRT", "WorseRT"},
        {"IT", 128, G::Efficiency, true, "MyIT", "BetterIT", "WorseIT"},
        {"WC", 132, G::Liquidity, true, "MyWC", "BetterWC", "WorseWC"},
        {"DE", 134, G::Liquidity, false, "MyDE", "BetterDE", "WorseDE"},
        {"LTA", 136, G::Liquidity, false, "MyLTA", "BetterLTA", "WorseLTA"},
        {"IC", 138, G::Liquidity, true, "MyIC", "BetterIC", "WorseIC"},
    };
    return ratios;
}

int RatioGroupNameId(RatioGroup group) {
    switch (group) {
    case RatioGroup::Profitability: return 104;
    case RatioGroup::Efficiency: return 124;
    default: return 130;
    }
}

int RatioDecimals(const RatioDef& ratio) { return ratio.group == RatioGroup::Profitability ? 1 : 2; }

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

std::string StandingText(double betterRank, bool ranked, Lang lang) {
    if (!ranked) return Name(kNotRanked, lang);
    if (betterRank <= 0) return Name(kLowestQuarter, lang);
    return Txt(kBetterThanAbout, LangOffset(lang)) + FormatPercent(betterRank, 0, lang) +
           Txt(kOfEnterprises, LangOffset(lang));
}

void FillBuiltIn(const std::string& kind, ReportData& data, Dict& top) {
    if (kind == "ratios") FillRatios(data, top);
    else if (kind == "balancesheet") FillBalanceSheet(data, top);
    else if (kind == "comparison") FillComparison(data, top);
    else data.errors.push_back("REPORT " + kind + "?");
}

} // namespace zorva::report
