#pragma once
// Amount boxes that show their amount grouped by the current language's
// convention ("2,480,000", "2 480 000") while they are not being edited, and
// the plain digits while they are.
//
// Mechanism. The box's text stays the plain number text form: it is what the
// program reads (the record, the statements, the key filter) and what every
// test reads. Only what is painted and what assistive technology is told
// change: a paint of a box without the focus draws, in its place, a twin line
// edit (same size, font, palette, frame and alignment) holding the grouped
// text, so the grouped amount looks exactly like a typed one; and the box's
// accessible interface gives the grouped text as its value and text while the
// box does not have the focus. A grouped text too wide for its box is not
// used (the plain one is painted, as the box would).
//
// Relies on: gintLanguage (the language of the grouping, read at each paint),
// GroupedNumberText (the grouping itself, exact on the digits).

class QLineEdit;
class QString;

namespace zorva {

// Makes a box show its amount grouped while it does not have the focus.
void ShowGroupedAmount(QLineEdit* box);
// The text a grouped box shows now: grouped without the focus, plain with it.
QString ShownAmountText(const QLineEdit* box);
// After a language switch: the box is painted again and assistive technology
// told of its new text.
void RegroupAmount(QLineEdit* box);

} // namespace zorva
