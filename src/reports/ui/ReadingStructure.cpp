#include "reports/ui/ReadingStructure.h"

#include "reports/render/ReportEngine.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

namespace zorva {

namespace {

ReadingStructure* StructureOf(QObject* view) {
    return view ? view->findChild<ReadingStructure*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// ------------------------------------------------------------ accessible objects

// Where a piece of the document is on the screen.
QRect ScreenRect(QTextBrowser* view, int from, int to) {
    QTextDocument* doc = view ? view->document() : nullptr;
    if (!doc) return {};
    QRectF area;
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next())
        area = area.united(doc->documentLayout()->blockBoundingRect(b));
    const QPoint scrolled(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    const QRect r = area.toAlignedRect().translated(-scrolled);
    return QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size());
}

// One object of the structure, made on demand: an item, a cell of a table, a
// column header of a table or the chart in a cell.
class Node : public QAccessibleInterface, public QAccessibleTableInterface, public QAccessibleTableCellInterface {
public:
    enum class What { Item, Cell, Header, Figure };
    Node(ReadingStructure* structure, What what, int item, int index)
        : structure_(structure), what_(what), item_(item), index_(index) {}

    bool isValid() const override {
        return structure_ && structure_->View() && item_ < static_cast<int>(structure_->Items().size());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return structure_ && structure_->View() ? structure_->View()->window()->windowHandle() : nullptr;
    }

    const ReadingItem& item() const { return structure_->Items()[static_cast<size_t>(item_)]; }
    const ReadingCell& cell() const { return item().cells[static_cast<size_t>(index_)]; }
    bool isTable() const { return what_ == What::Item && item().kind == ReadingItem::Kind::Table; }

    QAccessibleInterface* parent() const override {
        if (!isValid()) return nullptr;
        switch (what_) {
        case What::Item: return structure_->Root();
        case What::Cell:
        case What::Header: return structure_->ItemInterface(item_);
        case What::Figure: return structure_->CellInterface(item_, index_);
        }
        return nullptr;
    }
    int childCount() const override {
        if (!isValid()) return 0;
        if (isTable()) return item().columns + static_cast<int>(item().cells.size());
        if (what_ == What::Cell) return cell().figure.isEmpty() ? 0 : 1;
        return 0;
    }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (what_ == What::Cell) return structure_->FigureInterface(item_, index_);
        // The row of column headers first (the table's row 0), then the body's cells.
        const int columns = item().columns;
        return index < columns ? structure_->HeaderInterface(item_, index) : structure_->CellInterface(item_, index - columns);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y)) return child(i);
        return nullptr;
    }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        QString name;
        switch (what_) {
        case What::Item: name = item().text; break;
        case What::Cell: name = cell().text; break;
        case What::Header: name = item().columnHeaders[static_cast<size_t>(index_)]; break;
        case What::Figure: name = cell().figure; break;
        }
        if (t == QAccessible::Name) return name;
        if (t == QAccessible::Description && what_ == What::Item && item().kind == ReadingItem::Kind::Figure)
            return name;
        if (t == QAccessible::Description && what_ == What::Figure) return name;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        switch (what_) {
        case What::Item: return ScreenRect(structure_->View(), item().from, item().to);
        case What::Cell:
        case What::Figure: return ScreenRect(structure_->View(), cell().from, cell().to);
        case What::Header: return ScreenRect(structure_->View(), item().from, item().from);
        }
        return {};
    }
    QAccessible::Role role() const override {
        if (!isValid()) return QAccessible::NoRole;
        switch (what_) {
        case What::Cell: return QAccessible::Cell;
        case What::Header: return QAccessible::ColumnHeader;
        case What::Figure: return QAccessible::Graphic;
        case What::Item: break;
        }
        switch (item().kind) {
        case ReadingItem::Kind::Heading: return QAccessible::Heading;
        case ReadingItem::Kind::Paragraph: return QAccessible::Paragraph;
        case ReadingItem::Kind::Table: return QAccessible::Table;
        case ReadingItem::Kind::Figure: return QAccessible::Graphic;
        }
        return QAccessible::NoRole;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.readOnly = true;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = what_ != What::Header;
        s.focused = (what_ == What::Item && structure_->IsFocused(item_, -1)) ||
                    ((what_ == What::Cell || what_ == What::Figure) && structure_->IsFocused(item_, index_));
        s.invisible = !structure_->View()->isVisible();
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface && isValid() && isTable())
            return static_cast<QAccessibleTableInterface*>(this);
        if (type == QAccessible::TableCellInterface && isValid() && (what_ == What::Cell || what_ == What::Header))
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // ---- the table
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    // Row 0: the column headers, one a column (the header rows joined); then the body.
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row == 0) return structure_->HeaderInterface(item_, column);
        // A cell that spans columns is found at its first one only: a screen
        // reader reading a row cell by cell says it once.
        const int i = structure_->CellAt(item_, row - 1, column);
        if (i < 0 || item().cells[static_cast<size_t>(i)].column != column) return nullptr;
        return structure_->CellInterface(item_, i);
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override {
        return column >= 0 && column < item().columns ? item().columnHeaders[static_cast<size_t>(column)] : QString();
    }
    QString rowDescription(int row) const override {
        const int i = row > 0 ? structure_->CellAt(item_, row - 1, 0) : -1;
        return i >= 0 && item().rowHeaders ? item().cells[static_cast<size_t>(i)].text : QString();
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return item().columns; }
    int rowCount() const override { return item().rows + 1; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    // ---- a cell
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        if (what_ == What::Header) return {const_cast<Node*>(this)};
        const ReadingCell& c = cell();
        if (item().columnHeaders[static_cast<size_t>(c.column)].isEmpty() || c.columnSpan == item().columns) return {};
        return {structure_->HeaderInterface(item_, c.column)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override {
        // The name at the row's start; for that cell itself too, as the
        // table's row header is read from the row's first cell.
        if (what_ == What::Header) return {};
        const ReadingCell& c = cell();
        if (!item().rowHeaders) return {};
        const int header = structure_->CellAt(item_, c.row, 0);
        if (header < 0 || item().cells[static_cast<size_t>(header)].text.isEmpty()) return {};
        return {structure_->CellInterface(item_, header)};
    }
    int columnIndex() const override { return what_ == What::Header ? index_ : cell().column; }
    int rowIndex() const override { return what_ == What::Header ? 0 : cell().row + 1; }
    int columnExtent() const override { return what_ == What::Header ? 1 : cell().columnSpan; }
    int rowExtent() const override { return what_ == What::Header ? 1 : cell().rowSpan; }
    QAccessibleInterface* table() const override { return structure_->ItemInterface(item_); }

private:
    QPointer<ReadingStructure> structure_;
    What what_;
    int item_, index_;
};

// The viewport of the reading view: the document that holds the structure.
class DocumentAccessible : public QAccessibleWidget {
public:
    explicit DocumentAccessible(QWidget* viewport) : QAccessibleWidget(viewport, QAccessible::Document) {}
    ReadingStructure* structure() const { return StructureOf(widget()->parentWidget()); }
    int childCount() const override { return structure() ? static_cast<int>(structure()->Items().size()) : 0; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? structure()->ItemInterface(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (structure()->ItemInterface(i) == child) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i)->rect().contains(x, y)) return child(i);
        return nullptr;
    }
    // Named by the report's title.
    QString text(QAccessible::Text t) const override {
        auto* view = qobject_cast<QTextEdit*>(widget()->parentWidget());
        if (t == QAccessible::Name && view) return view->documentTitle();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        return s;
    }
};

