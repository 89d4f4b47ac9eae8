#include "reports/render/ReportCharts.h"

#include "core/Strings.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>

namespace zorva::report {

namespace {

constexpr int kScale = 3;  // pixels drawn per display pixel (sharp at 288 dpi)

QColor Rgb(unsigned rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QImage Canvas(int w, int h) {
    QImage img(w * kScale, h * kScale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    img.setDotsPerMeterX(static_cast<int>(96 * kScale / 0.0254));
    img.setDotsPerMeterY(static_cast<int>(96 * kScale / 0.0254));
    return img;
}

ReportImage Finish(QImage img, int w, int h, const std::string& alt) {
    ReportImage out;
    out.image = std::make_shared<const QImage>(std::move(img));
    out.width = w;
    out.height = h;
    out.alt = alt;
    return out;
}

void Diamond(QPainter& p, QPointF c, double r) {
    QPainterPath path;
    path.moveTo(c.x(), c.y() - r);
    path.lineTo(c.x() + r, c.y());
    path.lineTo(c.x(), c.y() + r);
    path.lineTo(c.x() - r, c.y());
    path.closeSubpath();
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(Rgb(kEnterpriseColour));
    p.drawPath(path);
}

QFont ChartFont(double pixelSize) {
    QFont f("DejaVu Sans");
    f.setPixelSize(static_cast<int>(pixelSize));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// Grey of axes and scale labels: 4.5:1 against white.
const QColor kAxisGrey(0x76, 0x76, 0x76);

// The sentences' words (string ids, English; French at id + 1).
constexpr int kSentence = 2500, kYours = 2502, kMedian = 2504, kMiddleHalf = 2506, kByYear = 2508,
              kIndustryShare = 2510;

std::string Put(std::string text, const std::map<std::string, std::string>& values) {
    for (const auto& [key, v] : values)
        for (size_t p = 0; (p = text.find(key, p)) != std::string::npos; p += v.size()) text.replace(p, key.size(), v);
    return text;
}
std::string Words(int id, const ChartWords& w) { return Txt(id, w.lang == Lang::French ? 1 : 0); }
std::string Shown(double v, const ChartWords& w) { return FormatNumber(v, w.decimals, w.lang); }

// What is drawn for one set of boundaries and a value: the enterprise, the
// median, the middle half (lower number first), each when it is there.
std::vector<std::string> Parts(std::optional<double> mine, std::optional<double> q1, std::optional<double> q2,
                               std::optional<double> q3, const ChartWords& w) {
    std::vector<std::string> parts;
    if (mine) parts.push_back(Put(Words(kYours, w), {{"{V}", Shown(*mine, w)}}));
    if (q2) parts.push_back(Put(Words(kMedian, w), {{"{M}", Shown(*q2, w)}}));
    if (q1 && q3)
        parts.push_back(Put(Words(kMiddleHalf, w), {{"{A}", Shown(std::min(*q1, *q3), w)},
                                                    {"{B}", Shown(std::max(*q1, *q3), w)}}));
    return parts;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : separator) + p;
    return out;
}

// Diagonal hatching that keeps its spacing at the drawing scale.
QBrush Hatch(unsigned rgb) {
    QBrush b(Rgb(rgb), Qt::BDiagPattern);
    b.setTransform(QTransform::fromScale(kScale / 2.0, kScale / 2.0));
    return b;
}

} // namespace

std::string QuartileSentence(std::optional<double> q1, std::optional<double> q2, std::optional<double> q3,
                             double value, const ChartWords& words) {
    return Put(Words(kSentence, words), {{"{R}", words.name}, {"{P}", Joined(Parts(value, q1, q2, q3, words), "; ")}});
}

std::string TrendSentence(const std::vector<TrendPoint>& points, const ChartWords& words) {
    std::vector<std::string> years;
    for (const auto& pt : points) {
        auto parts = Parts(pt.mine, pt.q1, pt.q2, pt.q3, words);
        parts.insert(parts.begin(), std::to_string(pt.year));
        years.push_back(Joined(parts, ", "));
    }
    return Put(Words(kByYear, words), {{"{R}", words.name}, {"{P}", Joined(years, "; ")}});
}

std::string BalanceSentence(const std::vector<BarLine>& lines, const ChartWords& words) {
    std::vector<std::string> pairs;
    for (const auto& l : lines) {
        const std::string mine = FormatPercent(l.enterprise, words.decimals, words.lang);
        const std::string industry = FormatPercent(l.industry, words.decimals, words.lang);
        pairs.push_back(l.label + ", " + Put(Words(kYours, words), {{"{V}", mine}}) + ", " +
                        Put(Words(kIndustryShare, words), {{"{I}", industry}}));
    }
    return Put(Words(kSentence, words), {{"{R}", words.name}, {"{P}", Joined(pairs, "; ")}});
}

ReportImage QuartileChart(std::optional<double> q1, std::optional<double> q2, std::optional<double> q3, double value,
                          bool higherIsBetter, const ChartWords& words) {
    const int w = 130, h = 16;
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);

    double lo = value, hi = value;
    for (const auto& q : {q1, q2, q3}) {
        if (!q) continue;
        lo = std::min(lo, *q);
        hi = std::max(hi, *q);
    }
    if (!(hi > lo)) {
        lo -= 1;
        hi += 1;
    }
    const double pad = (hi - lo) * 0.08;
    lo -= pad;
    hi += pad;
    const double left = 4, right = w - 4;
    auto x = [&](double v) {
        const double t = (v - lo) / (hi - lo);
        return left + (higherIsBetter ? t : 1 - t) * (right - left);
    };
    const double mid = h / 2.0;

    // The axis.
    p.setPen(QPen(kAxisGrey, 0.8));
    p.drawLine(QPointF(left, mid), QPointF(right, mid));
    // The middle half of the industry.
    if (q1 && q3) {
        double a = std::min(x(*q1), x(*q3)), b = std::max(x(*q1), x(*q3));
        p.setPen(QPen(Rgb(kIndustryColour), 0.8));
        p.setBrush(Rgb(kIndustryLightColour));
        p.drawRect(QRectF(a, mid - 4, std::max(b - a, 1.0), 8));
    }
    // The median.
    if (q2) {
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kIndustryColour));
        p.drawRect(QRectF(x(*q2) - 1.2, mid - 6.5, 2.4, 13));
    }
    // The enterprise.
    Diamond(p, QPointF(x(value), mid), 4.5);
    p.end();
    return Finish(img, w, h, QuartileSentence(q1, q2, q3, value, words));
}

