#pragma once
// How a worksheet of the program's workbooks (the report exports, the
// portfolio of zorva-cli) looks on screen and on paper: columns as wide as
// their longest text, and a print layout a person expects of a sheet made to
// be printed: landscape on Letter paper, one page wide (a sheet of many
// columns: as many pages wide as readable type needs), the heading rows and
// the name column repeated on every page, page numbers in the footer.
//
// Relies on libxlsxwriter's page setup, which spreadsheet programs honour
// when they print (checked through LibreOffice in the tests). Widths are in
// the sheet's character units (the width of a digit of the default font);
// they may be set after the rows (libxlsxwriter writes them when the workbook
// is closed, also in its constant-memory mode).

#include <string_view>
#include <vector>

struct lxw_worksheet;

namespace zorva::sheet {

class ColumnWidths {
public:
    // A text on one line in the column (bold texts are wider).
    void Fit(int column, std::string_view text, bool bold = false);
    // A heading wrapped on at most `lines` lines: its longest word, and
    // enough width for the whole on that many lines.
    void FitWrapped(int column, std::string_view text, int lines, bool bold = true);
    // At least this width.
    void AtLeast(int column, double width);
    double Width(int column) const;
    // How many columns have a width (the last one set, plus one).
    size_t Count() const;
    // Sets each column's width on the sheet.
    void Apply(lxw_worksheet* sheet) const;

private:
    std::vector<double> width_;
};

// The width a text needs on one line, in character units.
double TextWidth(std::string_view text, bool bold = false);

// Landscape, Letter, one page wide (as many pages tall as needed), rows
// firstRow..lastRow repeated at the top of every page (none when lastRow <
// firstRow), the first `columns` columns at the left of every page, and
// "Page N of M" ("Page N de M") centred in the footer.
void SetPrintLayout(lxw_worksheet* sheet, int language, int firstRow, int lastRow, int columns);

// Keeps the printed type readable (at least 8 points): when the columns are
// too wide to go on one page at that size, the sheet prints at 75 % across as
// many pages as it needs instead of one page wide. Call after SetPrintLayout.
void KeepPrintReadable(lxw_worksheet* sheet, const ColumnWidths& widths);

} // namespace zorva::sheet