const char* const kStructured = "zorvaReadingStructure";

QAccessibleInterface* StructureFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->parentWidget() && widget->parentWidget()->property(kStructured).toBool() &&
        widget->objectName() == QLatin1String("qt_scrollarea_viewport"))
        return new DocumentAccessible(widget);
    return nullptr;
}

// The reading view's caret events go through its structure first: when the
// caret comes onto a table cell, a heading or a chart, that object gets the
// focus and the screen reader says it; the caret event, which would have it
// read the whole line of the table around it, is left out then.
QAccessible::UpdateHandler gPlatformHandler = nullptr;
void StructureUpdateHandler(QAccessibleEvent* event) {
    if (event->type() == QAccessible::TextCaretMoved) {
        ReadingStructure* structure = StructureOf(event->object());
        if (structure && structure->CaretMoved(static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition()))
            return;
    }
    QAccessible::installUpdateHandler(gPlatformHandler);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(StructureUpdateHandler);
}

} // namespace

ReadingStructure::ReadingStructure(QTextBrowser* view) : QObject(view), view_(view) {
    static const bool installed = [] {
        QAccessible::installFactory(StructureFactory);
        gPlatformHandler = QAccessible::installUpdateHandler(StructureUpdateHandler);
        return true;
    }();
    (void)installed;
    view->setProperty(kStructured, true);
    // An object made for the viewport before is dropped: the next one comes from the factory.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(view->viewport());
        made && !dynamic_cast<DocumentAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

ReadingStructure::~ReadingStructure() { dropInterfaces(); }

void ReadingStructure::dropInterfaces() {
    for (Made& m : made_) {
        auto drop = [](QAccessibleInterface*& i) {
            if (i) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(i));
            i = nullptr;
        };
        drop(m.item);
        for (auto* list : {&m.cells, &m.headers, &m.figures})
            for (auto*& i : *list) drop(i);
    }
    made_.clear();
}

