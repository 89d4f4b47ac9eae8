#include "enterprise/SheetFile.h"

#include "core/DBTools.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <map>

namespace zorva {

std::string ColumnLetters(int column) {
    std::string s;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
    return s;
}

namespace {

bool isUtf8(const std::string& text) {
    QStringDecoder d(QStringDecoder::Utf8);
    const QString decoded = d.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !d.hasError();
}

std::string lineText(long line) { return std::to_string(line); }

} // namespace

void RequireUtf8Text(const std::string& text) {
    if (isUtf8(text)) return;
    long line = 1;
    for (size_t start = 0; start <= text.size(); ++line) {
        size_t end = std::min(text.find('\n', start), text.size());
        if (!isUtf8(text.substr(start, end - start))) throw ReadError(readmsg::kNotUtf8, lineText(line));
        start = end + 1;
    }
    throw ReadError(readmsg::kNotUtf8, "1");
}

std::string DecodeText(const std::string& bytes, TextEncoding* encoding) {
    auto view = [&](size_t skip) {
        return QByteArrayView(bytes.data() + skip, static_cast<qsizetype>(bytes.size() - skip));
    };
    auto decodeWith = [&](QStringDecoder::Encoding e, size_t skip) {
        QStringDecoder d(e);
        const QString s = d.decode(view(skip));
        return s.toStdString();
    };
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        *encoding = TextEncoding::Utf8Bom;
        const std::string text = bytes.substr(3);
        RequireUtf8Text(text);
        return text;
    }
    if (bytes.rfind("\xFF\xFE", 0) == 0) {
        *encoding = TextEncoding::Utf16LE;
        return decodeWith(QStringDecoder::Utf16LE, 2);
    }
    if (bytes.rfind("\xFE\xFF", 0) == 0) {
        *encoding = TextEncoding::Utf16BE;
        return decodeWith(QStringDecoder::Utf16BE, 2);
    }
    if (isUtf8(bytes)) {
        *encoding = TextEncoding::Utf8;
        return bytes;
    }
    // Not UTF-8: the code page of Western-language desktops (ICU's decoder).
    *encoding = TextEncoding::Windows1252;
    QStringDecoder cp1252("windows-1252");
    if (cp1252.isValid()) return QString(cp1252.decode(view(0))).toStdString();
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

char DetectSeparator(const std::string& text) {
    // The candidate that separates fields on the most of the first lines;
    // on a tie a tab, then ";" (a French spreadsheet's numbers hold commas).
    const std::array<char, 3> candidates = {'\t', ';', ','};
    std::array<int, 3> lines{};
    std::array<bool, 3> onLine{};
    bool quoted = false;
    int seen = 0;
    for (size_t i = 0; i < text.size() && seen < 50; ++i) {
        const char ch = text[i];
        if (ch == '"') quoted = !quoted;
        if (quoted) continue;
        if (ch == '\n' || ch == '\r') {
            for (size_t k = 0; k < 3; ++k) lines[k] += onLine[k];
            onLine = {};
            ++seen;
            continue;
        }
        for (size_t k = 0; k < 3; ++k) onLine[k] = onLine[k] || ch == candidates[k];
    }
    for (size_t k = 0; k < 3; ++k) lines[k] += onLine[k];
    size_t best = 2;
    for (size_t k = 0; k < 3; ++k)
        if (lines[k] > lines[best] || (lines[k] == lines[best] && lines[k] > 0 && k < best)) best = k;
    return lines[best] > 0 ? candidates[best] : ',';
}

std::vector<SheetRow> ReadCsvRows(const std::string& text, char separator, const ReadLimits& limits) {
    std::vector<SheetRow> rows;
    SheetRow row;
    std::string field;
    bool quoted = false, fieldStarted = false, afterQuote = false;
    long line = 1;
    row.line = 1;
    auto endField = [&] {
        if (static_cast<int>(row.cells.size()) >= limits.maxColumns) throw ReadError(readmsg::kRowTooWide, lineText(row.line));
        SheetCell c;
        c.text = std::move(field);
        c.ref = ColumnLetters(static_cast<int>(row.cells.size())) + std::to_string(row.line);
        row.cells.push_back(std::move(c));
        field.clear();
        fieldStarted = afterQuote = false;
    };
    auto endRow = [&] {
        endField();
        bool any = false;
        for (const auto& c : row.cells) any = any || !c.text.empty();
        if (any) {
            if (static_cast<long>(rows.size()) >= limits.maxRows) throw ReadError(readmsg::kTooManyRows);
            rows.push_back(std::move(row));
        }
        row = SheetRow();
    };
    auto add = [&](char ch) {
        field += ch;
        if (static_cast<int>(field.size()) > limits.maxCellChars * 4)  // bytes of UTF-8
            throw ReadError(readmsg::kCellTooLong, ColumnLetters(static_cast<int>(row.cells.size())) + std::to_string(row.line));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    add('"');
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                add(ch);
                line += ch == '\n';
            }
            continue;
        }
        if (ch == separator) {
            endField();
        } else if (ch == '\n' || ch == '\r') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRow();
            row.line = ++line;
        } else if (ch == '"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (afterQuote) {
            if (ch == ' ') continue;  // blanks after a closing quote, as spreadsheets accept
            throw ReadError(readmsg::kTextAfterQuote, lineText(line));
        } else {
            add(ch);
            fieldStarted = true;
        }
    }
    if (quoted) throw ReadError(readmsg::kQuoteNotClosed, lineText(row.line));
    if (fieldStarted || !row.cells.empty()) endRow();
    return rows;
}

