#pragma once
// The report viewer's page view: a report laid out in pages (MakeDocument)
// shown as printed, one page below the other, the width of a page fitted to
// the view at zoom 1. Unlike a print preview it draws the document's text
// itself, so that text can be selected with the mouse (Ctrl+A all of it),
// copied (Ctrl+C) and found words shown on their pages. Scrolls with the
// arrow, page, Home and End keys; shows a frame while it has the focus.

#include <QAbstractScrollArea>
#include <QTextCursor>

#include <vector>

class QTextDocument;

namespace zorva {

class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportPageView(QWidget* parent = nullptr);

    // The document, laid out in pages; not owned.
    void setDocument(QTextDocument* document);
    QTextDocument* document() const { return document_; }
    int pageCount() const;
    // The page whose area lies in the middle of the view (from 1).
    int currentPage() const;

    // 1: a page as wide as the view.
    void setZoom(double zoom);
    double zoom() const { return zoom_; }

    // Found places, all shown; the one at `current` stands out and is scrolled into view.
    void setHighlights(std::vector<QTextCursor> found, int current);

    QTextCursor textCursor() const { return selection_; }
    void setTextCursor(const QTextCursor& cursor);
    void selectAll();
    void copy() const;

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    double scale() const;         // view pixels per document unit
    double pageStep() const;      // a page and the gap below it, in view pixels
    double pageLeft() const;      // left edge of the pages in the scrolled area
    QPointF toDocument(const QPoint& viewportPos) const;
    int positionAt(const QPoint& viewportPos) const;
    void updateScrollBars();
    void scrollToPosition(int position);

    QTextDocument* document_ = nullptr;
    double zoom_ = 1;
    QTextCursor selection_;
    std::vector<QTextCursor> found_;
    int current_ = -1;
    bool selecting_ = false;
};

} // namespace zorva
