#include "enterprise/SheetFile.h"

#include "core/Strings.h"
#include "core/Text.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <unzip.h>

#include <map>

namespace zorva {

namespace {
// A reading fault in the language in force, its {X} fields filled.
std::string sheetText(int id, std::initializer_list<std::pair<std::string_view, std::string>> fields = {}) {
    std::string text = Txt(id);
    for (const auto& [field, value] : fields) text = ReplaceAll(text, field, value);
    return text;
}
} // namespace

std::string ColumnLetters(int column) {
    std::string s;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) s.insert(s.begin(), static_cast<char>('A' + (c - 1) % 26));
    return s;
}

void RequireUtf8Text(const std::string& text) {
    QStringDecoder whole(QStringDecoder::Utf8);
    QString decoded = whole.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!whole.hasError()) return;
    long line = 1;
    for (size_t start = 0; start <= text.size(); ++line) {
        size_t end = std::min(text.find('\n', start), text.size());
        QStringDecoder d(QStringDecoder::Utf8);
        decoded = d.decode(QByteArrayView(text.data() + start, static_cast<qsizetype>(end - start)));
        if (d.hasError())
            throw SheetError(sheetText(2410, {{"{L}", std::to_string(line)}}));
        start = end + 1;
    }
    throw SheetError(sheetText(2412));
}

std::vector<SheetRow> ReadCsvText(const std::string& input) {
    RequireUtf8Text(input);
    std::string text = input;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // byte order mark
    std::vector<SheetRow> rows;
    SheetRow row;
    std::string field;
    bool quoted = false, fieldStarted = false, afterQuote = false;
    long line = 1;
    row.line = 1;
    auto endField = [&] {
        SheetCell c;
        c.text = field;
        c.ref = ColumnLetters(static_cast<int>(row.cells.size())) + std::to_string(row.line);
        row.cells.push_back(std::move(c));
        field.clear();
        fieldStarted = afterQuote = false;
    };
    auto endRow = [&] {
        endField();
        if (!(row.cells.size() == 1 && row.cells[0].text.empty())) rows.push_back(row);
        row.cells.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (quoted) {
            if (ch == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                field += ch;
                line += ch == '\n';
            }
            continue;
        }
        if (ch == ',') {
            endField();
        } else if (ch == '\n' || ch == '\r') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRow();
            row.line = ++line;
        } else if (ch == '"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else {
            if (afterQuote) throw SheetError(sheetText(2414, {{"{L}", std::to_string(line)}}));
            field += ch;
            fieldStarted = true;
        }
    }
    if (quoted) throw SheetError(sheetText(2416, {{"{L}", std::to_string(row.line)}}));
    if (fieldStarted || !row.cells.empty()) endRow();
    return rows;
}

