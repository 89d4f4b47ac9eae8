#pragma once
// The small charts of the comparison and trend reports, drawn with QPainter
// at three times their display size (sharp in print and PDF), each with a
// sentence in the report's language that says what it draws, made from the
// same numbers (its text alternative; the reading view shows it).
// Colours from the Okabe-Ito palette, told apart by readers with any common
// colour-vision deficiency; every mark also differs by shape, and every mark
// stands out from what lies next to it by a contrast of at least 3:1, so that
// the charts read in grey as well.

#include "reports/render/ReportEngine.h"

#include <optional>
#include <string>
#include <vector>

namespace zorva::report {

// Colours: the enterprise (vermillion) and the industry (blue, light blue).
// Against white: vermillion 3.9:1 (and outlined in black), blue 5.2:1; the
// light blue of the middle half is outlined in blue, and the median's blue
// stands out from it by 3.6:1.
inline constexpr unsigned kEnterpriseColour = 0xD55E00;
inline constexpr unsigned kIndustryColour = 0x0072B2;
inline constexpr unsigned kIndustryLightColour = 0xB5DDF5;

// How a chart's numbers are worded: the report's language, the decimals its
// table shows them with, and the name of what is drawn.
struct ChartWords {
    Lang lang = Lang::English;
    int decimals = 1;
    std::string name;
};

// Where a value lies among the three quartile boundaries: a light-blue box
// from Q1 to Q3, a dark-blue bar at the median, a vermillion diamond at the
// enterprise's value. Boundaries may be in either order; one that was not
// published is left out (the box needs both Q1 and Q3). The better side is
// always on the right: for a ratio where lower is better the axis runs from
// high to low.
// Its sentence: "Net profit margin: your enterprise 3.4; industry median 2.6;
// middle half of the industry 0.8 to 5.9." (what was not published left out).
ReportImage QuartileChart(std::optional<double> q1, std::optional<double> q2, std::optional<double> q3, double value,
                          bool higherIsBetter, const ChartWords& words);
std::string QuartileSentence(std::optional<double> q1, std::optional<double> q2, std::optional<double> q3,
                             double value, const ChartWords& words);

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
// Its sentence names each year with what it draws for that year: "Net profit
// margin by year: 2008, your enterprise 2.0, industry median 7.6, middle half
// of the industry 3.1 to 12.0; 2010, ...".
ReportImage TrendChart(const std::vector<TrendPoint>& points, bool higherIsBetter, const ChartWords& words);
std::string TrendSentence(const std::vector<TrendPoint>& points, const ChartWords& words);

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
// Its sentence gives each pair: "Balance-sheet structure, % of total assets:
// Cash and deposits, your enterprise 8.5%, industry 12.4%; ...".
ReportImage BalanceChart(const std::vector<BarLine>& lines, const ChartWords& words);
std::string BalanceSentence(const std::vector<BarLine>& lines, const ChartWords& words);

} // namespace zorva::report