ReportImage TrendChart(const std::vector<TrendPoint>& points, bool higherIsBetter, const ChartWords& words) {
    const Lang lang = words.lang;
    const std::string alt = TrendSentence(points, words);
    const int w = 170, h = 64;
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);

    std::optional<double> lo, hi;
    for (const auto& pt : points)
        for (const auto& v : {pt.mine, pt.q1, pt.q2, pt.q3}) {
            if (!v) continue;
            lo = lo ? std::min(*lo, *v) : *v;
            hi = hi ? std::max(*hi, *v) : *v;
        }
    if (!lo) {
        p.end();
        return Finish(img, w, h, alt);
    }
    double a = *lo, b = *hi;
    if (!(b > a)) {
        a -= 1;
        b += 1;
    }
    const double pad = (b - a) * 0.1;
    a -= pad;
    b += pad;
    const QFont font = ChartFont(7.5);
    p.setFont(font);
    const QFontMetricsF fm(font);
    const double labelW = fm.horizontalAdvance("-0000.0") + 2;
    const double left = labelW + 4, right = w - 10, top = 4, bottom = h - fm.height() - 3;
    auto y = [&](double v) {
        const double t = (v - a) / (b - a);
        return bottom - (higherIsBetter ? t : 1 - t) * (bottom - top);
    };
    const size_t n = points.size();
    auto x = [&](size_t i) { return n < 2 ? (left + right) / 2 : left + 8 + i * (right - left - 16) / (n - 1); };

    // Frame, the two ends of the scale and the years.
    p.setPen(QPen(kAxisGrey, 0.6));
    p.drawLine(QPointF(left, top), QPointF(left, bottom));
    p.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    p.setPen(kAxisGrey);
    const int decimals = (b - a) < 10 ? 2 : (b - a) < 100 ? 1 : 0;
    for (double v : {a + pad, b - pad}) {
        const QString t = QString::fromStdString(FormatNumber(v, decimals, lang));
        p.drawText(QRectF(0, y(v) - fm.height() / 2, labelW, fm.height()), Qt::AlignRight | Qt::AlignVCenter, t);
        p.setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 0.5));
        p.drawLine(QPointF(left, y(v)), QPointF(right, y(v)));
        p.setPen(kAxisGrey);
    }
    for (size_t i = 0; i < n; ++i)
        p.drawText(QRectF(x(i) - 20, bottom + 1, 40, fm.height()), Qt::AlignHCenter | Qt::AlignTop,
                   QString::number(points[i].year));

    // The middle half of the industry: a band through the years where both boundaries are published.
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(kIndustryLightColour));
    for (size_t i = 0; i + 1 < n; ++i) {
        const auto &u = points[i], &v = points[i + 1];
        if (!(u.q1 && u.q3 && v.q1 && v.q3)) continue;
        QPolygonF band({QPointF(x(i), y(*u.q1)), QPointF(x(i + 1), y(*v.q1)), QPointF(x(i + 1), y(*v.q3)),
                        QPointF(x(i), y(*u.q3))});
        p.drawPolygon(band);
    }
    for (size_t i = 0; i < n; ++i) {  // a year alone: its band as a short bar
        const auto& u = points[i];
        const bool joined = (i > 0 && points[i - 1].q1 && points[i - 1].q3) || (i + 1 < n && points[i + 1].q1 && points[i + 1].q3);
        if (u.q1 && u.q3 && !joined) p.drawRect(QRectF(x(i) - 4, std::min(y(*u.q1), y(*u.q3)), 8, std::fabs(y(*u.q1) - y(*u.q3))));
    }
    // The band's edges, thin and dashed, so that it stands out from the white around it.
    QPen edge(Rgb(kIndustryColour), 0.6, Qt::DashLine);
    p.setPen(edge);
    p.setBrush(Qt::NoBrush);
    for (size_t i = 0; i + 1 < n; ++i) {
        const auto &u = points[i], &v = points[i + 1];
        if (!(u.q1 && u.q3 && v.q1 && v.q3)) continue;
        p.drawLine(QPointF(x(i), y(*u.q1)), QPointF(x(i + 1), y(*v.q1)));
        p.drawLine(QPointF(x(i), y(*u.q3)), QPointF(x(i + 1), y(*v.q3)));
    }
    for (size_t i = 0; i < n; ++i) {
        const auto& u = points[i];
        const bool joined = (i > 0 && points[i - 1].q1 && points[i - 1].q3) || (i + 1 < n && points[i + 1].q1 && points[i + 1].q3);
        if (u.q1 && u.q3 && !joined) p.drawRect(QRectF(x(i) - 4, std::min(y(*u.q1), y(*u.q3)), 8, std::fabs(y(*u.q1) - y(*u.q3))));
    }
    // A series as a line between consecutive years that have a value, and a mark at each.
    auto series = [&](auto get, QColor colour, auto mark) {
        p.setPen(QPen(colour, 1.4));
        p.setBrush(Qt::NoBrush);
        for (size_t i = 0; i + 1 < n; ++i)
            if (get(points[i]) && get(points[i + 1]))
                p.drawLine(QPointF(x(i), y(*get(points[i]))), QPointF(x(i + 1), y(*get(points[i + 1]))));
        for (size_t i = 0; i < n; ++i)
            if (get(points[i])) mark(QPointF(x(i), y(*get(points[i]))));
    };
    series([](const TrendPoint& t) { return t.q2; }, Rgb(kIndustryColour), [&](QPointF c) {
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kIndustryColour));
        p.drawRect(QRectF(c.x() - 2.5, c.y() - 2.5, 5, 5));
    });
    series([](const TrendPoint& t) { return t.mine; }, Rgb(kEnterpriseColour), [&](QPointF c) { Diamond(p, c, 3.5); });
    p.end();
    return Finish(img, w, h, alt);
}

