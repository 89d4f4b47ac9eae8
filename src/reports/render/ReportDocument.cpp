#include "reports/render/ReportDocument.h"

#include "reports/render/ReportEngine.h"
#include "reports/render/TaggedPdf.h"

#include "core/DBTools.h"

#include <QFile>
#include <QImage>
#include <QUrl>
#include <QVariant>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QTextOption>
#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
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

namespace {
// The reports' font, text shaping off (so that "fi" stays two letters in a
// PDF and can be found), and the report's pictures as the document's images.
std::unique_ptr<QTextDocument> NewReportDocument(const Rendered& rendered) {
    auto doc = std::make_unique<QTextDocument>();
    QFont font("DejaVu Sans");
    font.setPointSizeF(9);
    font.setStyleStrategy(QFont::PreferNoShaping);
    doc->setDefaultFont(font);
    for (size_t i = 0; i < rendered.images.size(); ++i)
        if (rendered.images[i].image)
            doc->addResource(QTextDocument::ImageResource, QUrl(QString::fromStdString(ImageUrl(i))),
                             QVariant(*rendered.images[i].image));
    if (!rendered.title.empty()) doc->setMetaInformation(QTextDocument::DocumentTitle, QString::fromStdString(rendered.title));
    return doc;
}
} // namespace

// The HTML as Qt's rich text reads it: its parser takes a narrow no-break
// space (U+202F, the French thousands group) for a blank that a line may
// break at and turns it into an ordinary space, so a number would be cut
// between its groups; a no-break space (U+00A0) keeps it whole.
QString QtHtml(const std::string& html) {
    QString text = QString::fromStdString(html);
    text.replace(QChar(0x202F), QChar(0x00A0));
    return text;
}

std::unique_ptr<QTextDocument> MakeReadingDocument(const Rendered& rendered) {
    auto doc = NewReportDocument(rendered);
    // As on the pages, lines break between words only, at any zoom: a ratio
    // name never breaks inside a word ("margi" over "n").
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    doc->setDefaultTextOption(option);
    doc->setHtml(QtHtml(rendered.readingHtml.empty() ? rendered.html : rendered.readingHtml));
    return doc;
}

void ScaleDocument(QTextDocument& document, double factor) {
    if (factor <= 0 || factor == 1) return;
    QFont base = document.defaultFont();
    base.setPointSizeF(base.pointSizeF() * factor);
    document.setDefaultFont(base);
    // The formats first, then the changes: changing a format merges fragments.
    struct Change {
        int from, to;
        QTextCharFormat format;
    };
    std::vector<Change> changes;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            QTextCharFormat format = f.charFormat();
            bool changed = false;
            if (format.hasProperty(QTextFormat::FontPointSize)) {
                format.setFontPointSize(format.fontPointSize() * factor);
                changed = true;
            }
            if (format.isImageFormat()) {
                QTextImageFormat image = format.toImageFormat();
                if (image.width() > 0) image.setWidth(image.width() * factor);
                if (image.height() > 0) image.setHeight(image.height() * factor);
                format = image;
                changed = true;
            }
            if (changed) changes.push_back({f.position(), f.position() + f.length(), format});
        }
    }
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // Tables of a fixed width (the boxes of the charts' sentences) grow with the text.
    std::vector<QTextFrame*> frames = {document.rootFrame()};
    for (size_t i = 0; i < frames.size(); ++i) {
        for (QTextFrame* child : frames[i]->childFrames()) frames.push_back(child);
        if (auto* table = qobject_cast<QTextTable*>(frames[i])) {
            QTextTableFormat format = table->format();
            if (format.width().type() == QTextLength::FixedLength) {
                format.setWidth(QTextLength(QTextLength::FixedLength, format.width().rawValue() * factor));
                table->setFormat(format);
            }
        }
    }
    for (const Change& c : changes) {
        cursor.setPosition(c.from);
        cursor.setPosition(c.to, QTextCursor::KeepAnchor);
        cursor.setCharFormat(c.format);
    }
    cursor.endEditBlock();
}

