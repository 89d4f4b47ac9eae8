#pragma once
// The reading view's structure as assistive technology reads it.
//
// The reading view is a text browser: on the accessibility bus its text is
// one long text, in which a screen reader finds neither the headings nor the
// tables. This gives it a structure of its own, read from the laid-out
// document: below the view (as the accessible object of its viewport, a
// document) each heading with its level, each paragraph, each table (the
// table interface: its rows, its columns, every cell with its column headers
// and its row header, the ratio's or the line's name) and each chart as a
// picture whose name is its sentence. A table used only to place text side by
// side (no header rows) gives its paragraphs, not a table.
//
// The keys of a screen reader's browse mode move through it: H and Shift+H
// the next and previous heading, T and Shift+T the next and previous table,
// G and Shift+G the next and previous chart. The caret goes there (so find,
// selection and copy go on from there), and the object is given the focus, so
// that a screen reader says it; T lands on the table's first cell. In a table
// the arrow keys move the caret from cell to cell (past its edges, as in any
// text), and the cell is given the focus: it is read with its headers
// ("Net profit margin, Median 2010, 4.3") instead of the whole line.

#include "reports/render/ReportStructure.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextBrowser>

#include <memory>
#include <vector>

class QAccessibleInterface;
class QTextDocument;
class QKeyEvent;

namespace zorva {

using report::ReadingCell;
using report::ReadingItem;

class ReadingStructure : public QObject {
    Q_OBJECT
public:
    explicit ReadingStructure(QTextBrowser* view);
    ~ReadingStructure() override;

    // Reads the structure of the view's document again (a new report).
    void Rebuild(const std::vector<report::ReportImage>& images);
    const std::vector<ReadingItem>& Items() const { return items_; }

    // A key of the reading view: true when it was a structure key and was used.
    bool HandleKey(QKeyEvent* event);
    // The caret moved to `position`: a table cell, a heading or a chart there
    // gets the focus. True when the caret is on such an object (a screen
    // reader says the object, not the caret's line).
    bool CaretMoved(int position);

    // The accessible object of the item (and cell, or -1) now focused; nullptr for none.
    QAccessibleInterface* Focused() const;

    // Internal: the accessible objects.
    QTextBrowser* View() const { return view_; }
    QAccessibleInterface* ItemInterface(int item);
    QAccessibleInterface* CellInterface(int item, int cell);
    QAccessibleInterface* HeaderInterface(int item, int column);
    QAccessibleInterface* FigureInterface(int item, int cell);
    QAccessibleInterface* Root();
    bool IsFocused(int item, int cell) const { return item == focusItem_ && cell == focusCell_; }
    int CellAt(int item, int row, int column) const;

private:
    bool focus(int item, int cell);
    void dropInterfaces();
    int jump(int kind, bool forward);
    bool moveInTable(int key);

    QPointer<QTextBrowser> view_;
    std::vector<ReadingItem> items_;
    // The objects made so far, by item (index 0: the item; then cells, headers and figures).
    struct Made {
        QAccessibleInterface* item = nullptr;
        std::vector<QAccessibleInterface*> cells, headers, figures;
    };
    std::vector<Made> made_;
    int focusItem_ = -1, focusCell_ = -1;
};

} // namespace zorva
