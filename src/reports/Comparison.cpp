// The comparison of an enterprise with its industry: the enterprise's balance
// sheet as percentages of its total assets, fifteen ratios ranked against the
// industry's quartiles, the variances from the industry's balance-sheet
// structure and the industry's own figures, as one row of Rpt_Comparison.

#include "reports/ReportPrep.h"

#include "core/Services.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/NumberText.h"
#include "reports/Ranking.h"
#include "reports/RatioTable.h"
#include "reports/ReportSql.h"

#include <array>
#include <optional>

namespace zorva {

using namespace reportsql;

namespace {

// Indices of aComparisonValues.
enum Index {
    iName = 0, iNaics = 2, iIndustry = 3,
    iCash = 4, iAr, iInv, iCA, iOA, iToa, iInvest, iPtfl, iTa,
    iOperatingRevenue, iSales, iGrossProfit, iOperatingProfit, iInterestExpense, iPretaxProfit, iProfitAfterTax,
    iAccountsPayable,
    iPaper = 22, iMtg, iBonds, iOl, iAmtsAffil, iOLiab, iDefTax, iTliab, iShareC, iRetEarn, iOtherSur, iEquity1,
    iTotLiabShareEq, iCurrentAssets, iCurrentLiabilities,
};

// The 25 balance-sheet lines: enterprise amount, industry column, variance column.
struct Line {
    int amount;
    const char* percent;
    const char* industry;
    const char* variance;
};
const std::array<Line, 25> kLines = {{
    {iCash, "MyCash", "A11", "VarianceCash"},
    {iAr, "MyAr", "A12", "VarianceAR"},
    {iInv, "MyInv", "A13", "VarianceInvent"},
    {iCA, "MyCA", "A18", "VarianceCA"},
    {iOA, "MyOA", "A19", "VarianceOA"},
    {iToa, "MyToa", "TOTOA", "VarianceTOA"},
    {iInvest, "MyInvest", "A14", "VarianceInvest"},
    {iPtfl, "MyPtfl", "A151617", "VariancePTFL"},
    {iTa, "MyTa", "TOTASS", "VarianceTOTASS"},
    {iAccountsPayable, "MyAccountsPayable", "A22", "VarianceAP"},
    {iPaper, "MyPaper", "A25200", "VarianceSTPAPER"},
    {iMtg, "MyMtg", "A25500", "VarianceMTG"},
    {iBonds, "MyBonds", "A25400", "VarianceBonds"},
    {iOl, "MyOl", "A25180", "VarianceOLoans"},
    {iAmtsAffil, "MyAmtsAffil", "A24", "VarianceAOTA"},
    {iOLiab, "MyOLiab", "A2329", "VarianceOLiab"},
    {iDefTax, "MyDefTax", "A27", "VarianceDefTax"},
    {iTliab, "MyTliab", "TOTLIAB", "VarianceTL"},
    {iShareC, "MyShareC", "A31", "VarianceSC"},
    {iRetEarn, "MyRetEarn", "A38", "VarianceRE"},
    {iOtherSur, "MyOtherSur", "A283334", "VarianceOS"},
    {iEquity1, "MyEquity1", "TOTSE", "VarianceEq"},
    {iTotLiabShareEq, "MyTotLiabShareEq", "TOTLSE", "VarianceSETL"},
    {iCurrentAssets, "MyCurrentAssets", "CURASS", "VarianceCurrA"},
    {iCurrentLiabilities, "MyCurrentLiabilities", "CURLiab", "VarianceCurrL"},
}};

// The industry's copied figures of statement G (after NumberOfFirms).
const std::array<const char*, 21> kIndustryFigures = {
    "PPAQ2", "LTAQ2", "NPMQ2", "PPMQ2", "OPMQ2", "GPMQ2", "ORTTNOAQ2", "RNOAQ2", "RCEQ2", "REQ2", "RTQ2",
    "ITQ2", "WCQ2", "DEQ2", "ICQ2", "OPP", "OPL", "PPP", "PPL", "NPP", "NPL"};

// The 32 amounts of the comparison values, checked to be numbers before any
// statement runs.
std::array<double, kComparisonValueCount> readAmounts(const std::vector<std::string>& values) {
    std::array<double, kComparisonValueCount> a{};
    for (int i = iCash; i <= iCurrentLiabilities; ++i) {
        if (i == 21) continue;
        auto d = ParseNumber(values[static_cast<size_t>(i)]);
        if (!d)
            throw ReportArgumentError("Comparison value " + std::to_string(i) + " is not a number: '" +
                                      values[static_cast<size_t>(i)] + "'");
        a[static_cast<size_t>(i)] = *d;
    }
    return a;
}

} // namespace

const std::vector<std::string>& ComparisonColumnNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n = {"MyFirmName", "MyYear", "MyNAICS", "MyIndustry"};
        for (const Line& l : kLines) n.push_back(l.percent);
        for (const char* a : {"MyOperatingRevenue", "MyGrossProfit", "MyOperatingProfit", "MyInterestExpense",
                              "MyPretaxProfit", "MyProfitAfterTax"})
            n.push_back(a);
        for (const auto& r : report::Ratios()) n.push_back(r.valueColumn);
        for (const auto& r : report::Ratios()) n.push_back(r.betterColumn);
        for (const auto& r : report::Ratios()) n.push_back(r.worseColumn);
        for (const Line& l : kLines) n.push_back(l.variance);
        n.push_back("MyVol");
        n.push_back("NumberOfFirms");
        for (const char* f : kIndustryFigures) n.push_back(f);
        for (const Line& l : kLines) n.push_back(l.industry);
        return n;
    }();
    return names;
}