std::vector<SheetRow> ReadCsvText(const std::string& input) {
    RequireUtf8Text(input);
    std::string text = input;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // byte order mark
    return ReadCsvRows(text, ',');
}

bool LooksLikeZip(const std::string& path) {
    if (StoreFileInUse(path)) return false;
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(4) == QByteArray("PK\x03\x04", 4);
}

// ---------------------------------------------------------------- XLSX

namespace {

// "B12" -> column 1; -1 when there is no letter.
int columnOf(QStringView ref) {
    int c = 0;
    for (QChar ch : ref) {
        if (!ch.isLetter()) break;
        c = c * 26 + (ch.toUpper().unicode() - 'A' + 1);
        if (c > 1 << 20) break;
    }
    return c - 1;
}

long rowOf(QStringView ref) {
    qsizetype k = 0;
    while (k < ref.size() && ref[k].isLetter()) ++k;
    return ref.mid(k).toLong();
}

bool is(const QXmlStreamReader& x, const char* name) { return x.name() == QLatin1String(name); }

std::string attr(const QXmlStreamReader& x, const char* name) {
    return x.attributes().value(QLatin1String(name)).toString().toStdString();
}

// The text value of an attribute whatever its prefix ("r:id").
std::string attrAnyPrefix(const QXmlStreamReader& x, const char* name) {
    for (const auto& a : x.attributes())
        if (a.name() == QLatin1String(name)) return a.value().toString().toStdString();
    return {};
}

struct Range {
    int col1, col2;
    long row1, row2;
};

} // namespace

