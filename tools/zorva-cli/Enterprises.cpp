#include "Enterprises.h"

#include "core/Strings.h"
#include "enterprise/CsvStream.h"
#include "enterprise/SheetFile.h"
#include "enterprise/StatementImport.h"

#include <QStringDecoder>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <strings.h>

namespace zorva::cli {

namespace {

std::string trimmed(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::vector<EnterpriseInput> enterprisesOfRows(const std::vector<std::vector<std::string>>& rows,
                                               const std::vector<long>& lineOfRow, const std::string& naics,
                                               int language) {
    if (rows.empty()) throw std::runtime_error("the file is empty: a header row is needed");
    const EnterpriseColumns columns = ReadEnterpriseColumns(rows.front(), false);
    std::vector<EnterpriseInput> out;
    for (size_t r = 1; r < rows.size(); ++r) {
        EnterpriseInput in = EnterpriseOfRow(columns, rows[r], lineOfRow[r], naics, language);
        if (in.malformed) throw std::runtime_error(in.message);
        out.push_back(std::move(in));
    }
    return out;
}

} // namespace

EnterpriseColumns ReadEnterpriseColumns(const std::vector<std::string>& header, bool withDataset) {
    EnterpriseColumns c;
    std::set<Field> seen;
    for (const auto& name : header) {
        const std::string n = trimmed(name);
        if (withDataset && strcasecmp(n.c_str(), "Dataset") == 0) {
            if (c.datasetColumn >= 0) throw std::runtime_error("column \"" + name + "\" appears twice");
            c.datasetColumn = static_cast<int>(c.fields.size());
            c.fields.emplace_back();
            continue;
        }
        auto f = FieldByColumn(n);
        if (!f) throw std::runtime_error("unknown column \"" + name + "\" (the columns are those of MyValues)");
        if (!seen.insert(*f).second) throw std::runtime_error("column \"" + name + "\" appears twice");
        if (*f == Field::NAICS) c.naicsColumn = static_cast<int>(c.fields.size());
        c.fields.push_back(f);
    }
    if (!seen.count(Field::FirmName)) throw std::runtime_error("the column FirmName is missing");
    if (!seen.count(Field::Year)) throw std::runtime_error("the column Year is missing");
    c.computeTotals = !seen.count(Field::Toa) && !seen.count(Field::Ta) && !seen.count(Field::Tliab) &&
                      !seen.count(Field::Equity1) && !seen.count(Field::TotLiabShareEq);
    return c;
}

EnterpriseInput EnterpriseOfRow(const EnterpriseColumns& columns, const std::vector<std::string>& cells, long line,
                                const std::string& naics, int language) {
    EnterpriseInput in;
    in.line = line;
    for (Field f : ValueFields()) in.record[f] = "0";  // a missing amount is 0
    const size_t n = std::min(cells.size(), columns.fields.size());
    for (size_t k = 0; k < n; ++k) {
        const auto& f = columns.fields[k];
        if (!f || *f == Field::NAICS) continue;  // the industry is named apart from the record
        in.record[*f] = cells[k];
    }
    in.record[Field::NAICS] = naics;
    if (columns.naicsColumn >= 0 && static_cast<size_t>(columns.naicsColumn) < n)
        in.naics = trimmed(cells[static_cast<size_t>(columns.naicsColumn)]);
    if (columns.datasetColumn >= 0 && static_cast<size_t>(columns.datasetColumn) < n)
        in.dataset = trimmed(cells[static_cast<size_t>(columns.datasetColumn)]);
    if (cells.size() > columns.fields.size()) {
        in.ok = false;
        in.malformed = true;
        in.message = "line " + std::to_string(line) + " has more fields than the header";
        return in;
    }
    // Each amount as it stands once its box has been left.
    for (Field f : ValueFields()) {
        NumberTextResult r = CheckNumericField(in.record[f]);
        if (!r.ok) {
            in.ok = false;
            in.message = Txt(kMsgNumberOutOfRange, language);
            return in;
        }
        in.record[f] = std::move(r.text);
    }
    if (columns.computeTotals && !subCalculateSubTotals(in.record)) {
        in.ok = false;
        in.message = Txt(kMsgNumberOutOfRange, language);
    }
    return in;
}

std::vector<EnterpriseInput> ReadEnterprises(const std::string& csvText, const std::string& naics, int language) {
    std::vector<std::vector<std::string>> rows;
    std::vector<long> lineOfRow;
    for (SheetRow& r : ReadCsvText(csvText)) {
        std::vector<std::string> texts;
        texts.reserve(r.cells.size());
        for (SheetCell& c : r.cells) texts.push_back(std::move(c.text));
        rows.push_back(std::move(texts));
        lineOfRow.push_back(r.line);
    }
    return enterprisesOfRows(rows, lineOfRow, naics, language);
}

std::vector<std::vector<std::string>> WorkbookRows(const std::string& path, std::vector<long>* lineOfRow) {
    std::vector<std::vector<std::string>> rows;
    for (const SheetRow& r : ReadXlsxFile(path)) {
        std::vector<std::string> texts;
        for (const SheetCell& c : r.cells) texts.push_back(c.text);
        while (!texts.empty() && texts.back().empty()) texts.pop_back();
        rows.push_back(std::move(texts));
        lineOfRow->push_back(r.line);
    }
    return rows;
}

std::vector<EnterpriseInput> ReadEnterprisesFile(const std::string& path, const std::string& naics, int language) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read the file " + path);
    std::ostringstream s;
    s << file.rdbuf();
    if (file.bad()) throw std::runtime_error("cannot read the file " + path);
    const std::string bytes = s.str();
    if (bytes.rfind("PK\x03\x04", 0) != 0) {
        // A CSV file as a spreadsheet program saves it in French (";",
        // Windows-1252, decimal comma, grouped amounts) is read as the values
        // screen reads it: decoded, and each amount to its plain form.
        const std::string firstLine = bytes.substr(0, bytes.find('\n'));
        QStringDecoder utf8(QStringDecoder::Utf8);
        (void)utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        const bool semicolons = firstLine.find(';') != std::string::npos && firstLine.find(',') == std::string::npos;
        if (!utf8.hasError() && !semicolons) return ReadEnterprises(bytes, naics, language);
        const SheetDocument doc(path);
        const std::vector<SheetRow> sheet = doc.Rows(0);
        std::vector<std::string> texts;
        for (size_t r = 1; r < sheet.size(); ++r)
            for (const SheetCell& c : sheet[r].cells) texts.push_back(c.text);
        const auto mark = import::DecimalMarkOf(texts, doc.Separator() == ';' ? import::DecimalMark::Comma
                                                                             : import::DecimalMark::Point);
        std::vector<std::vector<std::string>> rows;
        std::vector<long> lineOfRow;
        for (size_t r = 0; r < sheet.size(); ++r) {
            std::vector<std::string> cells;
            for (const SheetCell& c : sheet[r].cells) {
                const import::AmountReading a = r == 0 ? import::AmountReading{} : import::ReadAmount(c.text, c.number, mark);
                cells.push_back(a.plain.empty() ? c.text : a.plain);
            }
            rows.push_back(std::move(cells));
            lineOfRow.push_back(sheet[r].line);
        }
        return enterprisesOfRows(rows, lineOfRow, naics, language);
    }
    std::vector<long> lineOfRow;
    auto rows = WorkbookRows(path, &lineOfRow);
    return enterprisesOfRows(rows, lineOfRow, naics, language);
}

namespace {

// A CSV file read by blocks; rewound for a second reading.
class CsvFile {
public:
    explicit CsvFile(const std::string& path) : in_(path, std::ios::binary) {
        if (!in_) throw std::runtime_error("cannot read the file " + path);
    }
    std::size_t read(char* buffer, std::size_t capacity) {
        in_.read(buffer, static_cast<std::streamsize>(capacity));
        return static_cast<std::size_t>(in_.gcount());
    }
    void rewind() {
        in_.clear();
        in_.seekg(0);
    }
    bool zip() {
        char head[4] = {};
        const std::size_t n = read(head, sizeof head);
        rewind();
        return n == 4 && std::string(head, 4) == "PK\x03\x04";
    }
    CsvStream stream() {
        return CsvStream([this](char* buffer, std::size_t capacity) { return read(buffer, capacity); });
    }

private:
    std::ifstream in_;
};

// The whole file is text and every record is well formed under the header.
bool clean(CsvFile& file) {
    Utf8Checker check;
    std::vector<char> block(1 << 20);
    for (std::size_t got; (got = file.read(block.data(), block.size())) > 0;)
        if (!check.Add(block.data(), got)) return false;
    if (!check.Finish()) return false;
    file.rewind();
    CsvStream csv = file.stream();
    CsvRecord record;
    if (!csv.Next(record) || !record.error.empty()) return false;
    std::size_t columns = 0;
    try {
        columns = ReadEnterpriseColumns(record.fields, false).fields.size();
    } catch (const std::runtime_error&) {
        return false;
    }
    while (csv.Next(record))
        if (!record.error.empty() || record.fields.size() > columns) return false;
    file.rewind();
    return true;
}

} // namespace

void ForEachEnterpriseOfFile(const std::string& path, const std::string& naics, int language,
                             const std::function<void(EnterpriseInput&)>& each) {
    CsvFile file(path);
    if (file.zip() || !clean(file)) {
        for (EnterpriseInput& in : ReadEnterprisesFile(path, naics, language)) each(in);
        return;
    }
    CsvStream csv = file.stream();
    CsvRecord record;
    csv.Next(record);
    const EnterpriseColumns columns = ReadEnterpriseColumns(record.fields, false);
    while (csv.Next(record)) {
        EnterpriseInput in = EnterpriseOfRow(columns, record.fields, record.line, naics, language);
        each(in);
    }
}

bool HeaderNamesColumns(const std::string& path) {
    CsvFile file(path);
    if (file.zip()) return false;
    CsvStream csv = file.stream();
    CsvRecord record;
    if (!csv.Next(record) || !record.error.empty()) return false;
    try {
        ReadEnterpriseColumns(record.fields, false);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

} // namespace zorva::cli
