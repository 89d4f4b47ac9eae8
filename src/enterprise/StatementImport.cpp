#include "enterprise/StatementImport.h"

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

std::string problemText(int id, int language) { return Txt(id, language); }

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

std::string NormalizeAmount(const std::string& input, bool numberCell, std::string* problem) {
    QString s = QString::fromStdString(input).trimmed();
    if (numberCell) return s.toStdString();
    for (QChar blank : {QChar(0x00A0), QChar(0x202F), QChar(0x2009), QChar(' '), QChar('\''), QChar('$'), QChar('%')})
        s.remove(blank);
    s.replace(QChar(0x2212), '-');
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
    }
    const qsizetype comma = s.lastIndexOf(','), dot = s.lastIndexOf('.');
    if (comma >= 0 && dot >= 0) {
        // Both marks: the later one is the decimal mark.
        const QChar group = comma > dot ? '.' : ',';
        s.remove(group);
        s.replace(',', '.');
    } else if (comma >= 0) {
        // Commas alone: groups of three digits ("1,234", "1,234,567"), else
        // the French decimal mark ("12,5").
        static const QRegularExpression groups(QStringLiteral("^\\d{1,3}(,\\d{3})+$"));
        if (groups.match(s).hasMatch()) s.remove(',');
        else s.replace(',', '.');
    } else if (s.count('.') > 1) {
        s.remove('.');  // "1.234.567"
    }
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (s.isEmpty() || !plain.match(s).hasMatch()) {
        *problem = "not a number";
        return {};
    }
    return (negative ? "-" : "") + s.toStdString();
}

bool StatementPreview::HasImportableLine() const {
    return std::any_of(lines.begin(), lines.end(), [](const ImportedLine& l) { return l.ok && !l.computed; });
}

StatementPreview ReadStatement(const std::vector<SheetRow>& rows, int language) {
    StatementPreview p;
    auto add = [&](const std::string& label, Field f, const SheetCell* amount) {
        ImportedLine line;
        line.field = f;
        line.label = label;
        line.computed = IsComputed(f);
        if (!amount || amount->text.empty()) {
            line.problem = problemText(1820, language);  // no amount
            p.lines.push_back(line);
            return;
        }
        line.cell = amount->ref;
        line.read = amount->text;
        if (f == Field::FirmName) {
            line.value = amount->text;
            line.ok = true;
        } else if (f == Field::Year) {
            auto y = ReferenceYear(amount->number ? amount->text.substr(0, amount->text.find('.')) : amount->text);
            line.ok = y.has_value();
            if (line.ok) line.value = std::to_string(*y);
            else line.problem = problemText(1822, language);
        } else {
            std::string problem;
            const std::string plain = NormalizeAmount(amount->text, amount->number, &problem);
            NumberTextResult n = plain.empty() ? NumberTextResult{false, {}} : CheckNumericField(plain);
            line.ok = n.ok;
            if (n.ok) line.value = n.text;
            else line.problem = problemText(plain.empty() ? 1824 : kMsgNumberOutOfRange, language);
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
            add(h.text, *f, c < data.cells.size() ? &data.cells[c] : nullptr);
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
        // The amount is the cell right after the line item (cells further
        // right, such as a description, are not read).
        const SheetCell* amount = k + 1 < cells.size() && !cells[k + 1].text.empty() ? &cells[k + 1] : nullptr;
        auto f = RecognizeLineItem(cells[k].text);
        if (!f) {
            std::string ignored;
            const bool heading = r == 0 && (!amount || NormalizeAmount(amount->text, amount->number, &ignored).empty());
            if (!heading) p.unknown.push_back({cells[k].text, cells[k].ref});
            continue;
        }
        add(cells[k].text, *f, amount);
    }
    return p;
}

StatementPreview ReadStatementFile(const std::string& path, int language) {
    return ReadStatement(ReadSheetFile(path), language);
}

bool ApplyStatement(const StatementPreview& preview, RecordTexts& record) {
    RecordTexts r = record;
    for (const auto& line : preview.lines)
        if (line.ok && !line.computed) r[line.field] = line.value;
    if (!subCalculateSubTotals(r)) return false;
    record = r;
    return true;
}

} // namespace zorva::import
