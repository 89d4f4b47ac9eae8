#include "reports/prep/RatioTable.h"

#include "core/Strings.h"

#include <map>

namespace zorva::report {

namespace {

// Names of the named quantities.
constexpr int kNetOperatingAssets = 1494, kCapitalEmployed = 1496, kDebt = 1900;

Quantity One(int amount) { return {0, {{amount, +1}}}; }

const Quantity& NetOperatingAssets() {
    static const Quantity q{kNetOperatingAssets,
                            {{cv::Ta, +1}, {cv::Invest, -1}, {cv::Ptfl, -1}, {cv::AccountsPayable, -1}}};
    return q;
}
const Quantity& CapitalEmployed() {
    static const Quantity q{kCapitalEmployed,
                            {{cv::Mtg, +1}, {cv::Equity1, +1}, {cv::Bonds, +1}, {cv::Ol, +1}, {cv::Paper, +1},
                             {cv::AmtsAffil, +1}}};
    return q;
}
const Quantity& Debt() {
    static const Quantity q{kDebt, {{cv::Mtg, +1}, {cv::Bonds, +1}, {cv::Ol, +1}, {cv::Paper, +1}, {cv::AmtsAffil, +1}}};
    return q;
}

struct AmountInfo {
    int nameId;
    const char* column;
};
const std::map<int, AmountInfo>& Amounts() {
    static const std::map<int, AmountInfo> m = {
        {cv::OperatingRevenue, {1450, "MyOperatingRevenue"}},
        {cv::Sales, {1452, nullptr}},
        {cv::GrossProfit, {1454, "MyGrossProfit"}},
        {cv::OperatingProfit, {1456, "MyOperatingProfit"}},
        {cv::InterestExpense, {1458, "MyInterestExpense"}},
        {cv::PretaxProfit, {1460, "MyPretaxProfit"}},
        {cv::ProfitAfterTax, {1462, "MyProfitAfterTax"}},
        {cv::Ta, {1464, "MyTa"}},
        {cv::Invest, {1466, "MyInvest"}},
        {cv::Ptfl, {1468, "MyPtfl"}},
        {cv::AccountsPayable, {1470, "MyAccountsPayable"}},
        {cv::Paper, {1472, "MyPaper"}},
        {cv::Mtg, {1474, "MyMtg"}},
        {cv::Bonds, {1476, "MyBonds"}},
        {cv::Ol, {1478, "MyOl"}},
        {cv::AmtsAffil, {1480, "MyAmtsAffil"}},
        {cv::Equity1, {1482, "MyEquity1"}},
        {cv::Ar, {1484, "MyAr"}},
        {cv::Inv, {1486, "MyInv"}},
        {cv::CurrentAssets, {1488, "MyCurrentAssets"}},
        {cv::CurrentLiabilities, {1490, "MyCurrentLiabilities"}},
        {cv::Tliab, {1492, "MyTliab"}},
    };
    return m;
}

std::string Words(int id, int lang) {
    std::string s = Txt(id, lang);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The terms written out: "total assets − investments with affiliates".
std::string TermsText(const Quantity& q, int lang) {
    std::string s;
    for (size_t i = 0; i < q.terms.size(); ++i) {
        if (i) s += q.terms[i].sign < 0 ? " − " : " + ";
        else if (q.terms[i].sign < 0) s += "−";
        s += AmountName(q.terms[i].amount, lang);
    }
    return s;
}

std::string QuantityText(const Quantity& q, int lang) {
    if (q.nameId) return Words(q.nameId, lang);
    if (q.terms.size() > 1) return "(" + TermsText(q, lang) + ")";
    return TermsText(q, lang);
}

} // namespace

const std::vector<RatioDef>& Ratios() {
    using G = RatioGroup;
    using namespace cv;
    static const std::vector<RatioDef> ratios = {
        {"NPM", 106, G::Profitability, true, "MyNPM", "BetterNPM", "WorseNPM", One(ProfitAfterTax),
         One(OperatingRevenue), true, false},
        {"PPM", 108, G::Profitability, true, "MyPPM", "BetterPPM", "WorsePPM", One(PretaxProfit),
         One(OperatingRevenue), true, false},
        {"OPM", 110, G::Profitability, true, "MyOPM", "BetterOPM", "WorseOPM", One(OperatingProfit),
         One(OperatingRevenue), true, false},
        {"GPM", 112, G::Profitability, true, "MyGPM", "BetterGPM", "WorseGPM", One(GrossProfit), One(Sales), true,
         false},
        {"ORTTNOA", 114, G::Profitability, true, "MyORTNOA", "BetterORTNOA", "WorseORTNOA", One(OperatingRevenue),
         NetOperatingAssets(), true, false},
        {"RNOA", 116, G::Profitability, true, "MyRONOA", "BetterRONOA", "WorseRONOA", One(OperatingProfit),
         NetOperatingAssets(), true, false},
        {"PPA", 118, G::Profitability, true, "MyPPTA", "BetterPPA", "WorsePPA", One(PretaxProfit), One(Ta), true,
         false},
        {"RCE", 120, G::Profitability, true, "MyROCE", "BetterRCE", "WorseRCE",
         {0, {{InterestExpense, +1}, {ProfitAfterTax, +1}}}, CapitalEmployed(), true, false},
        {"RE", 122, G::Profitability, true, "MyROE", "BetterRE", "WorseRE", One(ProfitAfterTax), One(Equity1), true,
         true},
        {"RT", 126, G::Efficiency, true, "MyRT", "BetterRT", "WorseRT", One(OperatingRevenue), One(Ar), false, false},
        {"IT", 128, G::Efficiency, true, "MyIT", "BetterIT", "WorseIT", {0, {{Sales, +1}, {GrossProfit, -1}}},
         One(Inv), false, false},
        {"WC", 132, G::Liquidity, true, "MyWC", "BetterWC", "WorseWC", One(CurrentAssets), One(CurrentLiabilities),
         false, false},
        {"DE", 134, G::Liquidity, false, "MyDE", "BetterDE", "WorseDE", Debt(), One(Equity1), false, true},
        {"LTA", 136, G::Liquidity, false, "MyLTA", "BetterLTA", "WorseLTA", One(Tliab), One(Ta), false, false},
        {"IC", 138, G::Liquidity, true, "MyIC", "BetterIC", "WorseIC", {0, {{InterestExpense, +1}, {PretaxProfit, +1}}},
         One(InterestExpense), false, false},
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

double QuantityValue(const Quantity& q, const std::function<double(int)>& amount) {
    double sum = 0;
    for (size_t i = 0; i < q.terms.size(); ++i) {
        const double v = amount(q.terms[i].amount);
        if (i == 0) sum = q.terms[i].sign < 0 ? -v : v;
        else sum = q.terms[i].sign < 0 ? sum - v : sum + v;
    }
    return sum;
}

std::string AmountName(int amount, int lang) {
    auto it = Amounts().find(amount);
    return it == Amounts().end() ? std::string("?") : Words(it->second.nameId, lang);
}

const char* AmountColumn(int amount) {
    auto it = Amounts().find(amount);
    return it == Amounts().end() ? nullptr : it->second.column;
}

std::string FormulaText(const RatioDef& ratio, int lang) {
    std::string s = QuantityText(ratio.numerator, lang) + " ÷ " + QuantityText(ratio.denominator, lang);
    return ratio.percent ? s + " × 100" : s;
}

std::string DenominatorName(const RatioDef& ratio, int lang) {
    return ratio.denominator.nameId ? Words(ratio.denominator.nameId, lang) : TermsText(ratio.denominator, lang);
}

std::vector<std::pair<std::string, std::string>> NamedQuantities(int lang) {
    std::vector<std::pair<std::string, std::string>> out;
    std::vector<int> seen;
    for (const auto& r : Ratios()) {
        for (const Quantity* q : {&r.numerator, &r.denominator}) {
            if (!q->nameId) continue;
            bool known = false;
            for (int id : seen) known = known || id == q->nameId;
            if (known) continue;
            seen.push_back(q->nameId);
            out.emplace_back(Words(q->nameId, lang), TermsText(*q, lang));
        }
    }
    return out;
}

} // namespace zorva::report