std::vector<QTextCursor> FindAll(const QTextDocument& document, const QString& text) {
    std::vector<QTextCursor> found;
    const QString wanted = text.simplified();
    if (wanted.isEmpty()) return found;
    // A letter stands for itself with any accent: "mediane" finds "médiane".
    static const QString kAccented[] = {QStringLiteral("aàâäá"), QStringLiteral("cç"), QStringLiteral("eéèêë"),
                                        QStringLiteral("iîïí"), QStringLiteral("oôöó"), QStringLiteral("uùûüú"),
                                        QStringLiteral("yÿ")};
    QString pattern;
    for (const QChar c : wanted) {
        const QChar base = c.decomposition().isEmpty() ? c.toLower() : c.decomposition().at(0).toLower();
        const QString* letters = nullptr;
        for (const QString& group : kAccented)
            if (group.at(0) == base) letters = &group;
        if (c.isSpace()) pattern += QStringLiteral("[\\s\\x{00A0}\\x{202F}\\x{2009}]+");
        else if (c == '\'' || c == QChar(0x2019)) pattern += QStringLiteral("['\\x{2019}]");
        else if (letters) pattern += "[" + *letters + "]";
        else pattern += QRegularExpression::escape(QString(c));
    }
    const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    QTextCursor at(const_cast<QTextDocument*>(&document));
    while (true) {
        at = document.find(re, at);
        if (at.isNull() || !at.hasSelection()) break;
        found.push_back(at);
    }
    return found;
}

std::unique_ptr<QTextDocument> MakeDocument(const Rendered& rendered) {
    auto doc = NewReportDocument(rendered);
    // Laid out in pages here (the page size is set once the content is in,
    // so that it is laid out once), so that rows can be kept whole; printing
    // scales the pages onto the printer's.
    doc->setDocumentMargin(kPageMarginMm * kUnitsPerMm);
    // Lines break between words only: a word or a number that does not fit
    // widens its column instead of being cut ("Bes t", "1," over "045.3").
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    doc->setDefaultTextOption(option);
    doc->setHtml(QtHtml(rendered.html));
    doc->setPageSize(kPageSize);
    KeepRowsTogether(*doc);
    // What its PDF needs beyond the pages: title, language, the charts' words.
    PdfFacts facts;
    facts.title = rendered.title;
    facts.lang = rendered.lang == Lang::French ? "fr" : "en";
    for (const ReportImage& image : rendered.images) facts.alternatives << QString::fromStdString(image.alt);
    KeepPdfFacts(*doc, facts);
    return doc;
}

void PaintPage(QPainter& painter, QTextDocument& document, int index,
               const QList<QAbstractTextDocumentLayout::Selection>& selections) {
    const QSizeF page = document.pageSize();
    painter.save();
    painter.translate(0, -index * page.height());
    const QRectF view(0, index * page.height(), page.width(), page.height());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    context.selections = selections;
    document.documentLayout()->draw(&painter, context);
    painter.restore();
    // The page number at the right, in the bottom margin, in the document's
    // units (96 an inch).
    QFont numberFont = document.defaultFont();
    numberFont.setPixelSize(qRound(numberFont.pointSizeF() * 96 / 72));
    const qreal margin = document.documentMargin();
    painter.save();
    painter.setFont(numberFont);
    painter.setPen(QColor(0x44, 0x44, 0x44));
    painter.drawText(QRectF(0, page.height() - margin, page.width() - margin, margin / 2),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(index + 1));
    painter.restore();
}

void PrintDocument(QTextDocument& document, QPagedPaintDevice& device) {
    QPainter painter(&device);
    if (!painter.isActive()) return;
    const QSizeF page = document.pageSize();
    // The document's pages scaled onto the device's printable area.
    painter.scale(device.width() / page.width(), device.height() / page.height());
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0) device.newPage();
        PaintPage(painter, document, i);
    }
}

void SetupReportPage(QPagedPaintDevice& device) {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
}

// Never over the program's own store (or its log): writing it would destroy
// it, and closing our descriptor would drop the connection's locks.
bool refusedStoreFile(const std::string& path, std::string* error) {
    std::string refusal = StoreFileInUseMessage(path);
    if (refusal.empty()) return false;
    if (error) *error = std::move(refusal);
    return true;
}

bool WritePdf(QTextDocument& document, const std::string& path, const std::string& title, std::string* error) {
    if (refusedStoreFile(path, error)) return false;
    {
        QFile probe(QString::fromStdString(path));
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error) *error = probe.errorString().toStdString();
            return false;
        }
    }
    // A tagged PDF (TaggedPdf.h): Qt's PDF writer tags nothing.
    if (PdfFactsOf(document).title.empty() && !title.empty()) {
        PdfFacts facts = PdfFactsOf(document);
        facts.title = title;
        KeepPdfFacts(document, facts);
    }
    return WriteTaggedPdf(document, path, error);
}

bool WriteHtml(const Rendered& rendered, const std::string& path, std::string* error) {
    if (refusedStoreFile(path, error)) return false;
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
