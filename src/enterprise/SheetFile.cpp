#include "enterprise/SheetFile.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <unzip.h>

#include <map>

namespace zorva {

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
            throw SheetError("line " + std::to_string(line) + " is not UTF-8 text; save the file with the UTF-8 encoding");
        start = end + 1;
    }
    throw SheetError("the file is not UTF-8 text; save it with the UTF-8 encoding");
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
            if (afterQuote) throw SheetError("text after a closing quote on line " + std::to_string(line));
            field += ch;
            fieldStarted = true;
        }
    }
    if (quoted) throw SheetError("a quoted field is not closed (line " + std::to_string(row.line) + ")");
    if (fieldStarted || !row.cells.empty()) endRow();
    return rows;
}

namespace {

// The parts of a zip file.
class Zip {
public:
    explicit Zip(const std::string& path) {
        file_ = unzOpen(path.c_str());
        if (!file_) throw SheetError("the file is not an XLSX workbook (no zip archive)");
    }
    ~Zip() {
        if (file_) unzClose(file_);
    }
    bool has(const std::string& name) { return unzLocateFile(file_, name.c_str(), 0) == UNZ_OK; }
    std::string read(const std::string& name) {
        if (unzLocateFile(file_, name.c_str(), 0) != UNZ_OK) throw SheetError("the workbook has no part " + name);
        if (unzOpenCurrentFile(file_) != UNZ_OK) throw SheetError("the part " + name + " cannot be read");
        std::string out;
        char buf[65536];
        int n;
        while ((n = unzReadCurrentFile(file_, buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
        const int closed = unzCloseCurrentFile(file_);
        if (n < 0 || closed != UNZ_OK) throw SheetError("the part " + name + " is damaged");
        return out;
    }

private:
    unzFile file_ = nullptr;
};

QXmlStreamReader reader(const std::string& xml) { return QXmlStreamReader(QByteArray::fromStdString(xml)); }

void check(const QXmlStreamReader& x, const std::string& part) {
    if (x.hasError()) throw SheetError("the part " + part + " is not well-formed XML: " + x.errorString().toStdString());
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
                    throw SheetError("cell " + cell.ref + " refers to a text the workbook does not have");
                cell.text = shared[static_cast<size_t>(k)];
            } else {
                cell.text = value.toStdString();
                cell.number = type.isEmpty() || type == QLatin1String("n");
            }
            if (col < 0 || col > 16383) throw SheetError("cell reference out of range: " + ref.toStdString());
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
    if (!f.open(QIODevice::ReadOnly)) throw SheetError("cannot read the file " + path + ": " + f.errorString().toStdString());
    const QByteArray data = f.readAll();
    if (data.isEmpty()) throw SheetError("the file " + path + " is empty");
    const std::string bytes = data.toStdString();
    std::vector<SheetRow> rows = bytes.rfind("PK\x03\x04", 0) == 0 ? ReadXlsxFile(path) : ReadCsvText(bytes);
    if (rows.empty()) throw SheetError("the file " + path + " holds nothing");
    return rows;
}

} // namespace zorva
