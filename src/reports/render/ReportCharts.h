#pragma once
// The small charts of the comparison report, drawn with QPainter into PNG
// pictures at three times their display size (sharp in print and PDF).
// Colours from the Okabe-Ito palette, told apart by readers with any common
// colour-vision deficiency; every mark also differs by shape.

#include "reports/render/ReportEngine.h"

#include <optional>
#include <string>
#include <vector>

namespace zorva::report {

// Colours: the enterprise (vermillion) and the industry (blue, light blue).
inline constexpr unsigned kEnterpriseColour = 0xD55E00;
inline constexpr unsigned kIndustryColour = 0x0072B2;
inline constexpr unsigned kIndustryLightColour = 0x56B4E9;

// Where a value lies among the three quartile boundaries: a light-blue box
// from Q1 to Q3, a dark-blue bar at the median, a vermillion diamond at the
// enterprise's value. Boundaries may be in either order; one that was not
// published is left out (the box needs both Q1 and Q3). The better side is
// always on the right: for a ratio where lower is better the axis runs from
// high to low.
ReportImage QuartileChart(std::optional<double> q1, std::optional<double> q2, std::optional<double> q3, double value,
                          bool higherIsBetter, const std::string& alt);

// One year of a ratio's trend: the enterprise's value (none when no record
// of that year was saved, or the ratio means nothing then) and the industry's
// published boundaries of the same year.
struct TrendPoint {
    int year = 0;
    std::optional<double> mine, q1, q2, q3;
};
// A ratio over the years: the middle half of the industry as a light-blue
// band, the industry median as a dark-blue line with square marks, the
// enterprise as a vermillion line with diamonds. The better side is up: for a
// ratio where lower is better the axis runs from high (bottom) to low (top).
ReportImage TrendChart(const std::vector<TrendPoint>& points, bool higherIsBetter, Lang lang, const std::string& alt);

// The legend's three marks, each alone in a small picture.
enum class LegendMark { MiddleHalf, Median, Enterprise, IndustryBar, EnterpriseBar, MedianLine, EnterpriseLine };
ReportImage LegendSymbol(LegendMark mark);

// Paired horizontal bars, per cent of total assets: the enterprise's bar
// (vermillion, solid) above the industry's (blue, hatched), one pair per line.
struct BarLine {
    std::string label;
    double enterprise = 0;
    double industry = 0;
};
ReportImage BalanceChart(const std::vector<BarLine>& lines, Lang lang, const std::string& alt);

} // namespace zorva::report
