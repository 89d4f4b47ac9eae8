#pragma once
// A report document written as a tagged PDF (for screen readers and PDF
// checkers): cairo draws the pages that Qt's layout laid out, with Pango for
// the text, and opens a structure element around each piece as it is drawn:
// headings (H1, H2 ... with a bookmark each), paragraphs (P), tables (Table,
// TR, and TH or TD for each cell, TH for the header rows and for each row's
// name), and charts (Figure). libqpdf then adds what cairo 1.16 cannot write:
// the document's language (/Lang), each figure's text alternative (/Alt),
// each header cell's scope (/Scope /Column or /Row) and the title shown as
// the window's title. Qt's own PDF writer tags nothing.

#include <QStringList>

#include <string>

class QTextDocument;

namespace zorva::report {

// What the PDF needs beyond the document: its title, its language ("en" or
// "fr") and the charts' text alternatives, by picture (the document's image
// names end with the picture's index).
struct PdfFacts {
    std::string title;
    std::string lang = "en";
    QStringList alternatives;
};

// The facts kept on a report document (MakeDocument) and read back here.
void KeepPdfFacts(QTextDocument& document, const PdfFacts& facts);
PdfFacts PdfFactsOf(const QTextDocument& document);

// Writes the document, laid out in pages, onto Letter pages with 5 mm margins
// (as SetupReportPage and PrintDocument print it). False with the reason in *error.
bool WriteTaggedPdf(QTextDocument& document, const std::string& path, std::string* error);

} // namespace zorva::report