std::string NoDataMessage(const std::string& Language, int year) {
    return Txt(994, LanguageIndex(Language)) + std::to_string(year);
}

bool fncPrepareComparisonReport(ConnectionHandle& DataConn, ConnectionHandle& WriteConn,
                                const std::string& ReportToDisplay, std::int16_t Volume,
                                const std::string& Province, std::int16_t Year, const std::string& NAICS,
                                const std::string& Language, const std::vector<std::string>& aComparisonValues) {
    // Everything that could refuse the comparison is checked before the first statement.
    if (!KnownYear(Year)) return RefuseYear(Language);
    RequireDataSet(Volume, Province);
    if (aComparisonValues.size() < kComparisonValueCount)
        throw ReportArgumentError("The comparison needs 37 values, not " + std::to_string(aComparisonValues.size()) + ".");
    const auto v = readAmounts(aComparisonValues);
    auto at = [&](int i) { return v[static_cast<size_t>(i)]; };
    const double Ta = at(iTa);
    if (Ta == 0) {
        MsgBox(Txt(560, LanguageIndex(Language)), MsgButtons::OK, MsgIcon::None);
        return false;
    }

    Transaction tx(WriteConn);
    subExtractIndustryData(DataConn, WriteConn, ReportToDisplay, Volume, Province, 2010, NAICS, Language);
    ExecCmdInDB(WriteConn, "delete * from Rpt_Comparison");

    auto industry = GetRS(WriteConn, "select * from " + ReportDataTableOfYear(Year), "read");
    if (industry->RecordCount() == 0 || industry->Fields("NumberOfFirms").isNull()) {
        tx.Commit();  // the fresh extraction and the emptied comparison stay
        MsgBox(NoDataMessage(Language, Year), MsgButtons::OK, MsgIcon::None);
        return false;
    }
    auto figure = [&](const std::string& column) { return NumberValue(industry->Fields(column), column); };
    auto quartile = [&](const std::string& column) { return figure(column).value_or(0.0); };  // Null: not published

    // A: identification, percentages of total assets and the six amounts.
    auto pct = [&](int i) { return SqlDouble(at(i) / Ta * 100); };
    std::string a =
        "Insert into Rpt_comparison (MyFirmName, MyYear, MyNAICS, MyIndustry, MyCash, MyAr, MyInv, MyCA, MyOA, MyToa, "
        "MyInvest, MyPtfl, MyTa, MyOperatingRevenue, MyGrossProfit, "
        "MyOperatingProfit, MyInterestExpense, MyPretaxProfit, MyProfitAfterTax, MyAccountsPayable, MyPaper, MyMtg, "
        "MyBonds, MyOl, MyAmtsAffil, MyOLiab, MyDefTax, MyTliab, MyShareC, "
        "MyRetEarn, MyOtherSur, MyEquity1,MyTotLiabShareEq,MyCurrentAssets,MyCurrentLiabilities) "
        "VALUES ('" +
        SqlQuote(aComparisonValues[iName]) + "', " + std::to_string(Year) + ", '" +
        SqlQuote(aComparisonValues[iNaics]) + "', '" + SqlQuote(aComparisonValues[iIndustry]) + "', ";
    std::vector<std::string> items;
    for (int i = iCash; i <= iTa; ++i) items.push_back(pct(i));
    for (int i : {iOperatingRevenue, iGrossProfit, iOperatingProfit, iInterestExpense, iPretaxProfit, iProfitAfterTax})
        items.push_back(SqlDouble(at(i)));
    items.push_back(pct(iAccountsPayable));
    for (int i = iPaper; i <= iCurrentLiabilities; ++i) items.push_back(pct(i));
    for (size_t k = 0; k < items.size(); ++k) a += items[k] + (k + 1 < items.size() ? ", " : ")");
    ExecCmdInDB(WriteConn, a);

    // B: the fifteen ratios, computed as the ratio table says.
    const auto& ratios = report::Ratios();
    const bool negativeEquity = at(iEquity1) < 0;
    std::vector<double> ratio;
    for (const auto& r : ratios) {
        double value = 0;
        if (!(r.equityRule && negativeEquity))
            value = fncCalcRatio(report::QuantityValue(r.numerator, at), report::QuantityValue(r.denominator, at));
        ratio.push_back(r.percent ? value * 100 : value);
    }
    std::string b = "Update rpt_comparison Set ";
    for (size_t k = 0; k < ratios.size(); ++k)
        b += (k ? ", " : "") + std::string(ratios[k].valueColumn) + " = " + SqlDouble(ratio[k]);
    ExecCmdInDB(WriteConn, b);

    // C and D: the ranks against the ratio's own quartiles. The ratio is
    // ranked as the decimal it stands for, so that one exactly at a boundary
    // does not pass it through the noise of binary division.
    std::vector<double> better(ratios.size(), 0.0), worse(ratios.size(), 0.0);
    for (size_t k = 0; k < ratios.size(); ++k) {
        if (negativeEquity && ratios[k].equityRule) continue;  // both ranks 0
        const std::string q = ratios[k].code;
        const double q1 = quartile(q + "Q1"), q2 = quartile(q + "Q2"), q3 = quartile(q + "Q3");
        const double mine = RoundForRanking(ratio[k]);
        if (!ratios[k].higherIsBetter) {
            better[k] = fncExceptionCalcBetter(q1, q2, q3, mine);
            worse[k] = fncExceptionCalcWorse(q1, q2, q3, mine);
        } else {
            better[k] = fncCalcBetter(q1, q2, q3, mine);
            worse[k] = fncCalcWorse(q1, q2, q3, mine);
        }
    }
    std::string c = "Update rpt_comparison Set ", d = "Update rpt_comparison Set ";
    for (size_t k = 0; k < ratios.size(); ++k) {
        c += (k ? ", " : "") + std::string(ratios[k].betterColumn) + " = " + SqlDouble(better[k]);
        d += (k ? ", " : "") + std::string(ratios[k].worseColumn) + " = " + SqlDouble(worse[k]);
    }
    ExecCmdInDB(WriteConn, c);
    ExecCmdInDB(WriteConn, d);

    // E: variances from the industry's structure; a Null industry figure gives a Null variance.
    std::string e = "Update rpt_comparison Set ";
    for (size_t k = 0; k < kLines.size(); ++k) {
        auto ind = figure(kLines[k].industry);
        std::string value = ind ? SqlDouble(at(kLines[k].amount) / Ta * 100 - *ind) : "NULL";
        std::string name = kLines[k].variance;
        e += (k ? ", " : "") + name + (name == "VarianceAP" ? "  = " : " = ") + value;
    }
    ExecCmdInDB(WriteConn, e);

    // F: the data set's title.
    const std::string L = SqlQuote(FirstLetter(Language));
    const std::string region = SqlQuote(RegionName(WriteConn, Province, LanguageIndex(Language)));
    ExecCmdInDB(WriteConn, "Update Rpt_Comparison T, (select * from Volume_Descriptions where Volume = " +
                               std::to_string(Volume) + " and [Language] = '" + L + "' ) D " +
                               "Set T.MyVol = D.Title1 + ' - " + region + "'");

    // G: the industry's count, medians and profit distribution; H: its structure.
    std::string g = "Update rpt_comparison Set NumberOfFirms = " +
                    SqlNumber(industry->Fields("NumberOfFirms"), "NumberOfFirms");
    for (const char* col : kIndustryFigures)
        g += std::string(col) == "RCEQ2" ? ",RCEQ2 = " + SqlNumber(industry->Fields(col), col)
                                         : ", " + std::string(col) + " = " + SqlNumber(industry->Fields(col), col);
    ExecCmdInDB(WriteConn, g);
    std::string h = "Update rpt_comparison Set ";
    for (size_t k = 0; k < kLines.size(); ++k)
        h += (k ? ", " : "") + std::string(kLines[k].industry) + " = " +
             SqlNumber(industry->Fields(kLines[k].industry), kLines[k].industry);
    ExecCmdInDB(WriteConn, h);

    FillComparisonTitles(WriteConn, Language, aComparisonValues[iNaics]);
    tx.Commit();
    return true;
}

} // namespace zorva
