#pragma once
// A rendered report as a spreadsheet: every table of the report with its
// headings, numbers as numbers with the decimals the report shows as their
// cell format, and the report's titles and other lines as rows of one cell,
// in the order of the report. Written as CSV (UTF-8, "," between fields,
// numbers with "." and no grouping) or XLSX (libxlsxwriter).

#include "reports/render/ReportEngine.h"

#include <optional>
#include <string>
#include <vector>

namespace zorva::report {

// A number as a report shows it: "1,234.50", "1 234,50", "(1 234)" for a
// negative, "12.5%", "$900"; `english` picks the marks ("," grouping and "."
// decimals, or blanks grouping and "," decimals).
struct ShownNumber {
    double value = 0;     // the number shown (12.5 for "12.5%")
    int decimals = 0;     // digits after the decimal mark
    bool grouped = false; // thousands separated
    bool percent = false;
    bool currency = false;
};
std::optional<ShownNumber> ParseShownNumber(const std::string& text, bool english);
// The spreadsheet number format that shows the number as the report does
// ("#,##0.00", "0.0\"%\"", "\"$\"#,##0").
std::string NumberFormat(const ShownNumber& n);

struct ExportCell {
    std::string text;                  // as the report shows it
    std::optional<ShownNumber> number; // when the text is one number
};
struct ExportItem {
    // A line of text outside the tables (title, heading, note), or a table.
    std::string line;
    std::vector<std::vector<ExportCell>> table;  // rows of cells; empty for a line
    int headerRows = 0;
};
struct ExportModel {
    std::string title;
    bool english = true;
    std::vector<ExportItem> items;
};

// The tables and lines of a rendered report.
ExportModel ExportModelOf(const Rendered& rendered);

// Writes the model; false with *error when the file cannot be written.
bool WriteExportCsv(const ExportModel& model, const std::string& path, std::string* error);
bool WriteExportXlsx(const ExportModel& model, const std::string& path, std::string* error);
// By the extension of path (.csv or .xlsx, any case); false with *error for another.
bool WriteExport(const Rendered& rendered, const std::string& path, std::string* error);
// True when path ends in .csv or .xlsx.
bool IsExportPath(const std::string& path);

} // namespace zorva::report