ReportImage LegendSymbol(LegendMark mark) {
    const int w = 16, h = 12;
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);
    switch (mark) {
    case LegendMark::MiddleHalf:
        p.setPen(QPen(Rgb(kIndustryColour), 0.8));
        p.setBrush(Rgb(kIndustryLightColour));
        p.drawRect(QRectF(1, 2, 14, 8));
        break;
    case LegendMark::Median:
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kIndustryColour));
        p.drawRect(QRectF(6.8, 0, 2.4, 12));
        break;
    case LegendMark::Enterprise: Diamond(p, QPointF(8, 6), 5); break;
    case LegendMark::EnterpriseBar:
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kEnterpriseColour));
        p.drawRect(QRectF(1, 2, 14, 8));
        break;
    case LegendMark::IndustryBar:
        p.setPen(QPen(Rgb(kIndustryColour), 0.8));
        p.setBrush(Hatch(kIndustryColour));
        p.drawRect(QRectF(1, 2, 14, 8));
        break;
    case LegendMark::MedianLine:
        p.setPen(QPen(Rgb(kIndustryColour), 1.4));
        p.drawLine(QPointF(0, 6), QPointF(16, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kIndustryColour));
        p.drawRect(QRectF(5.5, 3.5, 5, 5));
        break;
    case LegendMark::EnterpriseLine:
        p.setPen(QPen(Rgb(kEnterpriseColour), 1.4));
        p.drawLine(QPointF(0, 6), QPointF(16, 6));
        Diamond(p, QPointF(8, 6), 3.5);
        break;
    }
    p.end();
    return Finish(img, w, h, {});
}

