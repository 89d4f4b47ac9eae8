#pragma once
// An option button whose long caption ("Enterprises with Revenue of $5
// million to less than $25 million") wraps onto lines of about 40 characters
// instead of widening its column. Its size hint is also its minimum size, so
// a layout never makes it narrower than the wrapped caption needs: the
// caption is never clipped. The whole button, caption included, takes the
// click; text(), accessibility and grouping are those of QRadioButton.

#include <QRadioButton>

namespace zorva {

class WrapRadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit WrapRadioButton(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Height of the button when it is `width` wide.
    int heightAtWidth(int width) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    int indicatorWidth() const;   // indicator plus the gap before the text
    int indicatorHeight() const;
    QRect textRect(int width) const;
    int preferredTextWidth() const;
};

} // namespace zorva
