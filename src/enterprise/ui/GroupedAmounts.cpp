#include "enterprise/ui/GroupedAmounts.h"

#include "core/Globals.h"
#include "enterprise/NumberText.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>

#include <memory>

namespace zorva {

namespace {

constexpr const char* kGroupedProperty = "groupedAmount";
constexpr const char* kShownProperty = "shownAmount";  // what assistive technology was last told

QString groupedText(const QLineEdit* box) {
    return QString::fromStdString(GroupedNumberText(box->text().toStdString(), gintLanguage));
}

bool fits(const QLineEdit* box, const QString& text) {
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->rect();
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const QMargins margins = box->textMargins();
    // The line edit's own margin of 2 on either side, and room for its cursor.
    return box->fontMetrics().horizontalAdvance(text) + 5 <= contents.width() - margins.left() - margins.right();
}

// Tells assistive technology when the text a box shows changes.
void announce(QLineEdit* box) {
    const QString shown = ShownAmountText(box);
    const QString before = box->property(kShownProperty).toString();
    if (shown == before) return;
    box->setProperty(kShownProperty, shown);
    QAccessibleTextUpdateEvent event(box, 0, before, shown);
    QAccessible::updateAccessibility(&event);
}

// Paints the grouped amount of a box without the focus, and follows the
// focus and the box's text for assistive technology.
class GroupedPainter : public QObject {
public:
    explicit GroupedPainter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = static_cast<QLineEdit*>(watched);
        switch (event->type()) {
        case QEvent::Paint: {
            if (box->hasFocus()) return false;
            const QString grouped = groupedText(box);
            if (grouped == box->text() || !fits(box, grouped)) return false;
            paintTwin(box, grouped);
            return true;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            // After the box has taken or left the focus (and been normalised).
            QMetaObject::invokeMethod(box, [box] { announce(box); }, Qt::QueuedConnection);
            return false;
        default:
            return false;
        }
    }

private:
    void paintTwin(QLineEdit* box, const QString& grouped) {
        if (!twin_) {
            twin_ = std::make_unique<QLineEdit>();  // never shown: it only paints
            twin_->setAttribute(Qt::WA_DontShowOnScreen);
        }
        twin_->setFont(box->font());
        twin_->setPalette(box->palette());
        twin_->setFrame(box->hasFrame());
        twin_->setAlignment(box->alignment());
        twin_->setTextMargins(box->textMargins());
        twin_->setReadOnly(box->isReadOnly());
        twin_->setEnabled(box->isEnabled());
        twin_->setLayoutDirection(box->layoutDirection());
        twin_->resize(box->size());
        twin_->setText(grouped);
        twin_->setCursorPosition(0);
        // Through a picture: rendering straight onto the box's painter would
        // land at the origin of the window being painted, not at the box.
        const qreal ratio = box->devicePixelRatioF();
        QPixmap picture(box->size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        twin_->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        QPainter painter(box);
        painter.drawPixmap(0, 0, picture);
    }

    std::unique_ptr<QLineEdit> twin_;
};

// The accessible interface of a grouped box: an editable text whose value
// and text are what the box shows.
class GroupedAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit GroupedAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? ShownAmountText(box()) : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = !box()->isReadOnly();
        s.readOnly = box()->isReadOnly();
        s.selectableText = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The text interface: the plain text and its selection while editing,
    // the grouped text (caret at its end) otherwise.
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index == 0 && editing() && box()->hasSelectedText()) {
            *start = box()->selectionStart();
            *end = *start + static_cast<int>(box()->selectedText().size());
        }
    }
    int selectionCount() const override { return editing() && box()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { box()->deselect(); }
    void setSelection(int, int start, int end) override {
        if (editing()) box()->setSelection(start, end - start);
    }
    int cursorPosition() const override { return editing() ? box()->cursorPosition() : characterCount(); }
    void setCursorPosition(int position) override {
        if (editing()) box()->setCursorPosition(position);
    }
    QString text(int start, int end) const override { return ShownAmountText(box()).mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(ShownAmountText(box()).size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return QString();
    }

private:
    QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }
    bool editing() const { return box()->hasFocus(); }
};

QAccessibleInterface* groupedAccessible(const QString&, QObject* object) {
    auto* box = qobject_cast<QLineEdit*>(object);
    if (box && box->property(kGroupedProperty).toBool()) return new GroupedAccessible(box);
    return nullptr;
}

} // namespace

QString ShownAmountText(const QLineEdit* box) {
    if (box->hasFocus()) return box->text();
    const QString grouped = groupedText(box);
    return fits(box, grouped) ? grouped : box->text();
}

void ShowGroupedAmount(QLineEdit* box) {
    static const bool installed = [] {
        QAccessible::installFactory(groupedAccessible);
        return true;
    }();
    (void)installed;
    box->setProperty(kGroupedProperty, true);
    // An interface made for the box before (the box was already announced)
    // is dropped: the next one asked for comes from the factory above.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(box);
        made && !dynamic_cast<GroupedAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    box->installEventFilter(new GroupedPainter(box));
    QObject::connect(box, &QLineEdit::textChanged, box, [box] { box->setProperty(kShownProperty, ShownAmountText(box)); });
}

void RegroupAmount(QLineEdit* box) {
    box->update();
    announce(box);
}

} // namespace zorva
