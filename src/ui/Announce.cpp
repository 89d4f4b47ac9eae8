#include "ui/Announce.h"

#include <QAccessible>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <deque>

namespace zorva {

namespace {

QString& Last() {
    static QString text;
    return text;
}

// The notification: an object of its own below the window, named by its text.
class Notification : public QAccessibleInterface {
public:
    Notification(QWidget* owner, QString text) : owner_(owner), text_(std::move(text)) {}
    bool isValid() const override { return owner_; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_ ? owner_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return owner_ ? QAccessible::queryAccessibleInterface(owner_->window()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? text_ : QString(); }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        return owner_ ? QRect(owner_->mapToGlobal(QPoint(0, 0)), owner_->size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        return s;
    }

private:
    QPointer<QWidget> owner_;
    QString text_;
};

} // namespace

void Announce(QWidget* owner, const QString& text) {
    if (!owner || text.isEmpty()) return;
    Last() = text;
    if (!QAccessible::isActive()) return;
    // The last few stay while the screen reader reads them; older ones go.
    static std::deque<QAccessible::Id> kept;
    while (kept.size() >= 4) {
        if (QAccessible::accessibleInterface(kept.front())) QAccessible::deleteAccessibleInterface(kept.front());
        kept.pop_front();
    }
    auto* notification = new Notification(owner, text);
    kept.push_back(QAccessible::registerAccessibleInterface(notification));
    QAccessibleEvent shown(notification, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

QString LastAnnouncement() { return Last(); }

} // namespace zorva
