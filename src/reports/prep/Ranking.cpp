#include "reports/prep/Ranking.h"

#include "enterprise/NumberText.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace zorva {

double fncCalcBetter(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio) {
    double rank = 0;
    if (dblQ1 != 0 && dblmyRatio > dblQ1) rank = 25;
    if (dblQ2 != 0 && dblmyRatio > dblQ2) rank = 50;
    if (dblQ3 != 0 && dblmyRatio > dblQ3) rank = 75;
    return rank;
}

double fncCalcWorse(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio) {
    double rank = 0;
    if (dblQ3 != 0 && dblmyRatio < dblQ3) rank = 25;
    if (dblQ2 != 0 && dblmyRatio < dblQ2) rank = 50;
    if (dblQ1 != 0 && dblmyRatio < dblQ1) rank = 75;
    return rank;
}

double fncExceptionCalcBetter(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio) {
    double rank = 0;
    if (dblQ1 != 0 && dblmyRatio < dblQ1) rank = 25;
    if (dblQ2 != 0 && dblmyRatio < dblQ2) rank = 50;
    if (dblQ3 != 0 && dblmyRatio < dblQ3) rank = 75;
    return rank;
}

double fncExceptionCalcWorse(double dblQ1, double dblQ2, double dblQ3, double dblmyRatio) {
    double rank = 0;
    if (dblQ3 != 0 && dblmyRatio > dblQ3) rank = 25;
    if (dblQ2 != 0 && dblmyRatio > dblQ2) rank = 50;
    if (dblQ1 != 0 && dblmyRatio > dblQ1) rank = 75;
    return rank;
}

double RoundForRanking(double ratio) {
    return RoundSignificant(ratio, 12);
}

double fncCalcRatio(double dblNumerator, double dblDenominator) {
    if (dblNumerator == 0 || dblDenominator == 0) return 0;
    double q = dblNumerator / dblDenominator;
    if (std::isinf(q) && std::isfinite(dblNumerator) && std::isfinite(dblDenominator))
        throw std::overflow_error("Overflow");
    return q;
}

} // namespace zorva