ReportImage BalanceChart(const std::vector<BarLine>& lines, const ChartWords& words) {
    const Lang lang = words.lang;
    const int w = 560;
    const double rowH = 16, top = 4, bottom = 20;
    const int h = static_cast<int>(top + rowH * static_cast<double>(lines.size()) + bottom);
    QImage img = Canvas(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(kScale, kScale);
    QFont font = ChartFont(9);
    p.setFont(font);
    QFontMetricsF fm(font);

    double labelW = 0;
    for (const auto& l : lines) labelW = std::max(labelW, fm.horizontalAdvance(QString::fromStdString(l.label)));
    labelW = std::min(labelW + 8, w * 0.45);
    double lo = 0, hi = 0;
    for (const auto& l : lines) {
        lo = std::min({lo, l.enterprise, l.industry});
        hi = std::max({hi, l.enterprise, l.industry});
    }
    if (hi - lo < 1) hi = lo + 1;
    // Round the scale to tens.
    hi = std::ceil(hi / 10) * 10;
    lo = std::floor(lo / 10) * 10;
    const double left = labelW + 4, right = w - 10;
    auto x = [&](double v) { return left + (v - lo) / (hi - lo) * (right - left); };

    // Grid and scale.
    const double step = (hi - lo) > 60 ? 20 : 10;
    QFont small = ChartFont(9);
    p.setFont(small);
    for (double g = std::ceil(lo / step) * step; g <= hi + 1e-9; g += step) {
        p.setPen(QPen(QColor(0xDD, 0xDD, 0xDD), 0.6));
        p.drawLine(QPointF(x(g), top), QPointF(x(g), h - bottom + 2));
        p.setPen(kAxisGrey);
        QString t = QString::fromStdString(FormatPercent(g, 0, lang));
        p.drawText(QRectF(x(g) - 30, h - bottom + 4, 60, 14), Qt::AlignHCenter | Qt::AlignTop, t);
    }
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 0.8));
    p.drawLine(QPointF(x(0), top), QPointF(x(0), h - bottom + 2));

    p.setFont(font);
    for (size_t i = 0; i < lines.size(); ++i) {
        const double y = top + rowH * static_cast<double>(i);
        p.setPen(QColor(0x22, 0x22, 0x22));
        p.drawText(QRectF(0, y, labelW, rowH), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(lines[i].label));
        const double e0 = x(std::min(0.0, lines[i].enterprise)), e1 = x(std::max(0.0, lines[i].enterprise));
        const double i0 = x(std::min(0.0, lines[i].industry)), i1 = x(std::max(0.0, lines[i].industry));
        p.setPen(Qt::NoPen);
        p.setBrush(Rgb(kEnterpriseColour));
        p.drawRect(QRectF(e0, y + 2, std::max(e1 - e0, 0.5), 5.5));
        p.setPen(QPen(Rgb(kIndustryColour), 0.8));
        p.setBrush(Hatch(kIndustryColour));
        p.drawRect(QRectF(i0, y + 8, std::max(i1 - i0, 0.5), 5.5));
    }
    p.end();
    return Finish(img, w, h, BalanceSentence(lines, words));
}

} // namespace zorva::report