SheetDocument::SheetDocument(const std::string& path, const ReadLimits& limits) : path_(path), limits_(limits) {
    // Never the program's own store: closing our descriptor would drop its locks.
    if (const std::string refusal = StoreFileInUseMessage(path); !refusal.empty()) throw CannotOpen(path, refusal);
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) throw CannotOpen(path, f.errorString().toStdString());
    if (f.size() == 0) throw ReadError(readmsg::kEmpty);
    if (f.peek(4) != QByteArray("PK\x03\x04", 4)) {
        if (f.size() > limits.maxPlainFile) throw ReadError(readmsg::kTooLarge, QFileInfo(f).fileName().toStdString());
        const QByteArray data = f.readAll();
        const std::string text = DecodeText(data.toStdString(), &encoding_);
        separator_ = DetectSeparator(text);
        csvRows_ = ReadCsvRows(text, separator_, limits);
        sheets_.push_back({});
        if (csvRows_.empty()) throw ReadError(readmsg::kNothing);
        return;
    }
    f.close();
    workbook_ = true;
    ZipArchive zip(path, limits);
    // The sheets: workbook.xml names them in order, its relationships give the parts.
    std::vector<std::pair<SheetInfo, std::string>> named;  // with the relationship id
    if (zip.Has("xl/workbook.xml")) {
        auto d = zip.Open("xl/workbook.xml");
        SafeXml x(d.get(), "xl/workbook.xml");
        while (!x.AtEnd()) {
            if (x.Next() == QXmlStreamReader::StartElement && is(x.reader(), "sheet")) {
                SheetInfo s;
                s.name = attr(x.reader(), "name");
                const std::string state = attr(x.reader(), "state");
                s.hidden = state == "hidden" || state == "veryHidden";
                named.emplace_back(s, attrAnyPrefix(x.reader(), "id"));
            }
        }
        x.Finish();
    }
    std::map<std::string, std::string> targets;
    if (zip.Has("xl/_rels/workbook.xml.rels")) {
        auto d = zip.Open("xl/_rels/workbook.xml.rels");
        SafeXml x(d.get(), "xl/_rels/workbook.xml.rels");
        while (!x.AtEnd())
            if (x.Next() == QXmlStreamReader::StartElement && is(x.reader(), "Relationship")) {
                std::string target = attr(x.reader(), "Target");
                target = target.rfind('/', 0) == 0 ? target.substr(1) : "xl/" + target;
                targets[attr(x.reader(), "Id")] = target;
            }
        x.Finish();
    }
    for (auto& [sheet, rid] : named) {
        auto it = targets.find(rid);
        if (it == targets.end()) continue;
        sheet.part = it->second;
        sheets_.push_back(sheet);
    }
    if (sheets_.empty()) {
        if (!zip.Has("xl/worksheets/sheet1.xml")) throw ReadError(readmsg::kNoSheet);
        sheets_.push_back({"Sheet1", false, "xl/worksheets/sheet1.xml"});
    }
    if (zip.Has("xl/sharedStrings.xml")) {
        auto d = zip.Open("xl/sharedStrings.xml");
        SafeXml x(d.get(), "xl/sharedStrings.xml");
        while (!x.AtEnd()) {
            if (x.Next() != QXmlStreamReader::StartElement || !is(x.reader(), "si")) continue;
            QString text;
            // The texts of the item (plain or in runs), without phonetic hints.
            int depth = 1;
            while (depth > 0) {
                const auto t = x.Next();
                if (t == QXmlStreamReader::StartElement) {
                    if (is(x.reader(), "rPh")) x.Skip();
                    else if (is(x.reader(), "t")) text += x.ElementText(limits.maxCellChars);
                    else ++depth;
                } else if (t == QXmlStreamReader::EndElement) {
                    --depth;
                } else if (t == QXmlStreamReader::EndDocument) {
                    break;
                }
            }
            if (static_cast<long>(shared_.size()) >= limits.maxRows * 4) throw ReadError(readmsg::kTooManyRows);
            shared_.push_back(text.toStdString());
        }
        x.Finish();
    }
}

int SheetDocument::FirstVisibleSheet() const {
    for (size_t k = 0; k < sheets_.size(); ++k)
        if (!sheets_[k].hidden) return static_cast<int>(k);
    return 0;
}

