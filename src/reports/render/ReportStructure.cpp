#include "reports/render/ReportStructure.h"

#include "reports/render/ReportEngine.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

namespace zorva::report {

namespace {

// A piece of text as words: line and paragraph ends, the table cells'
// separators and the pictures' placeholders as blanks.
QString Words(QString text) {
    for (QChar c : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator), QChar(0xFDD0), QChar(0xFDD1),
                    QChar(QChar::ObjectReplacementCharacter), QChar(QChar::Nbsp), QChar(0x202F)})
        text.replace(c, QLatin1Char(' '));
    return text.simplified();
}

QString TextBetween(const QTextDocument& document, int from, int to) {
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(from);
    cursor.setPosition(std::max(from, to), QTextCursor::KeepAnchor);
    return Words(cursor.selectedText());
}

// The text alternative of the first picture between two positions.
QString FigureBetween(const QTextDocument& document, int from, int to,
                      const std::vector<ReportImage>& images) {
    for (QTextBlock b = document.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() < from || f.position() > to || !f.charFormat().isImageFormat()) continue;
            const QString name = f.charFormat().toImageFormat().name();
            const QString prefix = QString::fromStdString(ImageUrl(0)).chopped(1);
            if (!name.startsWith(prefix)) continue;
            const size_t index = name.mid(prefix.size()).toUInt();
            if (index < images.size() && !images[index].alt.empty()) return QString::fromStdString(images[index].alt);
        }
    }
    return {};
}

class Reader {
public:
    Reader(const QTextDocument& document, const std::vector<ReportImage>& images)
        : document_(document), images_(images) {}

    void Frame(QTextFrame::iterator it) {
        for (; !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                auto* table = qobject_cast<QTextTable*>(child);
                if (table && table->format().headerRowCount() > 0) Table(table);
                else if (table) LayoutTable(table);
                else Frame(child->begin());
            } else {
                Block(it.currentBlock());
            }
        }
    }

    std::vector<ReadingItem> items;

private:
    void Block(const QTextBlock& block) {
        const int from = block.position(), to = block.position() + std::max(0, block.length() - 1);
        const QString figure = FigureBetween(document_, from, to, images_);
        const QString text = Words(block.text());
        if (!figure.isEmpty()) {
            ReadingItem item;
            item.kind = ReadingItem::Kind::Figure;
            item.text = figure;
            item.from = from;
            item.to = to;
            items.push_back(item);
        }
        if (text.isEmpty()) return;
        // The sentence printed below its chart is the chart's own words.
        if (!items.empty() && items.back().kind == ReadingItem::Kind::Figure && items.back().text == text) return;
        ReadingItem item;
        item.level = block.blockFormat().headingLevel();
        item.kind = item.level > 0 ? ReadingItem::Kind::Heading : ReadingItem::Kind::Paragraph;
        item.text = text;
        item.from = from;
        item.to = to;
        items.push_back(item);
    }

    // A table that only places text side by side: its paragraphs, cell by cell.
    void LayoutTable(QTextTable* table) {
        for (int r = 0; r < table->rows(); ++r)
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() == r && cell.column() == c) Frame(cell.begin());
            }
    }

    void Table(QTextTable* table) {
        ReadingItem item;
        item.kind = ReadingItem::Kind::Table;
        const int headerRows = std::min(table->format().headerRowCount(), table->rows());
        item.rows = table->rows() - headerRows;
        item.columns = table->columns();
        item.from = table->firstPosition();
        item.to = table->lastPosition();
        // A column's header: the words of the header rows above it, top down,
        // a word already said by the row below left out ("2010" above "Median 2010").
        for (int c = 0; c < item.columns; ++c) {
            QStringList words;
            for (int r = 0; r < headerRows; ++r) {
                const QTextTableCell cell = table->cellAt(r, c);
                const QString text = TextBetween(document_, cell.firstPosition(), cell.lastPosition());
                if (!text.isEmpty() && !words.contains(text)) words << text;
            }
            for (int i = 0; i + 1 < words.size();)
                if (words[i + 1].contains(words[i])) words.removeAt(i);
                else ++i;
            item.columnHeaders.push_back(words.join(QStringLiteral(", ")));
        }
        item.rowHeaders = item.columns > 1;
        for (int r = headerRows; r < table->rows(); ++r) {
            for (int c = 0; c < item.columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() != r || cell.column() != c) continue;
                ReadingCell rc;
                rc.row = r - headerRows;
                rc.column = c;
                rc.rowSpan = cell.rowSpan();
                rc.columnSpan = cell.columnSpan();
                rc.from = cell.firstPosition();
                rc.to = cell.lastPosition();
                rc.text = TextBetween(document_, rc.from, rc.to);
                rc.figure = FigureBetween(document_, rc.from, rc.to, images_);
                if (!rc.figure.isEmpty()) rc.text = rc.figure;
                item.cells.push_back(rc);
            }
        }
        // Its name: the heading above it, else its first column's header.
        for (auto it = items.rbegin(); it != items.rend() && item.text.isEmpty(); ++it)
            if (it->kind == ReadingItem::Kind::Heading) item.text = it->text;
        if (item.text.isEmpty() && !item.columnHeaders.empty()) item.text = item.columnHeaders.front();
        items.push_back(item);
    }

    const QTextDocument& document_;
    const std::vector<ReportImage>& images_;
};

} // namespace

std::vector<ReadingItem> ReadStructure(const QTextDocument& document, const std::vector<ReportImage>& images) {
    Reader reader(document, images);
    reader.Frame(document.rootFrame()->begin());
    return std::move(reader.items);
}

} // namespace zorva::report
