#include "reports/prep/DollarGaps.h"

#include "core/Strings.h"
#include "core/Text.h"
#include "reports/prep/Ranking.h"

#include <cmath>
#include <cstring>

namespace zorva::report {

namespace {

constexpr int kLeverText = 2000, kTail = 2022, kUnreachable = 2020;

int Offset(Lang lang) { return lang == Lang::French ? 1 : 0; }

// "Gross profit margin" -> "gross profit margin" (the names begin with an ASCII capital).
std::string LowerFirst(std::string s) {
    if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = static_cast<char>(s[0] - 'A' + 'a');
    return s;
}

std::string Trimmed(int id, Lang lang) {
    std::string s = Txt(id, Offset(lang));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The sign with which one dollar of the lever moves each amount.
std::vector<Term> Moves(Lever lever, const Amounts& a) {
    using namespace cv;
    switch (lever) {
    case Lever::ProfitAfterTax: return {{ProfitAfterTax, +1}};
    case Lever::PretaxProfit: return {{PretaxProfit, +1}};
    case Lever::OperatingProfit: return {{OperatingProfit, +1}};
    case Lever::GrossProfit: return {{GrossProfit, +1}};
    case Lever::OperatingRevenue: return {{OperatingRevenue, +1}};
    case Lever::Receivables: return {{Ar, +1}, {Toa, +1}, {Ta, +1}, {CurrentAssets, +1}};
    case Lever::Inventory: return {{Inv, +1}, {Toa, +1}, {Ta, +1}, {CurrentAssets, +1}};
    case Lever::CurrentLiabilities: return {{CurrentLiabilities, +1}};
    case Lever::InterestExpense: return {{InterestExpense, +1}, {PretaxProfit, -1}};
    case Lever::Debt: {
        // The largest debt line carries the change; the ratios see only the total.
        int line = Mtg;
        for (int i : {Paper, Mtg, Bonds, Ol, AmtsAffil})
            if (a[static_cast<size_t>(i)] > a[static_cast<size_t>(line)]) line = i;
        return {{line, +1}, {Tliab, +1}, {TotLiabShareEq, +1}};
    }
    }
    return {};
}

// Dollars of a quantity per dollar of the lever.
double Coefficient(const Quantity& q, const std::vector<Term>& moves) {
    double c = 0;
    for (const Term& t : q.terms)
        for (const Term& m : moves)
            if (m.amount == t.amount) c += t.sign * m.sign;
    return c;
}

// The quantity that must not fall below zero, and whether it must stay above it.
struct Floor {
    Quantity quantity;
    bool strict;
};
std::optional<Floor> FloorOf(Lever lever) {
    using namespace cv;
    switch (lever) {
    case Lever::Receivables: return Floor{{0, {{Ar, +1}}}, true};
    case Lever::Inventory: return Floor{{0, {{Inv, +1}}}, true};
    case Lever::CurrentLiabilities: return Floor{{0, {{CurrentLiabilities, +1}}}, true};
    case Lever::InterestExpense: return Floor{{0, {{InterestExpense, +1}}}, true};
    case Lever::OperatingRevenue: return Floor{{0, {{OperatingRevenue, +1}}}, false};
    case Lever::Debt: return Floor{{0, {{Paper, +1}, {Mtg, +1}, {Bonds, +1}, {Ol, +1}, {AmtsAffil, +1}}}, false};
    default: return std::nullopt;
    }
}

bool RaisesLever(Lever lever) {
    switch (lever) {
    case Lever::ProfitAfterTax:
    case Lever::PretaxProfit:
    case Lever::OperatingProfit:
    case Lever::GrossProfit:
    case Lever::OperatingRevenue: return true;
    default: return false;
    }
}

double Value(const Quantity& q, const Amounts& a) {
    return QuantityValue(q, [&](int i) { return a[static_cast<size_t>(i)]; });
}

} // namespace

std::optional<Amounts> AmountsOf(const std::vector<std::string>& values) {
    if (values.size() < 37) return std::nullopt;
    Amounts a{};
    for (int i = cv::Cash; i <= cv::CurrentLiabilities; ++i) {
        if (i == 21) continue;
        auto v = ParseNumber(values[static_cast<size_t>(i)]);
        if (!v) return std::nullopt;
        a[static_cast<size_t>(i)] = *v;
    }
    return a;
}

Lever NaturalLever(const RatioDef& r) {
    const std::string code = r.code;
    if (code == "NPM" || code == "RCE" || code == "RE") return Lever::ProfitAfterTax;
    if (code == "PPM" || code == "PPA") return Lever::PretaxProfit;
    if (code == "OPM" || code == "RNOA") return Lever::OperatingProfit;
    if (code == "GPM") return Lever::GrossProfit;
    if (code == "ORTTNOA") return Lever::OperatingRevenue;
    if (code == "RT") return Lever::Receivables;
    if (code == "IT") return Lever::Inventory;
    if (code == "WC") return Lever::CurrentLiabilities;
    if (code == "DE" || code == "LTA") return Lever::Debt;
    return Lever::InterestExpense;
}

std::optional<double> RatioValue(const RatioDef& r, const Amounts& a) {
    const double d = Value(r.denominator, a);
    if (std::fabs(d) < 0.00005) return std::nullopt;  // amounts are in ten-thousandths at most
    const double v = Value(r.numerator, a) / d;
    return r.percent ? v * 100 : v;
}

std::optional<DollarGap> GapToMedian(const RatioDef& r, const Amounts& a, double median) {
    if (median == 0) return std::nullopt;  // not published
    if (r.equityRule && a[static_cast<size_t>(cv::Equity1)] < 0) return std::nullopt;
    auto value = RatioValue(r, a);
    if (!value) return std::nullopt;
    const double mine = RoundForRanking(*value);
    const bool weak = r.higherIsBetter ? mine < median : mine > median;
    if (!weak) return std::nullopt;

    DollarGap gap;
    gap.lever = NaturalLever(r);
    gap.moves = Moves(gap.lever, a);
    // (N + cN x) / (D + cD x) = m  =>  x = (m D - N) / (cN - m cD)
    const double m = r.percent ? median / 100 : median;
    const double N = Value(r.numerator, a), D = Value(r.denominator, a);
    const double cN = Coefficient(r.numerator, gap.moves), cD = Coefficient(r.denominator, gap.moves);
    const double divisor = cN - m * cD;
    if (std::fabs(divisor) < 1e-12) return gap;  // the ratio does not move with the lever
    const double x = (m * D - N) / divisor;
    if ((x > 0) != RaisesLever(gap.lever)) return std::nullopt;  // only with a negative denominator
    gap.change = x;
    const Amounts after = Applied(gap, a);
    const double newDen = Value(r.denominator, after);
    if (newDen * D <= 0) return gap;  // the denominator would cross zero
    if (auto floor = FloorOf(gap.lever)) {
        const double left = Value(floor->quantity, after);
        if (floor->strict ? left <= 0 : left < -0.00005) return gap;
    }
    gap.reachable = true;
    return gap;
}

Amounts Applied(const DollarGap& gap, const Amounts& a) {
    Amounts out = a;
    for (const Term& m : gap.moves) out[static_cast<size_t>(m.amount)] += m.sign * gap.change;
    return out;
}

std::string DollarText(double change, Lang lang) {
    const double dollars = std::ceil(std::fabs(change) - 1e-6);
    const std::string n = FormatNumber(dollars, 0, lang);
    return lang == Lang::French ? n + "\u00A0$" : "$" + n;
}

std::string GapText(const RatioDef& r, const DollarGap& gap, double median, Lang lang) {
    const int o = Offset(lang);
    const std::string ratio = LowerFirst(Trimmed(r.nameId, lang));
    const std::string med = r.percent ? FormatPercent(median, RatioDecimals(r), lang)
                                      : FormatNumber(median, RatioDecimals(r), lang);
    if (!gap.reachable) {
        const std::string lever = gap.lever == Lever::Debt ? Trimmed(1900, lang)
                                                           : AmountName(gap.moves.front().amount, o);
        std::string s = ReplaceAll(ReplaceAll(ReplaceAll(Txt(kUnreachable, o), "{R}", ratio), "{M}", med), "{L}", lever);
        return lang == Lang::French ? ReplaceAll(s, " : ", "\u00A0: ") : s;
    }
    std::string kept = DenominatorName(r, o);
    if (lang == Lang::French) {
        static const char* vowels[] = {"a", "e", "i", "o", "u", "h", "é"};
        bool elide = false;
        for (const char* v : vowels) elide = elide || kept.rfind(v, 0) == 0;
        kept = (elide ? "d'" : "de ") + kept;
    }
    std::string s = Txt(kLeverText + 2 * static_cast<int>(gap.lever), o) + " " + Txt(kTail, o);
    s = ReplaceAll(s, "{A}", DollarText(gap.change, lang));
    s = ReplaceAll(s, "{K}", kept);
    s = ReplaceAll(s, "{R}", ratio);
    s = ReplaceAll(s, "{M}", med);
    // French keeps the colon with the word before it.
    return lang == Lang::French ? ReplaceAll(s, " : ", "\u00A0: ") : s;
}

} // namespace zorva::report
