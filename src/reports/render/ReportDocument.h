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
// off, so that "fi" stays two letters in the PDF and can be searched), laid
// out in Letter pages with 15 mm margins: lines break between words only, a
// table row is never split across pages and heading rows (<thead>) repeat on
// every page of their table. The charts are given to the document as images,
// not decoded from the HTML.
std::unique_ptr<QTextDocument> MakeDocument(const Rendered& rendered);

// Letter pages with 5 mm margins, onto which the document's pages are scaled.
void SetupReportPage(QPagedPaintDevice& device);

// Prints the document's pages onto the device's printable area (set up with
// SetupReportPage), each with its number at the bottom right. QTextDocument::
// print() draws a document laid out in pages without page numbers.
void PrintDocument(QTextDocument& document, QPagedPaintDevice& device);

// Writes the document to a PDF file (PrintDocument); false with the reason in *error.
bool WritePdf(QTextDocument& document, const std::string& path, const std::string& title, std::string* error);
// Writes the report's HTML (pictures embedded) to a file.
bool WriteHtml(const Rendered& rendered, const std::string& path, std::string* error);

} // namespace zorva::report
