#include "reports/render/ReportExport.h"

#include "core/Strings.h"
#include "core/Text.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <xlsxwriter.h>

#include <charconv>
#include <map>

namespace zorva::report {

namespace {

QString plainText(QString s) {
    s.replace(QChar(0x2029), ' ');   // paragraph separators inside a cell
    s.replace(QChar(0x2028), ' ');
    s.remove(QChar(0xFFFC));         // pictures
    return s.simplified();
}

QString cellText(const QTextTableCell& cell) {
    QTextCursor c = cell.firstCursorPosition();
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return plainText(c.selectedText());
}

void readFrame(QTextFrame* frame, ExportModel& model) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* child = it.currentFrame()) {
            auto* table = qobject_cast<QTextTable*>(child);
            if (!table) {
                readFrame(child, model);
                continue;
            }
            ExportItem item;
            item.headerRows = table->format().headerRowCount();
            for (int r = 0; r < table->rows(); ++r) {
                std::vector<ExportCell> row;
                for (int c = 0; c < table->columns(); ++c) {
                    QTextTableCell cell = table->cellAt(r, c);
                    ExportCell out;
                    if (cell.row() == r && cell.column() == c) {  // a merged cell once, at its own place
                        out.text = cellText(cell).toStdString();
                        out.number = ParseShownNumber(out.text, model.english);
                    }
                    row.push_back(std::move(out));
                }
                while (!row.empty() && row.back().text.empty()) row.pop_back();
                if (!row.empty()) item.table.push_back(std::move(row));
            }
            if (!item.table.empty()) model.items.push_back(std::move(item));
        } else {
            QString text = plainText(it.currentBlock().text());
            if (!text.isEmpty()) {
                ExportItem line;
                line.line = text.toStdString();
                model.items.push_back(std::move(line));
            }
        }
    }
}

} // namespace

std::optional<ShownNumber> ParseShownNumber(const std::string& input, bool english) {
    QString s = QString::fromStdString(input).trimmed();
    for (QChar blank : {QChar(0x00A0), QChar(0x202F), QChar(0x2009)}) s.replace(blank, ' ');
    s.replace(QChar(0x2212), '-');
    ShownNumber n;
    bool negative = false;
    if (s.startsWith('(') && s.endsWith(')')) {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    }
    if (s.startsWith('-')) {
        negative = !negative;
        s = s.mid(1).trimmed();
    } else if (s.startsWith('+')) {
        s = s.mid(1).trimmed();
    }
    if (s.endsWith('%')) {
        n.percent = true;
        s.chop(1);
        s = s.trimmed();
    }
    if (s.startsWith('$')) {
        n.currency = true;
        s = s.mid(1).trimmed();
    } else if (s.endsWith('$')) {
        n.currency = true;
        s.chop(1);
        s = s.trimmed();
    }
    if (s.startsWith('-') && !negative) {  // "$-5"
        negative = true;
        s = s.mid(1);
    }
    static const QRegularExpression en(QStringLiteral("^(\\d{1,3}(?:[, ]\\d{3})+|\\d+)(?:\\.(\\d+))?$"));
    static const QRegularExpression fr(QStringLiteral("^(\\d{1,3}(?: \\d{3})+|\\d+)(?:[,.](\\d+))?$"));
    auto m = (english ? en : fr).match(s);
    if (!m.hasMatch()) return std::nullopt;
    QString whole = m.captured(1), fraction = m.captured(2);
    n.grouped = whole.size() > 3 && (whole.contains(',') || whole.contains(' '));
    whole.remove(',').remove(' ');
    n.decimals = static_cast<int>(fraction.size());
    const std::string digits = (whole + (fraction.isEmpty() ? QString() : "." + fraction)).toStdString();
    double v = 0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (res.ec != std::errc()) return std::nullopt;
    n.value = negative ? -v : v;
    return n;
}

std::string NumberFormat(const ShownNumber& n) {
    std::string f = n.grouped ? "#,##0" : "0";
    if (n.decimals > 0) f += "." + std::string(static_cast<size_t>(n.decimals), '0');
    if (n.currency) f = "\"$\"" + f;
    if (n.percent) f += "\"%\"";
    return f;
}

