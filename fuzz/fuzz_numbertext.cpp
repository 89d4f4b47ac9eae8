// Feeds the enterprise record's number reading and key filter arbitrary text.
// Besides never crashing or reading out of bounds, what they return must hold
// together:
//  - the number text form is a fixed point: reading it again gives itself;
//  - a count of ten-thousandths survives its text form;
//  - typing the bytes one by one into an empty value box through the key
//    filter (the first byte picks an English or French desktop and where the
//    selection lies) lets through only digits, "." and Backspace, and the box
//    never holds anything else but one leading minus;
//  - the five subtotals of a record filled from the text are either all
//    numbers in the number text form or refused as out of range.
#include "enterprise/EnterpriseRecord.h"
#include "enterprise/NumberText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// The number text form: optional "-", digits, optional "." and 1-4 digits,
// no trailing zeros in the fraction; "0" alone for zero.
bool IsNumberTextForm(const std::string& t) {
    if (t == "0") return true;
    std::string_view s(t);
    if (!s.empty() && s[0] == '-') s.remove_prefix(1);
    if (s.empty()) return false;
    size_t dot = s.find('.');
    std::string_view whole = s.substr(0, dot);
    for (char c : whole)
        if (c < '0' || c > '9') return false;
    if (!whole.empty() && whole[0] == '0') return false;
    if (dot == std::string_view::npos) return !whole.empty();
    std::string_view frac = s.substr(dot + 1);
    if (frac.empty() || frac.size() > 4 || frac.back() == '0') return false;
    for (char c : frac)
        if (c < '0' || c > '9') return false;
    return true;
}

size_t CodePoints(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    using namespace zorva;
    const std::uint8_t mode = data[0];
    std::string in(reinterpret_cast<const char*>(data + 1), size - 1);

    // Reading and the number text form.
    (void)LeadingNumber(in);
    (void)ParseNumber(in);
    (void)Format15(LeadingNumber(in));
    (void)LocaleDoubleText(LeadingNumber(in), NumberLocale::French());
    NumberTextResult form = NumberTextForm(in);
    if (form.ok) {
        Check(IsNumberTextForm(form.text));
        NumberTextResult again = NumberTextForm(form.text);
        Check(again.ok && again.text == form.text);
        auto count = ReadTenThousandths(in);
        Check(count.has_value());
        Check(FormatTenThousandths(*count) == form.text);
        Check(ReadTenThousandths(form.text) == count);
    } else {
        Check(form.text.empty());
        Check(!ReadTenThousandths(in).has_value());
    }
    NumberTextResult left = CheckNumericField(in);
    Check(left.ok == form.ok && left.text == form.text);

    // Typing the bytes into an empty box, as the values screen does.
    const NumberLocale locale = (mode & 1) ? NumberLocale::French() : NumberLocale::English();
    (void)IsNumericText(in, locale);
    std::string box;
    for (unsigned char c : in) {
        int key = c;
        size_t n = CodePoints(box);
        size_t selStart = (mode >> 1) % (n + 1);
        size_t selLength = (mode >> 4) % (n - selStart + 1);
        KeyDecision d = subHandleKeyPressDecision(key, box, selStart, selLength, locale);
        switch (d.action) {
        case KeyAction::Accept:
            Check(d.key == kKeyBackspace || d.key == '.' || (d.key >= '0' && d.key <= '9'));
            if (d.key == kKeyBackspace) {
                if (!box.empty()) box.pop_back();
            } else {
                box.push_back(static_cast<char>(d.key));
            }
            break;
        case KeyAction::Refuse:
            Check(d.messageId == kMsgPleaseEnterNumber || d.messageId == kMsgNumberOutOfRange);
            break;
        case KeyAction::Enter:
            Check(IsNumberTextForm(d.text));
            box = d.text;
            break;
        case KeyAction::Minus:
            Check(d.text == "-" || (d.text[0] == '-' && IsNumberTextForm(d.text)));
            box = d.text;
            break;
        }
        // What the filter lets into a box never holds anything but digits,
        // points and one leading minus.
        for (size_t i = 0; i < box.size(); ++i)
            Check((box[i] >= '0' && box[i] <= '9') || box[i] == '.' || (box[i] == '-' && i == 0));
    }

    // A record whose typed values all hold the text.
    RecordTexts record;
    for (Field f : ValueFields()) record[f] = IsComputed(f) ? "0" : in;
    subRemoveBlanksCommas(record);
    Subtotals s = CalculateSubTotals(record);
    if (s.ok) {
        for (const std::string* t : {&s.Toa, &s.Ta, &s.Tliab, &s.Equity1, &s.TotLiabShareEq})
            Check(IsNumberTextForm(*t));
    } else {
        Check(s.messageId == kMsgNumberOutOfRange);
    }
    (void)CheckBeforeComparison(record);
    (void)ReferenceYear(in);
    return 0;
}
