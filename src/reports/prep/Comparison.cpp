// The comparison of an enterprise with its industry: the enterprise's balance
// sheet as percentages of its total assets, fifteen ratios ranked against the
// industry's quartiles, the variances from the industry's balance-sheet
// structure and the industry's own figures, as one row of Rpt_Comparison.

#include "reports/prep/ReportPrep.h"
#include "core/Edition.h"
#include "reports/prep/BatchComparison.h"

#include "core/Services.h"
#include "core/Strings.h"
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/NumberText.h"
#include "reports/prep/Ranking.h"
#include "reports/prep/RatioTable.h"
#include "reports/prep/ReportSql.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <cmath>
#include <optional>

namespace zorva {

using namespace reportsql;

namespace {

// Indices of aComparisonValues.
namespace cv = report::cv;

// The 25 balance-sheet lines: enterprise amount, industry column, variance column.
struct Line {
    int amount;
    const char* percent;
    const char* industry;
    const char* variance;
};
const std::array<Line, 25> kLines = {{
    {cv::Cash, "MyCash", "A11", "VarianceCash"},
    {cv::Ar, "MyAr", "A12", "VarianceAR"},
    {cv::Inv, "MyInv", "A13", "VarianceInvent"},
    {cv::CA, "MyCA", "A18", "VarianceCA"},
    {cv::OA, "MyOA", "A19", "VarianceOA"},
    {cv::Toa, "MyToa", "TOTOA", "VarianceTOA"},
    {cv::Invest, "MyInvest", "A14", "VarianceInvest"},
    {cv::Ptfl, "MyPtfl", "A151617", "VariancePTFL"},
    {cv::Ta, "MyTa", "TOTASS", "VarianceTOTASS"},
    {cv::AccountsPayable, "MyAccountsPayable", "A22", "VarianceAP"},
    {cv::Paper, "MyPaper", "A25200", "VarianceSTPAPER"},
    {cv::Mtg, "MyMtg", "A25500", "VarianceMTG"},
    {cv::Bonds, "MyBonds", "A25400", "VarianceBonds"},
    {cv::Ol, "MyOl", "A25180", "VarianceOLoans"},
    {cv::AmtsAffil, "MyAmtsAffil", "A24", "VarianceAOTA"},
    {cv::OLiab, "MyOLiab", "A2329", "VarianceOLiab"},
    {cv::DefTax, "MyDefTax", "A27", "VarianceDefTax"},
    {cv::Tliab, "MyTliab", "TOTLIAB", "VarianceTL"},
    {cv::ShareC, "MyShareC", "A31", "VarianceSC"},
    {cv::RetEarn, "MyRetEarn", "A38", "VarianceRE"},
    {cv::OtherSur, "MyOtherSur", "A283334", "VarianceOS"},
    {cv::Equity1, "MyEquity1", "TOTSE", "VarianceEq"},
    {cv::TotLiabShareEq, "MyTotLiabShareEq", "TOTLSE", "VarianceSETL"},
    {cv::CurrentAssets, "MyCurrentAssets", "CURASS", "VarianceCurrA"},
    {cv::CurrentLiabilities, "MyCurrentLiabilities", "CURLiab", "VarianceCurrL"},
}};

// The industry's copied figures of statement G (after NumberOfFirms).
const std::array<const char*, 21> kIndustryFigures = {
    "PPAQ2", "LTAQ2", "NPMQ2", "PPMQ2", "OPMQ2", "GPMQ2", "ORTTNOAQ2", "RNOAQ2", "RCEQ2", "REQ2", "RTQ2",
    "ITQ2", "WCQ2", "DEQ2", "ICQ2", "OPP", "OPL", "PPP", "PPL", "NPP", "NPL"};

// The 32 amounts of the comparison values, checked to be numbers before any
// statement runs.
std::array<double, kComparisonValueCount> readAmounts(const std::vector<std::string>& values) {
    std::array<double, kComparisonValueCount> a{};
    for (int i = cv::Cash; i <= cv::CurrentLiabilities; ++i) {
        if (i == 21) continue;
        auto d = ParseNumber(values[static_cast<size_t>(i)]);
        if (!d)
            throw ReportArgumentError("Comparison value " + std::to_string(i) + " is not a number: '" +
                                      values[static_cast<size_t>(i)] + "'");
        a[static_cast<size_t>(i)] = *d;
    }
    return a;
}

// A computed Double as the table keeps it: the 15 significant digits a
// statement carries, read back.
double Stored(double value) { return value == 0 ? 0.0 : RoundSignificant(value, 15); }

// An industry figure as the table keeps it once copied with SqlNumber into a
// REAL column (or the INTEGER column NumberOfFirms): Null, a whole number in
// an INTEGER column, otherwise a real number.
Variant StoredFigure(const Variant& figure, const std::string& column, bool integerColumn) {
    const std::string literal = SqlNumber(figure, column);
    if (literal == "NULL") return Variant();
    double d = 0;
    auto res = std::from_chars(literal.data(), literal.data() + literal.size(), d);
    if (res.ec != std::errc()) d = std::strtod(literal.c_str(), nullptr);
    if (integerColumn && std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.2e18)
        return Variant(static_cast<std::int64_t>(d));
    return Variant(d);
}

// A value of the row as the table keeps it: a real number with the 15
// significant digits of a stored number, anything else as it is.
Variant StoredValue(const Variant& v) {
    if (v.type() != Variant::Type::Real) return v;
    const std::string literal = SqlDouble(v.toDouble());
    double d = 0;
    auto res = std::from_chars(literal.data(), literal.data() + literal.size(), d);
    if (res.ec != std::errc()) d = std::strtod(literal.c_str(), nullptr);
    return Variant(d);
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

IndustryYear ResolveIndustryYear(const IndustryFigures& industry) {
    IndustryYear y;
    auto figure = [&](const std::string& column) { return NumberValue(industry(column), column); };
    for (const auto& r : report::Ratios()) {
        const std::string q = r.code;
        // A boundary the industry does not publish counts as 0.
        y.quartiles.push_back({figure(q + "Q1").value_or(0.0), figure(q + "Q2").value_or(0.0),
                               figure(q + "Q3").value_or(0.0)});
    }
    for (const Line& l : kLines) y.structure.push_back(figure(l.industry));
    y.copied.push_back(StoredFigure(industry("NumberOfFirms"), "NumberOfFirms", true));
    for (const char* col : kIndustryFigures) y.copied.push_back(StoredFigure(industry(col), col, false));
    for (const Line& l : kLines) y.copied.push_back(StoredFigure(industry(l.industry), l.industry, false));
    return y;
}

ComparisonRow ComputeComparisonRow(const std::vector<std::string>& aComparisonValues, std::int16_t Year,
                                   const IndustryFigures& industry, const Variant& MyVol) {
    if (aComparisonValues.size() < kComparisonValueCount)
        throw ReportArgumentError("The comparison needs 37 values, not " + std::to_string(aComparisonValues.size()) + ".");
    readAmounts(aComparisonValues);  // a value that is not a number is refused before any figure is read
    return ComputeComparisonRow(aComparisonValues, Year, ResolveIndustryYear(industry), MyVol);
}

ComparisonRow ComputeComparisonRow(const std::vector<std::string>& aComparisonValues, std::int16_t Year,
                                   const IndustryYear& industry, const Variant& MyVol) {
    if (aComparisonValues.size() < kComparisonValueCount)
        throw ReportArgumentError("The comparison needs 37 values, not " + std::to_string(aComparisonValues.size()) + ".");
    const auto v = readAmounts(aComparisonValues);
    auto at = [&](int i) { return v[static_cast<size_t>(i)]; };
    const double Ta = at(cv::Ta);

    ComparisonRow row;
    row.reserve(ComparisonColumnNames().size());
    // Identification, percentages of total assets and the six amounts.
    row.emplace_back(aComparisonValues[cv::Name]);
    row.emplace_back(static_cast<std::int64_t>(Year));
    row.emplace_back(aComparisonValues[cv::Naics]);
    row.emplace_back(aComparisonValues[cv::Industry]);
    for (const Line& l : kLines) row.emplace_back(Stored(at(l.amount) / Ta * 100));
    for (int i : {cv::OperatingRevenue, cv::GrossProfit, cv::OperatingProfit, cv::InterestExpense, cv::PretaxProfit, cv::ProfitAfterTax})
        row.emplace_back(Stored(at(i)));

    // The fifteen ratios, computed as the ratio table says.
    const auto& ratios = report::Ratios();
    const bool negativeEquity = at(cv::Equity1) < 0;
    std::array<double, 32> ratio{}, better{}, worse{};
    for (size_t k = 0; k < ratios.size(); ++k) {
        const auto& r = ratios[k];
        double value = 0;
        if (!(r.equityRule && negativeEquity))
            value = fncCalcRatio(report::QuantityValue(r.numerator, at), report::QuantityValue(r.denominator, at));
        ratio[k] = r.percent ? value * 100 : value;
    }
    for (size_t k = 0; k < ratios.size(); ++k) row.emplace_back(Stored(ratio[k]));

    // The ranks against the ratio's own quartiles. The ratio is ranked as the
    // decimal it stands for, so that one exactly at a boundary does not pass
    // it through the noise of binary division.
    for (size_t k = 0; k < ratios.size(); ++k) {
        if (negativeEquity && ratios[k].equityRule) continue;  // both ranks 0
        const auto& [q1, q2, q3] = industry.quartiles[k];
        const double mine = RoundForRanking(ratio[k]);
        if (!ratios[k].higherIsBetter) {
            better[k] = fncExceptionCalcBetter(q1, q2, q3, mine);
            worse[k] = fncExceptionCalcWorse(q1, q2, q3, mine);
        } else {
            better[k] = fncCalcBetter(q1, q2, q3, mine);
            worse[k] = fncCalcWorse(q1, q2, q3, mine);
        }
    }
    for (size_t k = 0; k < ratios.size(); ++k) row.emplace_back(Stored(better[k]));
    for (size_t k = 0; k < ratios.size(); ++k) row.emplace_back(Stored(worse[k]));

    // Variances from the industry's structure; a Null industry figure gives a Null variance.
    for (size_t k = 0; k < kLines.size(); ++k) {
        const auto& ind = industry.structure[k];
        row.push_back(ind ? Variant(Stored(at(kLines[k].amount) / Ta * 100 - *ind)) : Variant());
    }

    // The data set's title, the industry's count, medians and profit
    // distribution, and its structure.
    row.push_back(MyVol);
    row.insert(row.end(), industry.copied.begin(), industry.copied.end());
    return row;
}

Variant ComparisonVolumeTitle(ConnectionHandle& WriteConn, std::int16_t Volume, const std::string& Province,
                              const std::string& Language) {
    auto d = GetRS(WriteConn,
                   "select Title1 from Volume_Descriptions where Volume = " + std::to_string(Volume) +
                       " and [Language] = ?",
                   "read", {FirstLetter(Language)});
    if (d->RecordCount() == 0 || d->Fields("Title1").isNull()) return Variant();
    return Variant(d->Fields("Title1").toString() + " - " + RegionName(WriteConn, Province, LanguageIndex(Language)));
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
    if (v[cv::Ta] == 0) {
        MsgBox(Txt(560, LanguageIndex(Language)), MsgButtons::OK, MsgIcon::None);
        return false;
    }

    Transaction tx(WriteConn);
    subExtractIndustryData(DataConn, WriteConn, ReportToDisplay, Volume, Province, CurrentEdition().latest, NAICS,
                           Language);
    ExecCmdInDB(WriteConn, "delete * from Rpt_Comparison");

    auto industry = GetRS(WriteConn, "select * from " + ReportDataTableOfYear(Year), "read");
    if (industry->RecordCount() == 0 || industry->Fields("NumberOfFirms").isNull()) {
        tx.Commit();  // the fresh extraction and the emptied comparison stay
        MsgBox(NoDataMessage(Language, Year), MsgButtons::OK, MsgIcon::None);
        return false;
    }
    const ComparisonRow row = ComputeComparisonRow(
        aComparisonValues, Year,
        [&](const std::string& column) { return industry->HasField(column) ? industry->Fields(column) : Variant(); },
        ComparisonVolumeTitle(WriteConn, Volume, Province, Language));

    // One row, every column at once.
    const auto& names = ComparisonColumnNames();
    std::string columns, marks;
    SqlParams values;
    for (size_t k = 0; k < names.size(); ++k) {
        columns += (k ? ", " : "") + names[k];
        marks += (k ? ", ?" : "?");
        values.push_back(StoredValue(row[k]));
    }
    ExecCmdInDB(WriteConn, "Insert into Rpt_Comparison (" + columns + ") VALUES (" + marks + ")", values);

    FillComparisonTitles(WriteConn, Language, aComparisonValues[cv::Naics]);
    tx.Commit();
    return true;
}

} // namespace zorva
