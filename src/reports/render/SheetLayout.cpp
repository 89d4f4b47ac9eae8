#include "reports/render/SheetLayout.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

namespace zorva::sheet {

namespace {

// Characters of a UTF-8 text (a continuation byte is not one).
size_t characters(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

constexpr double kPadding = 1.5;  // the cell's margins
constexpr double kBold = 1.12;    // a bold character is wider

} // namespace

double TextWidth(std::string_view text, bool bold) {
    return static_cast<double>(characters(text)) * (bold ? kBold : 1.0) + kPadding;
}

void ColumnWidths::AtLeast(int column, double width) {
    if (column < 0) return;
    if (static_cast<size_t>(column) >= width_.size()) width_.resize(static_cast<size_t>(column) + 1, 0);
    width_[static_cast<size_t>(column)] = std::max(width_[static_cast<size_t>(column)], width);
}

void ColumnWidths::Fit(int column, std::string_view text, bool bold) { AtLeast(column, TextWidth(text, bold)); }

void ColumnWidths::FitWrapped(int column, std::string_view text, int lines, bool bold) {
    size_t longestWord = 0, word = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ') {
            longestWord = std::max(longestWord, word);
            word = 0;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++word;
        }
    }
    const double perLine = std::ceil(static_cast<double>(characters(text)) / std::max(lines, 1)) + 1;
    AtLeast(column, std::max(static_cast<double>(longestWord), perLine) * (bold ? kBold : 1.0) + kPadding);
}

size_t ColumnWidths::Count() const { return width_.size(); }

double ColumnWidths::Width(int column) const {
    return column >= 0 && static_cast<size_t>(column) < width_.size() ? width_[static_cast<size_t>(column)] : 0;
}

void ColumnWidths::Apply(lxw_worksheet* sheet) const {
    for (size_t c = 0; c < width_.size(); ++c)
        if (width_[c] > 0)
            worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 std::min(std::round(width_[c] * 10) / 10, 100.0), nullptr);
}

void SetPrintLayout(lxw_worksheet* sheet, int language, int firstRow, int lastRow, int columns) {
    worksheet_set_landscape(sheet);
    worksheet_set_paper(sheet, 1);  // Letter
    worksheet_set_margins(sheet, 0.5, 0.5, 0.6, 0.6);
    worksheet_fit_to_pages(sheet, 1, 0);
    if (lastRow >= firstRow && firstRow >= 0)
        worksheet_repeat_rows(sheet, static_cast<lxw_row_t>(firstRow), static_cast<lxw_row_t>(lastRow));
    if (columns > 0) worksheet_repeat_columns(sheet, 0, static_cast<lxw_col_t>(columns - 1));
    worksheet_set_footer(sheet, language ? "&CPage &P de &N" : "&CPage &P of &N");
}

void KeepPrintReadable(lxw_worksheet* sheet, const ColumnWidths& widths) {
    // A column of width w (characters of the 11-point default font) is
    // w * 7 + 5 pixels at 96 per inch; a landscape Letter page holds 10
    // inches between the margins of SetPrintLayout.
    constexpr double kPrintable = 10 * 96, kDefaultPoints = 11, kReadablePoints = 8;
    constexpr double kDefaultWidth = 8.43;  // a column whose width is not set
    double pixels = 0;
    for (int c = 0; c < static_cast<int>(widths.Count()); ++c) {
        const double w = widths.Width(c) > 0 ? std::min(std::round(widths.Width(c) * 10) / 10, 100.0) : kDefaultWidth;
        pixels += std::floor(w * 7 + 5);
    }
    if (pixels * kReadablePoints / kDefaultPoints > kPrintable) worksheet_set_print_scale(sheet, 75);
}

} // namespace zorva::sheet
