#pragma once
// A report as a spreadsheet, written from its model (ReportModel.h), never
// from the rendered text: the report's headings and lines as rows (the title
// first), and each of its tables with its header rows, in report order. A
// number is a number cell holding the number the report shows, formatted with
// the decimals it shows it with (per cents with "%", signed numbers with
// their sign); a chart is its sentence. Written as CSV (UTF-8, "," between
// fields, numbers with "." and no grouping) or XLSX (libxlsxwriter).

#include "reports/render/ReportEngine.h"

#include <string>

namespace zorva::report {

// The spreadsheet number format that shows a number value as the report does
// ("#,##0.00", "#,##0.0\"%\"", "+#,##0.0;-#,##0.0;0.0"); empty for a value
// that is no number.
std::string NumberFormat(const Value& value);
// A value's text as a spreadsheet cell shows it: a Null as "–", an error as
// its message in brackets, a chart as its sentence.
std::string CellText(const Value& value, const Rendered& rendered);

// Writes the report's model; false with *error when the file cannot be written.
bool WriteExportCsv(const Rendered& rendered, const std::string& path, std::string* error);
bool WriteExportXlsx(const Rendered& rendered, const std::string& path, std::string* error);
// By the extension of path (.csv or .xlsx, any case); false with *error for another.
bool WriteExport(const Rendered& rendered, const std::string& path, std::string* error);
// True when path ends in .csv or .xlsx.
bool IsExportPath(const std::string& path);

} // namespace zorva::report
