#include "ui/WrapRadioButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace zorva {

namespace {
const int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
const int kPadding = 2;  // above and below the text, room for the focus frame
} // namespace

WrapRadioButton::WrapRadioButton(QWidget* parent) : QRadioButton(parent) {
    setSizePolicy(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed, QSizePolicy::RadioButton));
}

int WrapRadioButton::indicatorWidth() const {
    return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
}

int WrapRadioButton::indicatorHeight() const {
    return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
}

QRect WrapRadioButton::textRect(int width) const {
    const int textWidth = std::max(1, width - indicatorWidth());
    QRect r = fontMetrics().boundingRect(QRect(0, 0, textWidth, 100000), kFlags, text());
    r.moveTopLeft(QPoint(indicatorWidth(), kPadding));
    r.setWidth(textWidth);
    return r;
}

int WrapRadioButton::preferredTextWidth() const {
    // One line when the caption is short, otherwise lines of about 40 characters.
    const QFontMetrics fm = fontMetrics();
    const int oneLine = fm.horizontalAdvance(text());
    return std::min(oneLine, fm.averageCharWidth() * 40);
}

QSize WrapRadioButton::sizeHint() const {
    const int width = indicatorWidth() + preferredTextWidth() + 2;
    return QSize(width, heightAtWidth(width));
}

QSize WrapRadioButton::minimumSizeHint() const { return sizeHint(); }

int WrapRadioButton::heightAtWidth(int width) const {
    const int textHeight = textRect(width).height();
    return std::max(indicatorHeight(), textHeight) + 2 * kPadding;
}

bool WrapRadioButton::hitButton(const QPoint& pos) const { return rect().contains(pos); }

void WrapRadioButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);

    // The indicator sits beside the first line of the caption.
    const int lineHeight = fontMetrics().height();
    const int top = kPadding + std::max(0, (lineHeight - indicatorHeight()) / 2);
    QStyleOptionButton indicator = opt;
    indicator.rect = QRect(0, top, style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this),
                           indicatorHeight());
    p.drawPrimitive(QStyle::PE_IndicatorRadioButton, indicator);

    const QRect tr = textRect(width());
    p.drawItemText(tr, kFlags, opt.palette, isEnabled(), text(), QPalette::WindowText);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = fontMetrics().boundingRect(tr, kFlags, text()).adjusted(-2, -1, 2, 1);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace zorva
