#include "reports/ui/ReportPageView.h"

#include "reports/render/ReportDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace zorva {

namespace {
constexpr int kGap = 12;           // around and between the pages, in view pixels
constexpr double kMinScale = 0.1;  // so that a tiny view still shows something
const QColor kBackground(0x80, 0x80, 0x80);
const QColor kFound(0xFF, 0xE8, 0x73);    // every place found
const QColor kCurrent(0xFF, 0x96, 0x32);  // the place found that is shown
} // namespace

ReportPageView::ReportPageView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void ReportPageView::setDocument(QTextDocument* document) {
    document_ = document;
    selection_ = document ? QTextCursor(document) : QTextCursor();
    found_.clear();
    current_ = -1;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

int ReportPageView::pageCount() const { return document_ ? document_->pageCount() : 0; }

double ReportPageView::scale() const {
    if (!document_) return 1;
    const double width = document_->pageSize().width();
    return std::max(kMinScale, (viewport()->width() - 2.0 * kGap) / width * zoom_);
}

double ReportPageView::pageStep() const {
    return document_ ? document_->pageSize().height() * scale() + kGap : 0;
}

double ReportPageView::pageLeft() const {
    if (!document_) return 0;
    const double width = document_->pageSize().width() * scale();
    if (width + 2 * kGap <= viewport()->width()) return (viewport()->width() - width) / 2;
    return kGap - horizontalScrollBar()->value();
}

int ReportPageView::currentPage() const {
    if (!document_ || pageCount() == 0) return 0;
    const double middle = verticalScrollBar()->value() + viewport()->height() / 2.0 - kGap;
    return std::clamp(static_cast<int>(middle / pageStep()) + 1, 1, pageCount());
}

void ReportPageView::setZoom(double zoom) {
    if (zoom <= 0) return;
    // The same place of the document stays at the top of the view.
    const double before = pageStep() > 0 ? verticalScrollBar()->value() / pageStep() : 0;
    zoom_ = zoom;
    updateScrollBars();
    verticalScrollBar()->setValue(static_cast<int>(std::lround(before * pageStep())));
    viewport()->update();
}

void ReportPageView::setHighlights(std::vector<QTextCursor> found, int current) {
    found_ = std::move(found);
    current_ = current;
    if (current_ >= 0 && current_ < static_cast<int>(found_.size()))
        scrollToPosition(found_[static_cast<size_t>(current_)].selectionStart());
    viewport()->update();
}

void ReportPageView::setTextCursor(const QTextCursor& cursor) {
    selection_ = cursor;
    viewport()->update();
    emit selectionChanged();
}

void ReportPageView::selectAll() {
    if (!document_) return;
    selection_ = QTextCursor(document_);
    selection_.select(QTextCursor::Document);
    viewport()->update();
    emit selectionChanged();
}

void ReportPageView::copy() const {
    if (!selection_.hasSelection()) return;
    const QTextDocumentFragment fragment = selection_.selection();
    auto* data = new QMimeData;
    // Paragraph and line separators of the selection as line breaks.
    QString text = fragment.toPlainText();
    text.replace(QChar::ParagraphSeparator, '\n').replace(QChar::LineSeparator, '\n');
    data->setText(text);
    data->setHtml(fragment.toHtml());
    QApplication::clipboard()->setMimeData(data);
}

void ReportPageView::updateScrollBars() {
    if (!document_) {
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, 0);
        return;
    }
    const double height = kGap + pageCount() * pageStep();
    const double width = document_->pageSize().width() * scale() + 2 * kGap;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(height) - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(width) - viewport()->width()));
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    const double before = pageStep() > 0 ? verticalScrollBar()->value() / pageStep() : 0;
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    verticalScrollBar()->setValue(static_cast<int>(std::lround(before * pageStep())));
}

QPointF ReportPageView::toDocument(const QPoint& p) const {
    const double s = scale();
    const double y = p.y() + verticalScrollBar()->value() - kGap;
    const int page = std::clamp(static_cast<int>(std::floor(y / pageStep())), 0, std::max(0, pageCount() - 1));
    const double inPage = std::clamp((y - page * pageStep()) / s, 0.0, document_->pageSize().height());
    return {(p.x() - pageLeft()) / s, page * document_->pageSize().height() + inPage};
}

