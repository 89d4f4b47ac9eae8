#include "reports/render/ReportDocument.h"

#include "reports/render/ReportEngine.h"

#include <QFile>
#include <QImage>
#include <QUrl>
#include <QVariant>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QTextOption>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <vector>

namespace zorva::report {

namespace {

// The page the document is laid out on, in the document's units (96 per
// inch): a Letter page less the 5 mm margins of SetupReportPage, so that
// printing scales it onto the printable area alike in both directions.
constexpr double kUnitsPerMm = 96 / 25.4;
const QSizeF kPageSize((215.9 - 10) * kUnitsPerMm, (279.4 - 10) * kUnitsPerMm);
constexpr double kPageMarginMm = 15;

void CollectTables(QTextFrame* frame, std::vector<QTextTable*>& out) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* t = qobject_cast<QTextTable*>(child)) out.push_back(t);
        CollectTables(child, out);
    }
}

// Vertical extent of a table row's text, in document coordinates.
std::pair<qreal, qreal> RowExtent(QTextDocument& doc, QTextTable* table, int row) {
    qreal top = 1e300, bottom = -1e300;
    for (int c = 0; c < table->columns(); ++c) {
        QTextTableCell cell = table->cellAt(row, c);
        if (cell.row() != row || cell.column() != c) continue;
        for (QTextBlock b = doc.findBlock(cell.firstPosition()); b.isValid() && b.position() <= cell.lastPosition();
             b = b.next()) {
            const QRectF r = doc.documentLayout()->blockBoundingRect(b);
            top = std::min(top, r.top());
            bottom = std::max(bottom, r.bottom());
        }
    }
    return {top, bottom};
}

// A table row is never split across pages: before a row that would be, an
// empty row fills the rest of the page, so that the row starts the next page
// whole (below the repeated heading rows). The layout itself splits a row
// whenever one of its cells begins on the page.
void KeepRowsTogether(QTextDocument& doc) {
    const qreal pageHeight = doc.pageSize().height();
    const qreal bottomMargin = doc.documentMargin();
    constexpr qreal kRowPadding = 2;  // the templates' cell padding above the text
    for (int pass = 0; pass < 200; ++pass) {
        std::vector<QTextTable*> tables;
        CollectTables(doc.rootFrame(), tables);
        bool moved = false;
        for (QTextTable* table : tables) {
            // Only a table that runs over a page end can have a split row.
            const QRectF extent = doc.documentLayout()->frameBoundingRect(table);
            if (static_cast<int>(extent.top() / pageHeight) == static_cast<int>((extent.bottom() - 0.01) / pageHeight))
                continue;
            for (int r = table->format().headerRowCount(); r < table->rows() && !moved; ++r) {
                auto [top, bottom] = RowExtent(doc, table, r);
                const int page = static_cast<int>(top / pageHeight);
                const qreal pageBottom = (page + 1) * pageHeight - bottomMargin;
                // A row that reaches into the bottom margin is split as well:
                // the layout moves its last line (a chart) onto the next page.
                if (top > bottom || (page == static_cast<int>((bottom - 0.01) / pageHeight) && bottom <= pageBottom + 0.5))
                    continue;
                table->insertRows(r, 1);
                for (int c = 0; c < table->columns(); ++c) {
                    QTextTableCell cell = table->cellAt(r, c);
                    if (cell.row() != r || cell.column() != c) continue;
                    // An empty line, and below it padding that reaches a little
                    // past the page's end: the next row then starts the next page.
                    QTextTableCellFormat cf;
                    cf.setTopPadding(0);
                    cf.setLeftPadding(0);
                    cf.setRightPadding(0);
                    cf.setBottomPadding(std::max<qreal>(0, pageBottom - (top - kRowPadding)) + 4);
                    cell.setFormat(cf);
                    QTextCursor cursor = cell.firstCursorPosition();
                    QTextBlockFormat f;
                    f.setLineHeight(1, QTextBlockFormat::FixedHeight);
                    f.setTopMargin(0);
                    f.setBottomMargin(0);
                    cursor.setBlockFormat(f);
                }
                moved = true;
            }
            if (moved) break;
        }
        if (!moved) return;
    }
}

} // namespace

std::unique_ptr<QTextDocument> MakeDocument(const Rendered& rendered) {
    auto doc = std::make_unique<QTextDocument>();
    QFont font("DejaVu Sans");
    font.setPointSizeF(9);
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc->setDefaultFont(font);
    // Laid out in pages here (the page size is set once the content is in,
    // so that it is laid out once), so that rows can be kept whole; printing
    // scales the pages onto the printer's.
    doc->setDocumentMargin(kPageMarginMm * kUnitsPerMm);
    // Lines break between words only: a word or a number that does not fit
    // widens its column instead of being cut ("Bes t", "1," over "045.3").
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    doc->setDefaultTextOption(option);
    for (size_t i = 0; i < rendered.images.size(); ++i)
        if (rendered.images[i].image)
            doc->addResource(QTextDocument::ImageResource, QUrl(QString::fromStdString(ImageUrl(i))),
                             QVariant(*rendered.images[i].image));
    doc->setHtml(QString::fromStdString(rendered.html));
    doc->setPageSize(kPageSize);
    KeepRowsTogether(*doc);
    if (!rendered.title.empty()) doc->setMetaInformation(QTextDocument::DocumentTitle, QString::fromStdString(rendered.title));
    return doc;
}

void PrintDocument(QTextDocument& document, QPagedPaintDevice& device) {
    QPainter painter(&device);
    if (!painter.isActive()) return;
    const QSizeF page = document.pageSize();
    // The document's pages scaled onto the device's printable area.
    painter.scale(device.width() / page.width(), device.height() / page.height());
    // In the document's units (96 a inch), as the painter is scaled to them.
    QFont numberFont = document.defaultFont();
    numberFont.setPixelSize(qRound(numberFont.pointSizeF() * 96 / 72));
    const qreal margin = document.documentMargin();
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0) device.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        const QRectF view(0, i * page.height(), page.width(), page.height());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        // The page number at the right, in the bottom margin.
        painter.save();
        painter.setFont(numberFont);
        painter.setPen(QColor(0x44, 0x44, 0x44));
        painter.drawText(QRectF(0, page.height() - margin, page.width() - margin, margin / 2),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(i + 1));
        painter.restore();
    }
}

void SetupReportPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
}

bool WritePdf(QTextDocument& document, const std::string& path, const std::string& title, std::string* error) {
    {
        QFile probe(QString::fromStdString(path));
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error) *error = probe.errorString().toStdString();
            return false;
        }
    }
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(300);
    writer.setTitle(QString::fromStdString(title));
    writer.setCreator("Zorva");
    SetupReportPage(writer);
    PrintDocument(document, writer);
    return true;
}

bool WriteHtml(const Rendered& rendered, const std::string& path, std::string* error) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = f.errorString().toStdString();
        return false;
    }
    const std::string html = HtmlWithEmbeddedImages(rendered);
    QByteArray bytes(html.data(), static_cast<qsizetype>(html.size()));
    if (f.write(bytes) != bytes.size()) {
        if (error) *error = f.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace zorva::report