void ReadingStructure::Rebuild(const std::vector<report::ReportImage>& images) {
    if (QAccessibleInterface* root = Root()) {
        QAccessibleEvent gone(root, QAccessible::ObjectReorder);
        if (QAccessible::isActive()) QAccessible::updateAccessibility(&gone);
    }
    dropInterfaces();
    focusItem_ = focusCell_ = -1;
    items_ = view_ && view_->document() ? report::ReadStructure(*view_->document(), images) : std::vector<ReadingItem>{};
    made_.resize(items_.size());
    for (size_t i = 0; i < items_.size(); ++i) {
        made_[i].cells.assign(items_[i].cells.size(), nullptr);
        made_[i].figures.assign(items_[i].cells.size(), nullptr);
        made_[i].headers.assign(static_cast<size_t>(std::max(0, items_[i].columns)), nullptr);
    }
    if (QAccessibleInterface* root = Root()) {
        QAccessibleEvent changed(root, QAccessible::ObjectReorder);
        if (QAccessible::isActive()) QAccessible::updateAccessibility(&changed);
    }
}

QAccessibleInterface* ReadingStructure::Root() {
    return view_ ? QAccessible::queryAccessibleInterface(view_->viewport()) : nullptr;
}

namespace {
QAccessibleInterface* Register(QAccessibleInterface*& slot, QAccessibleInterface* made) {
    slot = made;
    QAccessible::registerAccessibleInterface(made);
    return slot;
}

// The object at `index` of `objects`, made by `make` on first use; null for an
// index out of range.
template <typename Make>
QAccessibleInterface* MadeOnce(std::vector<QAccessibleInterface*>& objects, int index, Make make) {
    if (index < 0 || index >= static_cast<int>(objects.size())) return nullptr;
    QAccessibleInterface*& slot = objects[static_cast<size_t>(index)];
    return slot ? slot : Register(slot, make());
}
} // namespace

QAccessibleInterface* ReadingStructure::ItemInterface(int item) {
    if (item < 0 || item >= static_cast<int>(made_.size())) return nullptr;
    QAccessibleInterface*& slot = made_[static_cast<size_t>(item)].item;
    return slot ? slot : Register(slot, new Node(this, Node::What::Item, item, -1));
}

QAccessibleInterface* ReadingStructure::CellInterface(int item, int cell) {
    if (item < 0 || item >= static_cast<int>(made_.size())) return nullptr;
    return MadeOnce(made_[static_cast<size_t>(item)].cells, cell,
                    [&] { return new Node(this, Node::What::Cell, item, cell); });
}

QAccessibleInterface* ReadingStructure::HeaderInterface(int item, int column) {
    if (item < 0 || item >= static_cast<int>(made_.size())) return nullptr;
    return MadeOnce(made_[static_cast<size_t>(item)].headers, column,
                    [&] { return new Node(this, Node::What::Header, item, column); });
}

QAccessibleInterface* ReadingStructure::FigureInterface(int item, int cell) {
    if (item < 0 || item >= static_cast<int>(made_.size())) return nullptr;
    return MadeOnce(made_[static_cast<size_t>(item)].figures, cell,
                    [&] { return new Node(this, Node::What::Figure, item, cell); });
}

int ReadingStructure::CellAt(int item, int row, int column) const {
    if (item < 0 || item >= static_cast<int>(items_.size())) return -1;
    const auto& cells = items_[static_cast<size_t>(item)].cells;
    for (size_t i = 0; i < cells.size(); ++i) {
        const ReadingCell& c = cells[i];
        if (row >= c.row && row < c.row + c.rowSpan && column >= c.column && column < c.column + c.columnSpan)
            return static_cast<int>(i);
    }
    return -1;
}

QAccessibleInterface* ReadingStructure::Focused() const {
    auto* self = const_cast<ReadingStructure*>(this);
    if (focusItem_ < 0) return nullptr;
    return focusCell_ >= 0 ? self->CellInterface(focusItem_, focusCell_) : self->ItemInterface(focusItem_);
}