ExportModel ExportModelOf(const Rendered& rendered) {
    ExportModel model;
    model.title = rendered.title;
    model.english = rendered.lang == Lang::English;
    QTextDocument doc;
    doc.setHtml(QString::fromStdString(rendered.html));
    readFrame(doc.rootFrame(), model);
    return model;
}

namespace {

std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string csvNumber(const ShownNumber& n) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, n.value, std::chars_format::fixed, n.decimals);
    return std::string(buf, res.ptr);
}

} // namespace

bool WriteExportCsv(const ExportModel& model, const std::string& path, std::string* error) {
    std::string out;
    for (const ExportItem& item : model.items) {
        if (item.table.empty()) {
            out += csvField(item.line) + "\r\n";
            continue;
        }
        for (const auto& row : item.table) {
            for (size_t c = 0; c < row.size(); ++c)
                out += (c ? "," : "") + (row[c].number ? csvNumber(*row[c].number) : csvField(row[c].text));
            out += "\r\n";
        }
        out += "\r\n";
    }
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size()) || !f.flush()) {
        *error = f.errorString().toStdString();
        return false;
    }
    return true;
}

bool WriteExportXlsx(const ExportModel& model, const std::string& path, std::string* error) {
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) {
        *error = ReplaceAll(Txt(2442), "{P}", path);
        return false;
    }
    lxw_worksheet* ws = workbook_add_worksheet(wb, model.english ? "Report" : "Rapport");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    std::map<std::string, lxw_format*> formats;
    auto numberFormat = [&](const std::string& f, bool header) {
        auto& slot = formats[f + (header ? "|b" : "")];
        if (!slot) {
            slot = workbook_add_format(wb);
            format_set_num_format(slot, f.c_str());
            if (header) format_set_bold(slot);
        }
        return slot;
    };
    lxw_row_t r = 0;
    lxw_col_t widest = 1;
    bool titles = true;  // the lines before the first table
    for (const ExportItem& item : model.items) {
        if (item.table.empty()) {
            worksheet_write_string(ws, r++, 0, item.line.c_str(), titles ? bold : nullptr);
            continue;
        }
        titles = false;
        for (size_t k = 0; k < item.table.size(); ++k, ++r) {
            const bool header = static_cast<int>(k) < item.headerRows;
            const auto& row = item.table[k];
            widest = std::max<lxw_col_t>(widest, static_cast<lxw_col_t>(row.size()));
            for (size_t c = 0; c < row.size(); ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                if (row[c].number)
                    worksheet_write_number(ws, r, col, row[c].number->value,
                                           numberFormat(NumberFormat(*row[c].number), header));
                else if (!row[c].text.empty())
                    worksheet_write_string(ws, r, col, row[c].text.c_str(), header ? bold : nullptr);
            }
        }
        ++r;  // a blank row after each table
    }
    worksheet_set_column(ws, 0, 0, 42, nullptr);
    if (widest > 1) worksheet_set_column(ws, 1, widest - 1, 14, nullptr);
    lxw_error e = workbook_close(wb);
    if (e != LXW_NO_ERROR) {
        *error = std::string(lxw_strerror(e)) + ": " + path;
        return false;
    }
    return true;
}

namespace {
bool endsWith(const std::string& path, const char* ext) {
    const size_t n = std::char_traits<char>::length(ext);
    return path.size() >= n && QString::fromStdString(path.substr(path.size() - n)).compare(ext, Qt::CaseInsensitive) == 0;
}
} // namespace

bool IsExportPath(const std::string& path) { return endsWith(path, ".csv") || endsWith(path, ".xlsx"); }

bool WriteExport(const Rendered& rendered, const std::string& path, std::string* error) {
    if (!IsExportPath(path)) {
        *error = ReplaceAll(Txt(2444), "{P}", path);
        return false;
    }
    const ExportModel model = ExportModelOf(rendered);
    return endsWith(path, ".csv") ? WriteExportCsv(model, path, error) : WriteExportXlsx(model, path, error);
}

} // namespace zorva::report
