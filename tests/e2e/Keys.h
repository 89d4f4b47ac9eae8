#pragma once
// Typing any text, as a keyboard with every character would: ASCII through
// QTest's keys (Return for a line break), anything else as a key event
// carrying the character, one code point at a time.

#include <QTest>
#include <QWidget>

namespace zorva::test {

inline void TypeText(QWidget* widget, const QString& text) {
    for (uint cp : text.toUcs4()) {
        if (cp == '\r') continue;
        if (cp == '\n') {
            QTest::keyClick(widget, Qt::Key_Return);
        } else if (cp >= 0x20 && cp < 0x7f) {
            QTest::keyClick(widget, static_cast<char>(cp));
        } else if (cp == '\t') {
            QTest::keyClick(widget, Qt::Key_Tab);
        } else {
            const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1);
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, one, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, one, Qt::NoModifier);
        }
    }
}

} // namespace zorva::test