bool ReadingStructure::focus(int item, int cell) {
    if (item == focusItem_ && cell == focusCell_) return false;
    focusItem_ = item;
    focusCell_ = cell;
    QAccessibleInterface* focused = Focused();
    // Back on plain text: the view's own caret event says the line.
    if (!focused || !QAccessible::isActive() || !view_) return false;
    QAccessibleEvent event(focused, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
    return true;
}

bool ReadingStructure::CaretMoved(int position) {
    if (!view_) return false;
    for (size_t i = 0; i < items_.size(); ++i) {
        const ReadingItem& item = items_[i];
        if (position < item.from || position > item.to) continue;
        if (item.kind == ReadingItem::Kind::Table) {
            for (size_t c = 0; c < item.cells.size(); ++c)
                if (position >= item.cells[c].from && position <= item.cells[c].to)
                    return focus(static_cast<int>(i), static_cast<int>(c)) || focusCell_ == static_cast<int>(c);
            // On a header row: the table itself.
            return focus(static_cast<int>(i), -1) || focusItem_ == static_cast<int>(i);
        }
        if (item.kind == ReadingItem::Kind::Heading || item.kind == ReadingItem::Kind::Figure)
            return focus(static_cast<int>(i), -1);
        break;
    }
    focus(-1, -1);
    return false;
}

int ReadingStructure::jump(int kind, bool forward) {
    if (!view_) return -1;
    const int position = view_->textCursor().position();
    // The places of that kind in reading order: (item, cell or -1, position).
    struct Place {
        int item, cell, position;
    };
    std::vector<Place> places;
    int here = -1;  // the item that holds the caret
    for (size_t i = 0; i < items_.size(); ++i) {
        const ReadingItem& item = items_[i];
        if (position >= item.from && position <= item.to) here = static_cast<int>(i);
        if (kind == static_cast<int>(ReadingItem::Kind::Figure) && item.kind == ReadingItem::Kind::Table) {
            for (size_t c = 0; c < item.cells.size(); ++c)
                if (!item.cells[c].figure.isEmpty())
                    places.push_back({static_cast<int>(i), static_cast<int>(c), item.cells[c].from});
        } else if (static_cast<int>(item.kind) == kind && item.kind == ReadingItem::Kind::Table) {
            // A table: its first cell below the header rows.
            if (!item.cells.empty()) places.push_back({static_cast<int>(i), 0, item.cells.front().from});
        } else if (static_cast<int>(item.kind) == kind) {
            places.push_back({static_cast<int>(i), -1, item.from});
        }
    }
    const Place* found = nullptr;
    if (forward) {
        for (const Place& p : places)
            if (p.position > position) {
                found = &p;
                break;
            }
    } else {
        for (auto it = places.rbegin(); it != places.rend() && !found; ++it)
            if (it->position < position && (it->cell >= 0 || it->item != here)) found = &*it;
    }
    if (!found) return -1;
    const Place place = *found;
    QTextCursor cursor = view_->textCursor();
    cursor.setPosition(place.position);
    view_->setTextCursor(cursor);
    view_->ensureCursorVisible();
    focus(place.item, place.cell);
    if (kind == static_cast<int>(ReadingItem::Kind::Figure) && place.cell >= 0 && QAccessible::isActive()) {
        // The chart itself, inside its cell.
        if (QAccessibleInterface* figure = FigureInterface(place.item, place.cell)) {
            QAccessibleEvent event(figure, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
    }
    return place.item;
}

bool ReadingStructure::moveInTable(int key) {
    if (!view_) return false;
    const int position = view_->textCursor().position();
    for (size_t i = 0; i < items_.size(); ++i) {
        const ReadingItem& item = items_[i];
        if (item.kind != ReadingItem::Kind::Table || position < item.from || position > item.to) continue;
        for (const ReadingCell& c : item.cells) {
            if (position < c.from || position > c.to) continue;
            int row = c.row, column = c.column;
            switch (key) {
            case Qt::Key_Left: column -= 1; break;
            case Qt::Key_Right: column += c.columnSpan; break;
            case Qt::Key_Up: row -= 1; break;
            case Qt::Key_Down: row += c.rowSpan; break;
            default: return false;
            }
            // Past the table's edge the caret moves on as in any text.
            if (row < 0 || row >= item.rows || column < 0 || column >= item.columns) return false;
            const int next = CellAt(static_cast<int>(i), row, column);
            if (next < 0) return false;
            QTextCursor cursor = view_->textCursor();
            cursor.setPosition(item.cells[static_cast<size_t>(next)].from);
            view_->setTextCursor(cursor);
            view_->ensureCursorVisible();
            focus(static_cast<int>(i), next);
            return true;
        }
        return false;
    }
    return false;
}

bool ReadingStructure::HandleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    // In a table the arrow keys go from cell to cell.
    if (mods == Qt::NoModifier &&
        (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right || event->key() == Qt::Key_Up ||
         event->key() == Qt::Key_Down))
        return moveInTable(event->key());
    if (mods != Qt::NoModifier && mods != Qt::ShiftModifier) return false;
    const bool forward = mods == Qt::NoModifier;
    ReadingItem::Kind kind;
    switch (event->key()) {
    case Qt::Key_H: kind = ReadingItem::Kind::Heading; break;
    case Qt::Key_T: kind = ReadingItem::Kind::Table; break;
    case Qt::Key_G: kind = ReadingItem::Kind::Figure; break;
    default: return false;
    }
    if (jump(static_cast<int>(kind), forward) < 0) QApplication::beep();
    return true;
}

} // namespace zorva