namespace {

// The parts of a zip file.
class Zip {
public:
    explicit Zip(const std::string& path) {
        file_ = unzOpen(path.c_str());
        if (!file_) throw SheetError(sheetText(2418));
    }
    ~Zip() {
        if (file_) unzClose(file_);
    }
    bool has(const std::string& name) { return unzLocateFile(file_, name.c_str(), 0) == UNZ_OK; }
    std::string read(const std::string& name) {
        if (unzLocateFile(file_, name.c_str(), 0) != UNZ_OK) throw SheetError(sheetText(2420, {{"{P}", name}}));
        if (unzOpenCurrentFile(file_) != UNZ_OK) throw SheetError(sheetText(2422, {{"{P}", name}}));
        std::string out;
        char buf[65536];
        int n;
        while ((n = unzReadCurrentFile(file_, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
        const int closed = unzCloseCurrentFile(file_);
        if (n < 0 || closed != UNZ_OK) throw SheetError(sheetText(2424, {{"{P}", name}}));
        return out;
    }

private:
    unzFile file_ = nullptr;
};

QXmlStreamReader reader(const std::string& xml) { return QXmlStreamReader(QByteArray::fromStdString(xml)); }

void check(const QXmlStreamReader& x, const std::string& part) {
    if (x.hasError()) throw SheetError(sheetText(2426, {{"{P}", part}, {"{E}", x.errorString().toStdString()}}));
}

// "B12" -> column 1.
int columnOf(const QString& ref) {
    int c = 0;
    for (QChar ch : ref) {
        if (!ch.isLetter()) break;
        c = c * 26 + (ch.toUpper().unicode() - 'A' + 1);
    }
    return c - 1;
}

} // namespace

std::vector<SheetRow> ReadXlsxFile(const std::string& path) {
    Zip zip(path);
    // The first sheet: workbook.xml names it, its relationships give the part.
    std::string sheetPart = "xl/worksheets/sheet1.xml";
    if (zip.has("xl/workbook.xml") && zip.has("xl/_rels/workbook.xml.rels")) {
        QString rid;
        auto wb = reader(zip.read("xl/workbook.xml"));
        while (!wb.atEnd() && rid.isEmpty())
            if (wb.readNext() == QXmlStreamReader::StartElement && wb.name() == QLatin1String("sheet"))
                for (const auto& a : wb.attributes())
                    if (a.name() == QLatin1String("id")) rid = a.value().toString();
        check(wb, "xl/workbook.xml");
        auto rels = reader(zip.read("xl/_rels/workbook.xml.rels"));
        while (!rels.atEnd())
            if (rels.readNext() == QXmlStreamReader::StartElement && rels.attributes().value("Id") == rid) {
                QString target = rels.attributes().value("Target").toString();
                sheetPart = target.startsWith('/') ? target.mid(1).toStdString() : "xl/" + target.toStdString();
                break;
            }
        check(rels, "xl/_rels/workbook.xml.rels");
    }
    std::vector<std::string> shared;
    if (zip.has("xl/sharedStrings.xml")) {
        auto x = reader(zip.read("xl/sharedStrings.xml"));
        QString current;
        bool inSi = false;
        while (!x.atEnd()) {
            auto t = x.readNext();
            if (t == QXmlStreamReader::StartElement && x.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (t == QXmlStreamReader::StartElement && x.name() == QLatin1String("t") && inSi) {
                current += x.readElementText();
            } else if (t == QXmlStreamReader::StartElement && x.name() == QLatin1String("rPh")) {
                x.skipCurrentElement();  // phonetic hints are not part of the text
            } else if (t == QXmlStreamReader::EndElement && x.name() == QLatin1String("si")) {
                shared.push_back(current.toStdString());
                inSi = false;
            }
        }
        check(x, "xl/sharedStrings.xml");
    }
    std::vector<SheetRow> rows;
    auto x = reader(zip.read(sheetPart));
    SheetRow row;
    while (!x.atEnd()) {
        auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement && x.name() == QLatin1String("row")) {
            row = SheetRow();
            row.line = x.attributes().value("r").toLong();
            if (row.line == 0) row.line = rows.empty() ? 1 : rows.back().line + 1;
        } else if (t == QXmlStreamReader::StartElement && x.name() == QLatin1String("c")) {
            const QString ref = x.attributes().value("r").toString();
            const QString type = x.attributes().value("t").toString();
            int col = ref.isEmpty() ? static_cast<int>(row.cells.size()) : columnOf(ref);
            SheetCell cell;
            cell.ref = ColumnLetters(col) + std::to_string(row.line);
            QString value;
            while (!(x.isEndElement() && x.name() == QLatin1String("c")) && !x.atEnd()) {
                x.readNext();
                if (x.isStartElement() && (x.name() == QLatin1String("v") || x.name() == QLatin1String("t")))
                    value += x.readElementText();
            }
            if (type == QLatin1String("s")) {
                bool ok = false;
                const long k = value.toLong(&ok);
                if (!ok || k < 0 || k >= static_cast<long>(shared.size()))
                    throw SheetError(sheetText(2428, {{"{C}", cell.ref}}));
                cell.text = shared[static_cast<size_t>(k)];
            } else {
                cell.text = value.toStdString();
                cell.number = type.isEmpty() || type == QLatin1String("n");
            }
            if (col < 0 || col > 16383) throw SheetError(sheetText(2430, {{"{C}", ref.toStdString()}}));
            while (static_cast<int>(row.cells.size()) < col) {
                SheetCell empty;
                empty.ref = ColumnLetters(static_cast<int>(row.cells.size())) + std::to_string(row.line);
                row.cells.push_back(empty);
            }
            row.cells.push_back(std::move(cell));
        } else if (t == QXmlStreamReader::EndElement && x.name() == QLatin1String("row")) {
            bool any = false;
            for (const auto& c : row.cells) any = any || !c.text.empty();
            if (any) rows.push_back(row);
        }
    }
    check(x, sheetPart);
    return rows;
}

std::vector<SheetRow> ReadSheetFile(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        // The usual reasons in the user's language; any other as the system says it.
        const QFileInfo info(f);
        if (!info.exists()) throw SheetError(sheetText(2446, {{"{P}", path}}));
        if (!info.isReadable()) throw SheetError(sheetText(2448, {{"{P}", path}}));
        throw SheetError(sheetText(2432, {{"{P}", path}, {"{E}", f.errorString().toStdString()}}));
    }
    const QByteArray data = f.readAll();
    if (data.isEmpty()) throw SheetError(sheetText(2434, {{"{P}", path}}));
    const std::string bytes = data.toStdString();
    std::vector<SheetRow> rows = bytes.rfind("PK\x03\x04", 0) == 0 ? ReadXlsxFile(path) : ReadCsvText(bytes);
    if (rows.empty()) throw SheetError(sheetText(2436, {{"{P}", path}}));
    return rows;
}

} // namespace zorva
