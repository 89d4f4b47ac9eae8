#pragma once
// A laid-out report document read as a screen reader or a tagged PDF needs
// it: its headings with their levels, its paragraphs, its data tables (a
// table with header rows: the column headers, each row's name in its first
// column, every cell) and its charts with their sentences, in reading order.
// A table without header rows only places text side by side: it gives its
// paragraphs. The reading view's structure for assistive technology
// (reports/ui/ReadingStructure.h) and the PDF's structure tree are read here.

#include <QString>

#include <vector>

class QTextDocument;

namespace zorva::report {

struct ReportImage;


struct ReadingCell {
    int row = 0, column = 0, rowSpan = 1, columnSpan = 1;
    int from = 0, to = 0;  // document positions of its text
    QString text;          // its words (a chart's sentence for a chart)
    QString figure;        // the chart's sentence when the cell shows a chart
};

struct ReadingItem {
    enum class Kind { Heading, Paragraph, Table, Figure };
    Kind kind = Kind::Paragraph;
    int level = 0;  // a heading's level
    QString text;   // a heading's or paragraph's words, a figure's sentence, a table's caption
    int from = 0, to = 0;
    // A table: its body (the header rows are its column headers).
    int rows = 0, columns = 0;
    std::vector<ReadingCell> cells;       // the body's cells, row by row
    std::vector<QString> columnHeaders;   // one per column, the header rows' words joined
    bool rowHeaders = false;              // the first column names its row
};

// The items of a document in reading order. `images`: the report's pictures,
// whose text alternatives the figures take.
std::vector<ReadingItem> ReadStructure(const QTextDocument& document, const std::vector<ReportImage>& images);

} // namespace zorva::report
