#include "store/Source.h"

#include "store/Csv.h"

#include <charconv>
#include <cmath>

namespace zorvadata {

void Table::report(Diagnostics& diags, std::size_t row, int column, const std::string& message) const {
    int line = row < lines.size() ? lines[row] : 0;
    int field = (column >= 0 && static_cast<std::size_t>(column) < fileColumn.size()) ? fileColumn[column] : 0;
    diags.error(path, line, field, message);
}

static std::string trimmed(const std::string& s) {
    auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool parseReal(const std::string& raw, double& out) {
    std::string s = trimmed(raw);
    if (s.empty()) return false;
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+') ++b;
    // from_chars accepts "inf" and "nan"; a figure is never one of them.
    for (const char* p = b; p < e; ++p)
        if (!(std::isdigit(static_cast<unsigned char>(*p)) || *p == '.' || *p == '-' || *p == '+' || *p == 'e' || *p == 'E'))
            return false;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e && std::isfinite(out);
}

bool parseInteger(const std::string& raw, long long& out) {
    std::string s = trimmed(raw);
    if (s.empty()) return false;
    const char* b = s.data();
    const char* e = b + s.size();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

bool loadTable(const std::string& path, const TableDef& def, const std::vector<std::string>& optionalColumns,
               Table& out, Diagnostics& diags) {
    out = Table{};
    out.def = def;
    out.path = path;
    out.fileColumn.assign(def.columns.size(), 0);

    CsvFile csv;
    std::size_t before = diags.size();
    if (!readCsv(path, csv, diags)) return false;
    bool shapeOk = diags.size() == before;

    // Header: every column of the layout once, nothing else.
    std::vector<int> schemaOf(csv.header.size(), -1);
    bool headerOk = true;
    for (std::size_t f = 0; f < csv.header.size(); ++f) {
        int c = def.find(csv.header[f]);
        if (c < 0) {
            diags.error(path, 1, static_cast<int>(f) + 1,
                        "unknown column '" + csv.header[f] + "': " + def.name + " has no such column");
            headerOk = false;
            continue;
        }
        if (out.fileColumn[c] != 0) {
            diags.error(path, 1, static_cast<int>(f) + 1, "column '" + csv.header[f] + "' appears twice");
            headerOk = false;
            continue;
        }
        out.fileColumn[c] = static_cast<int>(f) + 1;
        schemaOf[f] = c;
    }
    for (std::size_t c = 0; c < def.columns.size(); ++c) {
        if (out.fileColumn[c] != 0) continue;
        bool optional = false;
        for (const auto& o : optionalColumns) optional = optional || equalsNoCase(o, def.columns[c].name);
        if (!optional) {
            diags.error(path, 1, 0, "missing column '" + def.columns[c].name + "'");
            headerOk = false;
        }
    }
    if (!headerOk || !shapeOk) return false;

    for (const auto& rec : csv.records) {
        std::vector<Value> row(def.columns.size());
        for (std::size_t c = 0; c < def.columns.size(); ++c)
            if (def.columns[c].type == ColumnType::Text) row[c] = Value::ofText("");
        for (std::size_t f = 0; f < rec.fields.size(); ++f) {
            int c = schemaOf[f];
            const std::string& cell = rec.fields[f];
            const Column& column = def.columns[c];
            int field = static_cast<int>(f) + 1;
            switch (column.type) {
            case ColumnType::Text:
                row[c] = Value::ofText(cell);
                break;
            case ColumnType::Integer: {
                if (trimmed(cell).empty()) break;
                long long i = 0;
                if (!parseInteger(cell, i))
                    diags.error(path, rec.line, field, "'" + cell + "' is not a whole number (column " + column.name + ")");
                else
                    row[c] = Value::ofInteger(i);
                break;
            }
            case ColumnType::Real: {
                if (trimmed(cell).empty()) break;
                double d = 0;
                if (!parseReal(cell, d)) {
                    std::string hint = cell.find(',') != std::string::npos ? "; write the decimal mark as '.'" : "";
                    diags.error(path, rec.line, field,
                                "'" + cell + "' is not a number (column " + column.name + ")" + hint);
                } else {
                    row[c] = Value::ofReal(d);
                }
                break;
            }
            }
        }
        out.lines.push_back(rec.line);
        out.rows.push_back(std::move(row));
    }
    return true;
}

} // namespace zorvadata
