#include "enterprise/SheetFile.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <unzip.h>

#include <algorithm>
#include <cstring>
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

// ---------------------------------------------------------------- CSV

CsvStream::CsvStream(Source source) : source_(std::move(source)), buffer_(1 << 20) {}

bool CsvStream::fill() {
    if (atEnd_) return false;
    pos_ = 0;
    end_ = source_(buffer_.data(), buffer_.size());
    bytesRead_ += end_;
    if (end_ == 0) atEnd_ = true;
    if (!started_ && end_ > 0) {
        started_ = true;
        if (end_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) pos_ = 3;  // byte order mark
    }
    return pos_ < end_ || (!atEnd_ && fill());
}

bool CsvStream::Next(CsvRecord& record) {
    // States of the field being read.
    enum State { FieldStart, Unquoted, Quoted, QuoteInQuoted, AfterQuote };
    for (;;) {
        record.error.clear();
        record.line = line_;
        size_t fields = 0, bytes = 0;
        State state = FieldStart;
        bool endOfRecord = false, endOfText = false;
        auto field = [&]() -> std::string& {
            if (fields == record.fields.size()) record.fields.emplace_back();
            return record.fields[fields];
        };
        field().clear();
        auto append = [&](const char* p, size_t n) {
            bytes += n;
            if (bytes > kMaxRecordBytes) {
                if (record.error.empty())
                    record.error = "the record on line " + std::to_string(record.line) +
                                   " runs on for more than a mebibyte: a quote is probably missing";
                return;
            }
            field().append(p, n);
        };
        auto nextField = [&] {
            ++fields;
            field().clear();
            state = FieldStart;
        };
        while (!endOfRecord) {
            if (pos_ == end_ && !fill()) {
                endOfText = true;
                break;
            }
            const char* b = buffer_.data();
            const char ch = b[pos_];
            switch (state) {
            case QuoteInQuoted:
                if (ch == '"') {  // a doubled quote stands for one
                    append("\"", 1);
                    ++pos_;
                    state = Quoted;
                    continue;
                }
                state = AfterQuote;
                continue;  // the same byte, read after the closing quote
            case Quoted: {
                const char* from = b + pos_;
                const char* quote = static_cast<const char*>(std::memchr(from, '"', end_ - pos_));
                const char* to = quote ? quote : b + end_;
                line_ += std::count(from, to, '\n');
                append(from, static_cast<size_t>(to - from));
                pos_ = static_cast<size_t>(to - b);
                if (quote) {
                    ++pos_;
                    state = QuoteInQuoted;
                }
                continue;
            }
            default: break;
            }
            if (ch == ',') {
                ++pos_;
                nextField();
            } else if (ch == '\n' || ch == '\r') {
                ++pos_;
                ++line_;
                endOfRecord = true;
                if (ch == '\r') {  // CR LF is one end of line
                    if (pos_ == end_) fill();
                    if (pos_ < end_ && buffer_[pos_] == '\n') ++pos_;
                }
            } else if (state == FieldStart && ch == '"') {
                ++pos_;
                state = Quoted;
            } else {
                if (state == AfterQuote && record.error.empty())
                    record.error = "text after a closing quote on line " + std::to_string(line_);
                // An unquoted run up to the next separator or end of line.
                size_t to = pos_ + 1;
                while (to < end_ && b[to] != ',' && b[to] != '\n' && b[to] != '\r') ++to;
                append(b + pos_, to - pos_);
                pos_ = to;
                state = Unquoted;
            }
        }
        if (endOfText) {
            if (state == Quoted && record.error.empty())
                record.error = "a quoted field is not closed (line " + std::to_string(record.line) + ")";
            if (fields == 0 && state == FieldStart) return false;  // nothing after the last end of line
        }
        record.fields.resize(fields + 1);
        // A line with nothing on it is no record.
        if (fields == 0 && record.fields[0].empty() && state != QuoteInQuoted && state != AfterQuote &&
            record.error.empty())
            continue;
        return true;
    }
}

std::vector<SheetRow> ReadCsvText(const std::string& input) {
    RequireUtf8Text(input);
    size_t offset = 0;
    CsvStream stream([&](char* buffer, size_t capacity) {
        const size_t n = std::min(capacity, input.size() - offset);
        std::memcpy(buffer, input.data() + offset, n);
        offset += n;
        return n;
    });
    std::vector<SheetRow> rows;
    CsvRecord record;
    while (stream.Next(record)) {
        if (!record.error.empty()) throw SheetError(record.error);
        SheetRow row;
        row.line = record.line;
        row.cells.reserve(record.fields.size());
        for (size_t k = 0; k < record.fields.size(); ++k) {
            SheetCell c;
            c.text = record.fields[k];
            c.ref = ColumnLetters(static_cast<int>(k)) + std::to_string(row.line);
            row.cells.push_back(std::move(c));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// ---------------------------------------------------------------- UTF-8

namespace {
// Length of the UTF-8 sequence a lead byte opens (1 for ASCII; a stray
// continuation byte counts as 1 and is refused by the check).
size_t sequenceLength(unsigned char lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1; }
} // namespace

bool Utf8Checker::Add(const char* data, size_t size) {
    if (!error_.empty()) return false;
    if (!carry_.empty()) {  // complete the sequence the last block cut
        const size_t length = sequenceLength(static_cast<unsigned char>(carry_[0]));
        const size_t take = std::min(length - carry_.size(), size);
        carry_.append(data, take);
        data += take;
        size -= take;
        if (carry_.size() < length) return true;
        std::string sequence;
        sequence.swap(carry_);
        if (!check(sequence.data(), sequence.size())) return false;
    }
    // Hold back a sequence that this block cuts.
    size_t cut = size;
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto c = static_cast<unsigned char>(data[size - back]);
        if ((c & 0xC0) == 0x80) continue;
        if (sequenceLength(c) > back) cut = size - back;
        break;
    }
    carry_.assign(data + cut, size - cut);
    return check(data, cut);
}

bool Utf8Checker::check(const char* data, size_t size) {
    const char* nul = static_cast<const char*>(std::memchr(data, 0, size));
    const bool valid = QByteArrayView(data, static_cast<qsizetype>(size)).isValidUtf8();
    if (valid && !nul) {
        line_ += std::count(data, data + size, '\n');
        return true;
    }
    // Find the line of the first fault.
    for (size_t start = 0; start < size; ++line_) {
        const char* eol = static_cast<const char*>(std::memchr(data + start, '\n', size - start));
        const size_t end = eol ? static_cast<size_t>(eol - data) : size;
        const QByteArrayView part(data + start, static_cast<qsizetype>(end - start));
        if (part.contains('\0')) {
            error_ = "line " + std::to_string(line_) + " holds binary data (a NUL byte): this is not a CSV text";
            return false;
        }
        if (!part.isValidUtf8()) {
            error_ = "line " + std::to_string(line_) + " is not UTF-8 text; save the file with the UTF-8 encoding";
            return false;
        }
        start = end + 1;
    }
    error_ = "the file is not UTF-8 text; save it with the UTF-8 encoding";
    return false;
}

bool Utf8Checker::Finish() {
    if (!error_.empty()) return false;
    if (carry_.empty()) return true;
    error_ = "line " + std::to_string(line_) + " is not UTF-8 text; save the file with the UTF-8 encoding";
    return false;
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