int ReportPageView::positionAt(const QPoint& p) const {
    if (!document_) return -1;
    return document_->documentLayout()->hitTest(toDocument(p), Qt::FuzzyHit);
}

void ReportPageView::scrollToPosition(int position) {
    if (!document_) return;
    const QTextBlock block = document_->findBlock(position);
    if (!block.isValid()) return;
    const QRectF rect = document_->documentLayout()->blockBoundingRect(block);
    double y = rect.top(), h = rect.height();
    if (const QTextLayout* layout = block.layout()) {
        const QTextLine line = layout->lineForTextPosition(position - block.position());
        if (line.isValid()) {
            y += line.y();
            h = line.height();
        }
    }
    const double pageHeight = document_->pageSize().height();
    const int page = static_cast<int>(y / pageHeight);
    const double top = kGap + page * pageStep() + (y - page * pageHeight) * scale();
    const int first = verticalScrollBar()->value();
    if (top < first || top + h * scale() > first + viewport()->height())
        verticalScrollBar()->setValue(static_cast<int>(top - viewport()->height() / 3.0));
}

void ReportPageView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kBackground);
    if (document_) {
        QList<QAbstractTextDocumentLayout::Selection> selections;
        for (size_t i = 0; i < found_.size(); ++i) {
            QAbstractTextDocumentLayout::Selection mark;
            mark.cursor = found_[i];
            mark.format.setBackground(static_cast<int>(i) == current_ ? kCurrent : kFound);
            mark.format.setForeground(Qt::black);
            selections.append(mark);
        }
        if (selection_.hasSelection()) {
            QAbstractTextDocumentLayout::Selection mark;
            mark.cursor = selection_;
            mark.format.setBackground(palette().color(QPalette::Highlight));
            mark.format.setForeground(palette().color(QPalette::HighlightedText));
            selections.append(mark);
        }
        const double s = scale();
        const QSizeF page = document_->pageSize();
        const int first = verticalScrollBar()->value();
        for (int i = 0; i < pageCount(); ++i) {
            const double top = kGap + i * pageStep() - first;
            if (top > viewport()->height() || top + page.height() * s < 0) continue;
            painter.save();
            painter.translate(pageLeft(), top);
            painter.fillRect(QRectF(0, 0, page.width() * s, page.height() * s), Qt::white);
            painter.scale(s, s);
            report::PaintPage(painter, *document_, i, selections);
            painter.restore();
        }
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(viewport()->rect().adjusted(1, 1, -2, -2));
    }
}

void ReportPageView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (event->key() == Qt::Key_Home || event == QKeySequence::MoveToStartOfDocument) {
        verticalScrollBar()->setValue(0);
        return;
    }
    if (event->key() == Qt::Key_End || event == QKeySequence::MoveToEndOfDocument) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ReportPageView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !document_) return QAbstractScrollArea::mousePressEvent(event);
    const int at = positionAt(event->position().toPoint());
    if (at < 0) return;
    if (!(event->modifiers() & Qt::ShiftModifier)) selection_.setPosition(at);
    else selection_.setPosition(at, QTextCursor::KeepAnchor);
    selecting_ = true;
    viewport()->update();
    emit selectionChanged();
}

void ReportPageView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_) return QAbstractScrollArea::mouseMoveEvent(event);
    const int at = positionAt(event->position().toPoint());
    if (at < 0) return;
    selection_.setPosition(at, QTextCursor::KeepAnchor);
    viewport()->update();
    emit selectionChanged();
}

void ReportPageView::mouseReleaseEvent(QMouseEvent* event) {
    selecting_ = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ReportPageView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !document_) return;
    const int at = positionAt(event->position().toPoint());
    if (at < 0) return;
    selection_.setPosition(at);
    selection_.select(QTextCursor::WordUnderCursor);
    viewport()->update();
    emit selectionChanged();
}

void ReportPageView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ReportPageView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace zorva
