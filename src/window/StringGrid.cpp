#include "window/StringGrid.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>

namespace moravel::window {

namespace {

quint64 CellKey(int col, int row)
{
    return (quint64(quint32(col)) << 32) | quint32(row);
}

// Qt draws a grid line inside each section; the widths and heights the window gives are
// those of the cell without its line.
constexpr int kGridLine = 1;

}  // namespace

// The grid's texts, kept by (column, row) whatever the present counts.
class StringGridModel : public QAbstractTableModel {
public:
    explicit StringGridModel(StringGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : cols; }

    bool IsFixed(int col, int row) const { return col < fixedCols || row < fixedRows; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return texts.value(CellKey(index.column(), index.row()));
            case Qt::BackgroundRole:
                if (IsFixed(index.column(), index.row()))
                    return grid_->palette().brush(QPalette::Button);
                return {};
            case Qt::ForegroundRole:
                if (IsFixed(index.column(), index.row()))
                    return grid_->palette().brush(QPalette::ButtonText);
                return {};
            default:
                return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid() || IsFixed(index.column(), index.row()))
            return Qt::ItemNeverHasChildren;  // not enabled: never selected, never edited
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        SetText(index.column(), index.row(), value.toString());
        return true;
    }

    void SetText(int col, int row, const QString& text)
    {
        const quint64 key = CellKey(col, row);
        if (texts.value(key) == text)
            return;
        if (text.isEmpty())
            texts.remove(key);
        else
            texts.insert(key, text);
        if (col < cols && row < rows) {
            const QModelIndex i = index(row, col);
            emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
        }
    }

    void SetRows(int count)
    {
        count = std::max(count, 0);
        if (count > rows) {
            beginInsertRows({}, rows, count - 1);
            rows = count;
            endInsertRows();
        } else if (count < rows) {
            beginRemoveRows({}, count, rows - 1);
            rows = count;
            endRemoveRows();
        }
    }

    void SetCols(int count)
    {
        count = std::max(count, 0);
        if (count > cols) {
            beginInsertColumns({}, cols, count - 1);
            cols = count;
            endInsertColumns();
        } else if (count < cols) {
            beginRemoveColumns({}, count, cols - 1);
            cols = count;
            endRemoveColumns();
        }
    }

    void Restyle()
    {
        if (rows > 0 && cols > 0)
            emit dataChanged(index(0, 0), index(rows - 1, cols - 1));
    }

    QHash<quint64, QString> texts;
    int rows = 5;
    int cols = 5;
    int fixedRows = 1;
    int fixedCols = 1;

private:
    StringGrid* grid_;
};

// The cell editor: a line edit whose every change is stored in the cell at once, and whose
// keys reach the grid's key handler before the editor acts on them.
class StringGridDelegate : public QStyledItemDelegate {
public:
    explicit StringGridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int col = index.column();
            const int row = index.row();
            StringGrid* grid = grid_;
            QObject::connect(line, &QLineEdit::textChanged, grid,
                             [grid, col, row](const QString& text) { grid->model_->SetText(col, row, text); });
            line->setProperty("gridCol", col);
            line->setProperty("gridRow", row);
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // The editor already shows what it stored; resetting it would move the cursor.
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && line->text() == index.data(Qt::EditRole).toString())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && !grid_->forwardingKey_) {
            auto* editor = qobject_cast<QWidget*>(object);
            QPointer<QWidget> alive(editor);
            const int key = static_cast<QKeyEvent*>(event)->key();
            const int col = editor ? editor->property("gridCol").toInt() : -1;
            const int row = editor ? editor->property("gridRow").toInt() : -1;
            if (!grid_->RunUser([this, key] { grid_->KeyFromEditor(key); }))
                return true;  // the handler failed: the key is dropped
            // The handler may have moved the selection, which closes this editor.
            if (!alive || grid_->state() != QAbstractItemView::EditingState || grid_->SelectedCol() != col ||
                grid_->SelectedRow() != row)
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    StringGrid* grid_;
};

StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new StringGridModel(this))
{
    setModel(model_);
    setItemDelegate(new StringGridDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    // No editing on a click on the selected cell: Qt would delay that edit, and a key typed
    // meanwhile would be lost. Typing into a cell opens its editor at once.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // a text wider than its cell is cut, not shortened with "..."
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    SetDefaultColWidth(defaultColWidth_);
    SetDefaultRowHeight(defaultRowHeight_);
    selCol_ = model_->fixedCols;
    selRow_ = model_->fixedRows;
    SyncCurrent();
}

StringGrid::~StringGrid() = default;

QString StringGrid::Cell(int col, int row) const
{
    return model_->texts.value(CellKey(col, row));
}

void StringGrid::SetCell(int col, int row, const QString& text)
{
    model_->SetText(col, row, text);
}

int StringGrid::ColCount() const
{
    return model_->cols;
}
int StringGrid::RowCount() const
{
    return model_->rows;
}
int StringGrid::FixedCols() const
{
    return model_->fixedCols;
}
int StringGrid::FixedRows() const
{
    return model_->fixedRows;
}
int StringGrid::DefaultColWidth() const
{
    return defaultColWidth_;
}
int StringGrid::DefaultRowHeight() const
{
    return defaultRowHeight_;
}
int StringGrid::SelectedCol() const
{
    return selCol_;
}
int StringGrid::SelectedRow() const
{
    return selRow_;
}
int StringGrid::GridWidth() const
{
    return width();
}

void StringGrid::SetColCount(int count)
{
    // The same count changes nothing, and keeps a marked block (the rainfall table's refresh
    // sets its count on every key).
    if (count == ColCount())
        return;
    syncing_ = true;
    model_->SetCols(count);
    syncing_ = false;
    ApplyColWidths();
    KeepSelectionValid();
}

void StringGrid::SetRowCount(int count)
{
    syncing_ = true;
    model_->SetRows(count);
    syncing_ = false;
    ApplyRowHeights();
    KeepSelectionValid();
}

void StringGrid::SetFixedCols(int count)
{
    model_->fixedCols = std::max(count, 0);
    model_->Restyle();
    ResetSelection();
}

void StringGrid::SetFixedRows(int count)
{
    model_->fixedRows = std::max(count, 0);
    model_->Restyle();
    ResetSelection();
}

void StringGrid::ResetSelection()
{
    selCol_ = FixedCols();
    selRow_ = FixedRows();
    KeepSelectionValid();
    scrollToTop();
}

void StringGrid::SetColWidth(int col, int pixels)
{
    colWidths_.insert(col, pixels);
    if (col < ColCount())
        setColumnWidth(col, pixels + kGridLine);
}

int StringGrid::ColWidth(int col) const
{
    return colWidths_.value(col, defaultColWidth_);
}

void StringGrid::SetDefaultColWidth(int pixels)
{
    defaultColWidth_ = pixels;
    horizontalHeader()->setDefaultSectionSize(pixels + kGridLine);
    ApplyColWidths();
}

void StringGrid::SetDefaultRowHeight(int pixels)
{
    defaultRowHeight_ = pixels;
    verticalHeader()->setDefaultSectionSize(pixels + kGridLine);
    ApplyRowHeights();
}

void StringGrid::SetGridWidth(int pixels)
{
    resize(pixels, height());
}

void StringGrid::ApplyColWidths()
{
    for (int c = 0; c < ColCount(); ++c)
        setColumnWidth(c, ColWidth(c) + kGridLine);
}

void StringGrid::ApplyRowHeights()
{
    for (int r = 0; r < RowCount(); ++r)
        setRowHeight(r, defaultRowHeight_ + kGridLine);
}

bool StringGrid::IsFixed(int col, int row) const
{
    return model_->IsFixed(col, row);
}

bool StringGrid::IsSelectable(int col, int row) const
{
    return col >= 0 && row >= 0 && col < ColCount() && row < RowCount() && !IsFixed(col, row);
}

void StringGrid::SyncCurrent()
{
    anchorCol_ = selCol_;
    anchorRow_ = selRow_;
    syncing_ = true;
    // A grid that shows no selection (the cover) keeps its current cell unhighlighted.
    const auto mark = selectionMode() == QAbstractItemView::NoSelection
                          ? QItemSelectionModel::Clear | QItemSelectionModel::Current
                          : QItemSelectionModel::ClearAndSelect;
    if (IsSelectable(selCol_, selRow_))
        selectionModel()->setCurrentIndex(model_->index(selRow_, selCol_), mark);
    else
        selectionModel()->clear();
    syncing_ = false;
}

void StringGrid::KeepSelectionValid()
{
    const int firstCol = FixedCols();
    const int firstRow = FixedRows();
    if (firstCol < ColCount())
        selCol_ = std::clamp(selCol_, firstCol, ColCount() - 1);
    if (firstRow < RowCount())
        selRow_ = std::clamp(selRow_, firstRow, RowCount() - 1);
    SyncCurrent();
}

void StringGrid::SelectCell(int col, int row)
{
    if (!IsSelectable(col, row) || (col == selCol_ && row == selRow_))
        return;
    selCol_ = col;
    selRow_ = row;
    SyncCurrent();
    scrollTo(model_->index(row, col));
    if (onClick)
        onClick();
}

bool StringGrid::MarksRanges() const
{
    return selectionMode() == QAbstractItemView::ContiguousSelection;
}

QRect StringGrid::SelectedRange() const
{
    return QRect(QPoint(std::min(anchorCol_, selCol_), std::min(anchorRow_, selRow_)),
                 QPoint(std::max(anchorCol_, selCol_), std::max(anchorRow_, selRow_)));
}

void StringGrid::MarkRange()
{
    if (!MarksRanges() || !IsSelectable(selCol_, selRow_) || !IsSelectable(anchorCol_, anchorRow_))
        return;
    const QRect range = SelectedRange();
    selectionModel()->select(
        QItemSelection(model_->index(range.top(), range.left()), model_->index(range.bottom(), range.right())),
        QItemSelectionModel::ClearAndSelect);
}

bool StringGrid::RunUser(const std::function<void()>& handler)
{
    if (userEntry)
        return userEntry(handler);
    handler();
    return true;
}

void StringGrid::KeyFromEditor(int key)
{
    if (onKey)
        onKey(key);
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (!RunUser([this, key] { KeyFromEditor(key); })) {
        event->accept();
        return;
    }
    // Shift with a movement key stretches the marked block from its anchor.
    static const QSet<int> kMoves = {Qt::Key_Up,   Qt::Key_Down, Qt::Key_Left,   Qt::Key_Right,
                                     Qt::Key_Home, Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
    extending_ = MarksRanges() && (event->modifiers() & Qt::ShiftModifier) && kMoves.contains(key);
    // A printable key opens the cell editor and is handed on to it; the key handler has
    // already seen it.
    forwardingKey_ = true;
    QTableView::keyPressEvent(event);
    forwardingKey_ = false;
    extending_ = false;
    MarkRange();
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    dragging_ = false;
    if (!index.isValid() || !IsSelectable(index.column(), index.row())) {
        event->accept();  // fixed cells and the empty area take no clicks
        return;
    }
    dragging_ = event->button() == Qt::LeftButton;
    inMouse_ = true;
    QTableView::mousePressEvent(event);
    inMouse_ = false;
    if (currentIndex() == index) {
        selCol_ = index.column();
        selRow_ = index.row();
        // Shift with a click stretches the block; a plain click starts a new one.
        if (!MarksRanges() || !(event->modifiers() & Qt::ShiftModifier)) {
            anchorCol_ = selCol_;
            anchorRow_ = selRow_;
        }
        MarkRange();
        RunUser([this] {
            if (onClick)
                onClick();
        });
    }
}

void StringGrid::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && !dragging_) {
        event->accept();  // a press the grid refused starts no drag
        return;
    }
    if (!dragging_ || !MarksRanges()) {
        QTableView::mouseMoveEvent(event);  // a drag moves the selected cell
        return;
    }
    // The block stretches from where the press was to the cell under the pointer; over the
    // fixed cells or beyond the grid's edge, to the nearest free cell, scrolling one row or
    // column further at a time.
    const QPoint at = event->position().toPoint();
    auto nearest = [](int index, int pos, int extent, int first, int last, const std::function<int(int)>& at) {
        if (index < 0) {
            if (pos < 0)
                index = at(0) - 1;
            else {
                const int lastShown = at(extent - 1);
                index = lastShown < 0 ? last : lastShown + 1;
            }
        }
        return std::clamp(index, first, last);
    };
    if (FixedCols() >= ColCount() || FixedRows() >= RowCount())
        return;
    const int col = nearest(columnAt(at.x()), at.x(), viewport()->width(), FixedCols(), ColCount() - 1,
                            [this](int x) { return columnAt(x); });
    const int row = nearest(rowAt(at.y()), at.y(), viewport()->height(), FixedRows(), RowCount() - 1,
                            [this](int y) { return rowAt(y); });
    const QModelIndex target = model_->index(row, col);
    if (target != currentIndex()) {
        extending_ = true;
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
        extending_ = false;
        scrollTo(target);
    }
    MarkRange();
    event->accept();
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (dragging_)
        MarkRange();
    dragging_ = false;
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (syncing_ || inMouse_ || !current.isValid() || !IsSelectable(current.column(), current.row()))
        return;
    if (current.column() == selCol_ && current.row() == selRow_)
        return;
    selCol_ = current.column();
    selRow_ = current.row();
    if (!extending_) {
        anchorCol_ = selCol_;
        anchorRow_ = selRow_;
    }
    RunUser([this] {
        if (onClick)
            onClick();
    });
}

}  // namespace moravel::window