std::vector<SheetRow> SheetDocument::Rows(int sheet) const {
    if (!workbook_) return csvRows_;
    if (sheet < 0 || sheet >= static_cast<int>(sheets_.size())) throw ReadError(readmsg::kNoSheet);
    const std::string& part = sheets_[static_cast<size_t>(sheet)].part;
    ZipArchive zip(path_, limits_);
    auto d = zip.Open(part);
    SafeXml x(d.get(), part);
    std::vector<SheetRow> rows;
    std::vector<Range> merges;
    SheetRow row;
    bool inRow = false;
    while (!x.AtEnd()) {
        const auto t = x.Next();
        QXmlStreamReader& r = x.reader();
        if (t == QXmlStreamReader::StartElement && is(r, "row")) {
            row = SheetRow();
            inRow = true;
            row.line = r.attributes().value(QLatin1String("r")).toLong();
            if (row.line <= 0) row.line = rows.empty() ? 1 : rows.back().line + 1;
        } else if (t == QXmlStreamReader::StartElement && is(r, "c") && inRow) {
            const QString ref = r.attributes().value(QLatin1String("r")).toString();
            const QString type = r.attributes().value(QLatin1String("t")).toString();
            const int col = ref.isEmpty() ? static_cast<int>(row.cells.size()) : columnOf(ref);
            if (col < 0 || col >= limits_.maxColumns) throw ReadError(readmsg::kRowTooWide, lineText(row.line));
            SheetCell cell;
            cell.ref = ColumnLetters(col) + std::to_string(row.line);
            QString value;
            bool formula = false, hasValue = false;
            int depth = 1;
            while (depth > 0) {
                const auto u = x.Next();
                if (u == QXmlStreamReader::StartElement) {
                    if (is(r, "v") || is(r, "t")) {
                        value += x.ElementText(limits_.maxCellChars);
                        hasValue = true;
                    } else if (is(r, "f")) {
                        formula = true;
                        x.Skip();
                    } else {
                        ++depth;  // <is> around an inline text
                    }
                } else if (u == QXmlStreamReader::EndElement) {
                    --depth;
                } else if (u == QXmlStreamReader::EndDocument) {
                    break;
                }
            }
            if (type == QLatin1String("s")) {
                bool ok = false;
                const long k = value.toLong(&ok);
                if (!ok || k < 0 || k >= static_cast<long>(shared_.size()))
                    throw ReadError(readmsg::kBadSharedText, cell.ref);
                cell.text = shared_[static_cast<size_t>(k)];
            } else {
                cell.text = value.toStdString();
                cell.number = type.isEmpty() || type == QLatin1String("n");
            }
            cell.formulaWithoutValue = formula && (!hasValue || value.isEmpty());
            if (col < static_cast<int>(row.cells.size())) continue;  // a cell given twice: the first counts
            while (static_cast<int>(row.cells.size()) < col) {
                SheetCell empty;
                empty.ref = ColumnLetters(static_cast<int>(row.cells.size())) + std::to_string(row.line);
                row.cells.push_back(empty);
            }
            row.cells.push_back(std::move(cell));
        } else if (t == QXmlStreamReader::EndElement && is(r, "row")) {
            inRow = false;
            bool any = false;
            for (const auto& c : row.cells) any = any || !c.text.empty() || c.formulaWithoutValue;
            if (!any) continue;
            if (static_cast<long>(rows.size()) >= limits_.maxRows) throw ReadError(readmsg::kTooManyRows);
            rows.push_back(std::move(row));
        } else if (t == QXmlStreamReader::StartElement && is(r, "mergeCell")) {
            const QString ref = r.attributes().value(QLatin1String("ref")).toString();
            const qsizetype colon = ref.indexOf(':');
            if (colon > 0) {
                const QStringView a = QStringView(ref).left(colon), b = QStringView(ref).mid(colon + 1);
                merges.push_back({columnOf(a), columnOf(b), rowOf(a), rowOf(b)});
            }
        }
    }
    x.Finish();
    for (const Range& m : merges)
        for (auto& rr : rows)
            if (rr.line >= m.row1 && rr.line <= m.row2)
                for (int c = std::max(m.col1, 0); c <= m.col2 && c < static_cast<int>(rr.cells.size()); ++c)
                    if (!(c == m.col1 && rr.line == m.row1)) rr.cells[static_cast<size_t>(c)].covered = true;
    return rows;
}

std::vector<SheetRow> ReadXlsxFile(const std::string& path) {
    SheetDocument doc(path);
    return doc.Rows(doc.FirstVisibleSheet());
}

std::vector<SheetRow> ReadSheetFile(const std::string& path) {
    SheetDocument doc(path);
    std::vector<SheetRow> rows = doc.Rows(doc.FirstVisibleSheet());
    if (rows.empty()) throw ReadError(readmsg::kNothing);
    return rows;
}

} // namespace zorva
