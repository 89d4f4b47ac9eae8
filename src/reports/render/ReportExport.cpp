#include "reports/render/ReportExport.h"

#include "reports/render/SheetLayout.h"

#include "core/DBTools.h"
#include "core/Strings.h"
#include "core/Text.h"

#include <QFile>
#include <QString>

#include <xlsxwriter.h>

#include <charconv>
#include <cmath>
#include <map>

namespace zorva::report {

std::string NumberFormat(const Value& v) {
    if (!v.number) return {};
    std::string digits = "#,##0";
    if (v.decimals > 0) digits += "." + std::string(static_cast<size_t>(v.decimals), '0');
    switch (v.kind) {
    case NumberKind::Percent: return digits + "\"%\"";
    case NumberKind::Signed: return "+" + digits + ";-" + digits + ";" + digits.substr(4);
    case NumberKind::Plain: break;
    }
    return digits;
}

std::string CellText(const Value& value, const Rendered& rendered) {
    if (value.image >= 0 && static_cast<size_t>(value.image) < rendered.images.size())
        return rendered.images[static_cast<size_t>(value.image)].alt;
    return PlainText(value.text);
}

namespace {


std::string csvNumber(const Value& v) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, *v.number, std::chars_format::fixed, v.decimals);
    return std::string(buf, res.ptr);
}

// A row without its empty cells at the end; nothing for a row with no text
// (a caption the template does not declare).
std::vector<Value> Trimmed(std::vector<Value> cells, const Rendered& rendered) {
    while (!cells.empty() && !cells.back().number && CellText(cells.back(), rendered).empty()) cells.pop_back();
    return cells;
}

std::string csvRow(const std::vector<Value>& row, const Rendered& rendered) {
    const auto cells = Trimmed(row, rendered);
    if (cells.empty()) return {};
    std::string out;
    for (size_t c = 0; c < cells.size(); ++c)
        out += (c ? "," : "") + (cells[c].number ? csvNumber(cells[c]) : CsvField(CellText(cells[c], rendered)));
    return out + "\r\n";
}

const std::deque<Block>& BlocksOf(const Rendered& rendered) {
    static const std::deque<Block> none;
    return rendered.model ? rendered.model->blocks : none;
}

} // namespace

bool WriteExportCsv(const Rendered& rendered, const std::string& path, std::string* error) {
    std::string out;
    for (const Block& block : BlocksOf(rendered)) {
        if (block.kind != Block::Kind::Table) {
            out += csvRow(block.cells, rendered);
            continue;
        }
        for (const auto& row : block.rows) out += csvRow(row, rendered);
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

bool WriteExportXlsx(const Rendered& rendered, const std::string& path, std::string* error) {
    lxw_workbook* wb = workbook_new(path.c_str());
    if (!wb) {
        *error = ReplaceAll(Txt(2442), "{P}", path);
        return false;
    }
    const bool english = rendered.lang == Lang::English;
    lxw_worksheet* ws = workbook_add_worksheet(wb, english ? "Report" : "Rapport");
    // Every cell hangs from the top of its row, so that a line's name and
    // figures stay level beside a text that wraps.
    auto topFormat = [&](bool strong) {
        lxw_format* f = workbook_add_format(wb);
        format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        if (strong) format_set_bold(f);
        return f;
    };
    lxw_format* plain[2] = {topFormat(false), topFormat(true)};
    // A long text in a table (a note, a formula, a chart's sentence) wraps in
    // its cell instead of setting the column's width or running off the page.
    lxw_format* wrap[2] = {topFormat(false), topFormat(true)};
    for (lxw_format* f : wrap) format_set_text_wrap(f);
    constexpr double kLongText = 50;  // characters
    std::map<std::string, lxw_format*> formats;
    auto numberFormat = [&](const std::string& f, bool header) {
        auto& slot = formats[f + (header ? "|b" : "")];
        if (!slot) {
            slot = topFormat(header);
            format_set_num_format(slot, f.c_str());
        }
        return slot;
    };
    struct Wrapped {
        lxw_row_t row;
        int column;
        double width;
    };
    std::vector<Wrapped> wrappedCells;
    lxw_row_t r = 0;
    sheet::ColumnWidths widths;
    // titleLine: one of the lines above the first table.
    auto writeRow = [&](const std::vector<Value>& row, bool strong, bool titleLine) {
        const auto cells = Trimmed(row, rendered);
        if (cells.empty()) return;
        for (size_t c = 0; c < cells.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            const std::string text = CellText(cells[c], rendered);
            // The title lines run over the empty cells beside them; in the
            // tables a column is as wide as its longest short text.
            const bool wrapped = !titleLine && sheet::TextWidth(text) > kLongText;
            if (cells[c].number)
                worksheet_write_number(ws, r, col, *cells[c].number, numberFormat(NumberFormat(cells[c]), strong));
            else if (!text.empty())
                worksheet_write_string(ws, r, col, text.c_str(), wrapped ? wrap[strong] : plain[strong]);
            if (wrapped) {
                widths.AtLeast(static_cast<int>(c), kLongText);
                wrappedCells.push_back({r, static_cast<int>(c), sheet::TextWidth(text, strong)});
            }
            else if (!titleLine) widths.Fit(static_cast<int>(c), text, strong);
        }
        ++r;
    };
    bool titles = true;  // the lines before the first table
    int lastTitleRow = -1;
    for (const Block& block : BlocksOf(rendered)) {
        if (block.kind != Block::Kind::Table) {
            writeRow(block.cells, titles || block.kind == Block::Kind::Heading, titles);
            if (titles) lastTitleRow = static_cast<int>(r) - 1;
            continue;
        }
        titles = false;
        for (size_t k = 0; k < block.rows.size(); ++k) writeRow(block.rows[k], static_cast<int>(k) < block.headerRows, false);
        ++r;  // a blank row after each table
    }
    // On paper as on screen: the report's titles on top of every page, the
    // line names at the left, the whole width on one page.
    widths.Apply(ws);
    // Rows of wrapped texts as tall as their lines (spreadsheet programs do
    // not grow a row for a text written by another program).
    std::map<lxw_row_t, double> lines;
    for (const Wrapped& w : wrappedCells)
        lines[w.row] = std::max(lines[w.row], std::ceil(w.width / std::max(widths.Width(w.column) - 1, 1.0)));
    for (const auto& [row, n] : lines) worksheet_set_row(ws, row, 15 * n, nullptr);
    sheet::SetPrintLayout(ws, english ? 0 : 1, 0, lastTitleRow, 1);
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
    if (std::string refusal = StoreFileInUseMessage(path); !refusal.empty()) {
        *error = std::move(refusal);
        return false;
    }
    if (!IsExportPath(path)) {
        *error = ReplaceAll(Txt(2444), "{P}", path);
        return false;
    }
    return endsWith(path, ".csv") ? WriteExportCsv(rendered, path, error) : WriteExportXlsx(rendered, path, error);
}

} // namespace zorva::report
