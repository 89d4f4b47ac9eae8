#include "enterprise/StatementImport.h"

#include "core/Edition.h"

#include "core/Strings.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <map>

namespace zorva::import {

namespace {

const std::map<std::string, Field>& knownLabels() {
    static const std::map<std::string, Field> labels = [] {
        std::map<std::string, Field> m;
        for (int i = 0; i < kFieldCount; ++i) {
            const Field f = static_cast<Field>(i);
            if (f == Field::NAICS) continue;
            m.emplace(LabelKey(ColumnName(f)), f);
            if (IsValueField(f) || f == Field::Year)
                for (int lang : {0, 1}) m.emplace(LabelKey(Txt(CaptionId(f), lang)), f);
        }
        for (const char* name : {"name", "nom", "enterprise", "entreprise", "enterprise name", "nom de l'entreprise",
                                 "firm name"})
            m.emplace(LabelKey(name), Field::FirmName);
        for (const char* year : {"year", "annee"}) m.emplace(LabelKey(year), Field::Year);
        return m;
    }();
    return labels;
}

std::string problemText(int id, int language, const std::string& detail = {}) {
    std::string t = FillEditionYears(Txt(id, language));
    const auto at = t.find("{C}");
    if (at != std::string::npos) t.replace(at, 3, detail);
    return t;
}

// Blanks, currency signs and codes, "%" and apostrophes (Swiss grouping) out;
// the minus signs of other typefaces as "-".
QString stripped(const std::string& input) {
    QString s = QString::fromStdString(input).trimmed();
    static const QRegularExpression code(QStringLiteral("^[A-Z]{3}(?=[\\s\\d(+\\-.,$])|(?<=[\\d\\s)])[A-Z]{3}$"));
    s.remove(code);
    for (QChar c : {QChar(0x00A0), QChar(0x202F), QChar(0x2009), QChar(' '), QChar('\t'), QChar('\''), QChar('$'),
                    QChar('%'), QChar(0x20AC), QChar(0x00A3), QChar(0x00A5)})
        s.remove(c);
    s.replace(QChar(0x2212), '-');
    s.replace(QChar(0x2013), '-');
    return s;
}

bool amountLike(const QString& s) {
    static const QRegularExpression re(QStringLiteral("^[-+(]*\\d[\\d.,]*[)-]*$"));
    return re.match(s).hasMatch();
}

} // namespace

std::string LabelKey(const std::string& label) {
    QString s = QString::fromStdString(label).normalized(QString::NormalizationForm_KD);
    QString out;
    for (QChar c : s) {
        if (c.category() == QChar::Mark_NonSpacing || c == '&') continue;
        if (c == QChar(0x2019)) c = '\'';  // typographic apostrophe
        out += c;
    }
    out = out.toUpper().toLower().simplified();
    while (out.endsWith(':') || out.endsWith(' ')) out.chop(1);
    return out.toStdString();
}

std::optional<Field> RecognizeLineItem(const std::string& label) {
    auto it = knownLabels().find(LabelKey(label));
    if (it == knownLabels().end()) return std::nullopt;
    return it->second;
}

DecimalMark DecimalMarkOf(const std::vector<std::string>& texts, DecimalMark fallback) {
    int point = 0, comma = 0;
    for (const auto& t : texts) {
        const QString raw = QString::fromStdString(t);
        const bool blankGroups = raw.contains(QChar(' ')) || raw.contains(QChar(0x00A0)) || raw.contains(QChar(0x202F));
        const QString s = stripped(t);
        if (!amountLike(s)) continue;
        const qsizetype c = s.lastIndexOf(','), d = s.lastIndexOf('.');
        if (c >= 0 && d >= 0) {
            (c > d ? comma : point)++;
            continue;
        }
        const QChar mark = c >= 0 ? QChar(',') : d >= 0 ? QChar('.') : QChar();
        if (mark.isNull()) continue;
        const qsizetype at = c >= 0 ? c : d;
        qsizetype digitsAfter = 0;
        for (qsizetype k = at + 1; k < s.size() && s[k].isDigit(); ++k) ++digitsAfter;
        if (s.count(mark) > 1) (mark == ',' ? point : comma)++;          // a grouping mark
        else if (digitsAfter != 3 || blankGroups) (mark == ',' ? comma : point)++;  // a decimal mark
    }
    if (point == comma) return fallback;
    return point > comma ? DecimalMark::Point : DecimalMark::Comma;
}

AmountReading ReadAmount(const std::string& input, bool numberCell, DecimalMark convention) {
    AmountReading r;
    if (numberCell) {
        r.plain = QString::fromStdString(input).trimmed().toStdString();
        return r;
    }
    QString s = stripped(input);
    if (s == QLatin1String("-") || s == QLatin1String("--")) {
        r.plain = "0";  // the accounting zero
        return r;
    }
    bool negative = false;
    if (s.startsWith('(') && s.endsWith(')')) {
        negative = true;
        s = s.mid(1, s.size() - 2);
    }
    if (s.startsWith('-')) {
        negative = !negative;
        s = s.mid(1);
    } else if (s.startsWith('+')) {
        s = s.mid(1);
    } else if (s.endsWith('-') && s.size() > 1) {
        negative = !negative;  // "1234-", as some accounting programs print a credit
        s.chop(1);
    }
    const qsizetype comma = s.lastIndexOf(','), dot = s.lastIndexOf('.');
    auto single = [&](QChar mark, qsizetype at) {
        // One mark: three digits after it read two ways.
        const qsizetype after = s.size() - at - 1;
        const QString before = s.left(at);
        const bool markIsDecimal = (mark == ',') == (convention == DecimalMark::Comma);
        if (after == 3 && !before.isEmpty()) {
            r.ambiguous = true;
            const bool leadingZero = before == QLatin1String("0");
            if (markIsDecimal || leadingZero) s.replace(mark, '.');
            else s.remove(mark);
        } else {
            s.replace(mark, '.');
        }
    };
    if (comma >= 0 && dot >= 0) {
        // Both marks: the later one is the decimal mark.
        const QChar group = comma > dot ? '.' : ',';
        s.remove(group);
        s.replace(',', '.');
    } else if (comma >= 0) {
        static const QRegularExpression groups(QStringLiteral("^\\d{1,3}(,\\d{3})+$"));
        if (s.count(',') > 1) {
            if (groups.match(s).hasMatch()) s.remove(',');
            else s.clear();
        } else {
            single(',', comma);
        }
    } else if (dot >= 0 && s.count('.') > 1) {
        static const QRegularExpression groups(QStringLiteral("^\\d{1,3}(\\.\\d{3})+$"));
        if (groups.match(s).hasMatch()) s.remove('.');
        else s.clear();
    } else if (dot >= 0) {
        single('.', dot);
    }
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (s.isEmpty() || !plain.match(s).hasMatch()) {
        r.ambiguous = false;
        return r;
    }
    r.plain = (negative ? "-" : "") + s.toStdString();
    return r;
}

std::string NormalizeAmount(const std::string& input, bool numberCell, std::string* problem) {
    AmountReading r = ReadAmount(input, numberCell, DecimalMark::Point);
    if (r.plain.empty()) *problem = "not a number";
    return r.plain;
}

bool StatementPreview::HasImportableLine() const {
    return std::any_of(lines.begin(), lines.end(), [](const ImportedLine& l) { return l.ok && !l.computed; });
}

std::string StatementPreview::FirmName() const {
    for (const auto& l : lines)
        if (l.field == Field::FirmName && l.ok) return l.value;
    return {};
}

bool StatementPreview::Names(Field f) const {
    return std::any_of(lines.begin(), lines.end(), [f](const ImportedLine& l) { return l.field == f && l.ok; });
}

StatementPreview ReadStatement(const std::vector<SheetRow>& rows, int language, DecimalMark fallback) {
    StatementPreview p;
    // The file's convention, from every amount-like text in it.
    std::vector<std::string> texts;
    for (const auto& r : rows)
        for (const auto& c : r.cells)
            if (!c.number && !c.text.empty()) texts.push_back(c.text);
    const DecimalMark convention = DecimalMarkOf(texts, fallback);
    p.readAs.convention = convention;

    std::map<Field, std::string> firstCell;  // where each field was first given
    auto add = [&](const SheetCell& labelCell, Field f, const SheetCell* amount) {
        ImportedLine line;
        line.field = f;
        line.label = labelCell.text;
        line.computed = IsComputed(f);
        if (amount) line.cell = amount->ref;
        auto seen = firstCell.find(f);
        if (seen != firstCell.end()) {
            if (amount) line.read = amount->text;
            line.problem = problemText(kProblemGivenTwice, language, seen->second);
            p.lines.push_back(line);
            return;
        }
        firstCell[f] = amount ? amount->ref : labelCell.ref;
        if (amount && amount->formulaWithoutValue) {
            line.problem = problemText(kProblemFormulaWithoutValue, language);
            p.lines.push_back(line);
            return;
        }
        if (!amount || amount->text.empty()) {
            line.problem = problemText(kProblemNoAmount, language);
            p.lines.push_back(line);
            return;
        }
        line.read = amount->text;
        if (f == Field::FirmName) {
            line.value = amount->text;
            line.ok = true;
        } else if (f == Field::Year) {
            auto y = ReferenceYear(amount->number ? amount->text.substr(0, amount->text.find('.')) : amount->text);
            line.ok = y.has_value();
            if (line.ok) line.value = std::to_string(*y);
            else line.problem = problemText(kProblemNotAYear, language);
        } else {
            const AmountReading a = ReadAmount(amount->text, amount->number, convention);
            NumberTextResult n = a.plain.empty() ? NumberTextResult{false, {}} : CheckNumericField(a.plain);
            line.ok = n.ok;
            line.ambiguous = a.ambiguous;
            if (n.ok) line.value = n.text;
            else line.problem = problemText(a.plain.empty() ? kProblemNotANumber : kMsgNumberOutOfRange, language);
        }
        p.lines.push_back(line);
    };
    auto recognised = [](const SheetRow& r) {
        int n = 0;
        for (const auto& c : r.cells) n += !c.text.empty() && RecognizeLineItem(c.text).has_value();
        return n;
    };
    if (rows.size() >= 2 && recognised(rows[0]) >= 2) {
        p.layout = Layout::OneRow;
        const SheetRow& head = rows[0];
        const SheetRow& data = rows[1];
        for (size_t c = 0; c < head.cells.size(); ++c) {
            const SheetCell& h = head.cells[c];
            if (h.text.empty()) continue;
            auto f = RecognizeLineItem(h.text);
            if (!f) {
                p.unknown.push_back({h.text, h.ref});
                continue;
            }
            add(h, *f, c < data.cells.size() ? &data.cells[c] : nullptr);
        }
        for (size_t r = 2; r < rows.size(); ++r)  // rows below the amounts are not read
            for (const auto& c : rows[r].cells)
                if (!c.text.empty()) {
                    p.unknown.push_back({c.text, c.ref});
                    break;
                }
        return p;
    }
    for (size_t r = 0; r < rows.size(); ++r) {
        const auto& cells = rows[r].cells;
        size_t k = 0;
        while (k < cells.size() && cells[k].text.empty()) ++k;
        if (k == cells.size()) continue;
        // The amount is the cell right after the line item (after the range
        // the label is merged across); cells further right are not read.
        size_t j = k + 1;
        while (j < cells.size() && cells[j].covered) ++j;
        const SheetCell* amount =
            j < cells.size() && (!cells[j].text.empty() || cells[j].formulaWithoutValue) ? &cells[j] : nullptr;
        auto f = RecognizeLineItem(cells[k].text);
        if (!f) {
            const bool heading =
                r == 0 && (!amount || ReadAmount(amount->text, amount->number, convention).plain.empty());
            if (!heading) p.unknown.push_back({cells[k].text, cells[k].ref});
            continue;
        }
        add(cells[k], *f, amount);
    }
    return p;
}

StatementPreview ReadStatementDocument(const SheetDocument& doc, int language, int sheet) {
    const DecimalMark fallback = !doc.IsWorkbook() && doc.Separator() == ';' ? DecimalMark::Comma : DecimalMark::Point;
    auto finish = [&](StatementPreview p, int k) {
        p.readAs.workbook = doc.IsWorkbook();
        p.readAs.encoding = doc.Encoding();
        p.readAs.separator = doc.Separator();
        p.readAs.sheets = doc.IsWorkbook() ? doc.Sheets() : std::vector<SheetInfo>{};
        p.readAs.sheet = k;
        return p;
    };
    if (!doc.IsWorkbook() || sheet >= 0) {
        const int k = std::max(sheet, 0);
        return finish(ReadStatement(doc.Rows(k), language, fallback), k);
    }
    // The visible sheet with the most line items; a hidden one only when no
    // visible sheet has any.
    const auto& sheets = doc.Sheets();
    int best = -1;
    size_t bestCount = 0;
    StatementPreview bestPreview;
    for (bool hidden : {false, true}) {
        for (size_t k = 0; k < sheets.size(); ++k) {
            if (sheets[k].hidden != hidden) continue;
            StatementPreview p = ReadStatement(doc.Rows(static_cast<int>(k)), language, fallback);
            if (p.lines.size() > bestCount) {
                best = static_cast<int>(k);
                bestCount = p.lines.size();
                bestPreview = std::move(p);
            }
        }
        if (best >= 0) break;
    }
    if (best < 0) {
        best = doc.FirstVisibleSheet();
        bestPreview = ReadStatement(doc.Rows(best), language, fallback);
    }
    return finish(std::move(bestPreview), best);
}

StatementPreview ReadStatementFile(const std::string& path, int language, int sheet) {
    SheetDocument doc(path);
    return ReadStatementDocument(doc, language, sheet);
}

bool ApplyStatement(const StatementPreview& preview, RecordTexts& record, bool keepOtherLines) {
    RecordTexts r = record;
    if (!keepOtherLines)
        for (Field f : ValueFields())
            if (!IsComputed(f)) r[f] = "0";
    for (const auto& line : preview.lines)
        if (line.ok && !line.computed) r[line.field] = line.value;
    if (!subCalculateSubTotals(r)) return false;
    record = r;
    return true;
}

} // namespace zorva::import
