#pragma once
// A rendered report as a laid-out document: shown by the viewer (in pages as
// printed, or reflowed to the window as text), printed and written to PDF
// (text kept as text) or to an HTML file; and finding words in it.

#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace zorva::report {

struct Rendered;

// The document of a rendered report, with the reports' font (text shaping
// off, so that "fi" stays two letters in the PDF and can be searched), laid
// out in Letter pages with 15 mm margins: lines break between words only, a
// table row is never split across pages and heading rows (<thead>) repeat on
// every page of their table. The charts are given to the document as images,
// not decoded from the HTML.
std::unique_ptr<QTextDocument> MakeDocument(const Rendered& rendered);

// The document of the reading view: the report's reading HTML (each chart
// followed by its sentence), in the reports' font, not laid out in pages, so
// that it reflows to the width of the view.
std::unique_ptr<QTextDocument> MakeReadingDocument(const Rendered& rendered);

// Scales the text and the pictures of a document by `factor` (the reading
// view's zoom): every font size and every picture's size, also the default font.
void ScaleDocument(QTextDocument& document, double factor);

// Draws page `index` (from 0) of a document laid out in pages onto a painter
// whose units are the document's, with the page's top left corner at the
// origin: its text, the selections (found words, a selection) and its number.
void PaintPage(QPainter& painter, QTextDocument& document, int index,
               const QList<QAbstractTextDocumentLayout::Selection>& selections = {});

// Every place of `text` in a document, in order, as a reader means it: letter
// case and accents aside ("mediane" finds "Médiane"), any blank for a blank
// (French numbers group their thousands with a narrow no-break space), either
// apostrophe for an apostrophe. Nothing for an empty text.
std::vector<QTextCursor> FindAll(const QTextDocument& document, const QString& text);

// Letter pages with 5 mm margins, onto which the document's pages are scaled.
void SetupReportPage(QPagedPaintDevice& device);

// Prints the document's pages onto the device's printable area (set up with
// SetupReportPage), each with its number at the bottom right. QTextDocument::
// print() draws a document laid out in pages without page numbers.
void PrintDocument(QTextDocument& document, QPagedPaintDevice& device);

// Writes the document to a tagged PDF file, its pages as PrintDocument prints
// them (TaggedPdf.h); false with the reason in *error.
bool WritePdf(QTextDocument& document, const std::string& path, const std::string& title, std::string* error);
// Writes the report's HTML (pictures embedded) to a file.
bool WriteHtml(const Rendered& rendered, const std::string& path, std::string* error);

} // namespace zorva::report
