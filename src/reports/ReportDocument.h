#pragma once
// A rendered report as a laid-out document: shown by the viewer, printed and
// written to PDF (text kept as text) or to an HTML file.

#include <QTextDocument>

#include <memory>
#include <string>

class QPagedPaintDevice;

namespace zorva::report {

struct Rendered;

// The document of a rendered report, with the reports' font (text shaping
// off, so that "fi" stays two letters in the PDF and can be searched).
std::unique_ptr<QTextDocument> MakeDocument(const Rendered& rendered);

// Letter pages with 5 mm margins; printing a document adds 2 cm of its own.
void SetupReportPage(QPagedPaintDevice& device);

// Writes the document to a PDF file; false with the reason in *error.
bool WritePdf(QTextDocument& document, const std::string& path, const std::string& title, std::string* error);
// Writes the report's HTML (pictures embedded) to a file.
bool WriteHtml(const Rendered& rendered, const std::string& path, std::string* error);

} // namespace zorva::report
