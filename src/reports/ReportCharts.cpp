#include "reports/ReportCharts.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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

// Diagonal hatching that keeps its spacing at the drawing scale.
QBrush Hatch(unsigned rgb) {
    QBrush b(Rgb(rgb), Qt::BDiagPattern);
    b.setTransform(QTransform::fromScale(kScale / 2.0, kScale / 2.0));
    return b;
}

} // namespace

ReportImage QuartileChart(std::optional<double> q1, std::optional<double> q2, std::optional<double> q3, double value,
                          bool higherIsBetter, const std::string& alt) {
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
    p.setPen(QPen(QColor(0x99, 0x99, 0x99), 0.8));
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
    }
    p.end();
    return Finish(img, w, h, {});
}

ReportImage BalanceChart(const std::vector<BarLine>& lines, Lang lang, const std::string& alt) {
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
        p.setPen(QColor(0x55, 0x55, 0x55));
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
    return Finish(img, w, h, alt);
}

} // namespace zorva::report
