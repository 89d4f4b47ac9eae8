#pragma once
// Polite announcements for screen readers: a short text said once, without
// moving the focus (the industry chosen, the number of places found, the
// zoom). On the accessibility bus it is a notification that appears: the
// screen reader says it after what it is saying.

#include <QString>

class QWidget;

namespace zorva {

// Announces `text` from `owner`'s window. Nothing when no assistive
// technology listens or the text is empty.
void Announce(QWidget* owner, const QString& text);

// The last text announced (tests).
QString LastAnnouncement();

} // namespace zorva
