#include "window/StringGrid.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
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

// What a band shows of the grid's cells: the fixed rows only, the fixed columns only, or
// both (the corner), at the grid's own (column, row), with its texts, colours and flags.
// Rows and columns the band shows whole follow the grid's insertions and removals; a change
// in the count of fixed ones it shows resets it.
class StringGridBandModel : public QAbstractTableModel {
public:
    StringGridBandModel(StringGridModel* source, bool fixedRowsOnly, bool fixedColsOnly, QObject* parent)
        : QAbstractTableModel(parent), source_(source), fixedRowsOnly_(fixedRowsOnly), fixedColsOnly_(fixedColsOnly)
    {
        rows_ = RowsWanted();
        cols_ = ColsWanted();
        connect(source, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
                    if (topLeft.row() >= rows_ || topLeft.column() >= cols_)
                        return;
                    emit dataChanged(
                        index(topLeft.row(), topLeft.column()),
                        index(std::min(bottomRight.row(), rows_ - 1), std::min(bottomRight.column(), cols_ - 1)),
                        roles);
                });
        if (fixedRowsOnly_) {
            connect(source, &QAbstractItemModel::rowsInserted, this, &StringGridBandModel::Sync);
            connect(source, &QAbstractItemModel::rowsRemoved, this, &StringGridBandModel::Sync);
        } else {
            connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                    [this](const QModelIndex&, int first, int last) { beginInsertRows({}, first, last); });
            connect(source, &QAbstractItemModel::rowsInserted, this, [this] {
                rows_ = RowsWanted();
                endInsertRows();
            });
            connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                    [this](const QModelIndex&, int first, int last) { beginRemoveRows({}, first, last); });
            connect(source, &QAbstractItemModel::rowsRemoved, this, [this] {
                rows_ = RowsWanted();
                endRemoveRows();
            });
        }
        if (fixedColsOnly_) {
            connect(source, &QAbstractItemModel::columnsInserted, this, &StringGridBandModel::Sync);
            connect(source, &QAbstractItemModel::columnsRemoved, this, &StringGridBandModel::Sync);
        } else {
            connect(source, &QAbstractItemModel::columnsAboutToBeInserted, this,
                    [this](const QModelIndex&, int first, int last) { beginInsertColumns({}, first, last); });
            connect(source, &QAbstractItemModel::columnsInserted, this, [this] {
                cols_ = ColsWanted();
                endInsertColumns();
            });
            connect(source, &QAbstractItemModel::columnsAboutToBeRemoved, this,
                    [this](const QModelIndex&, int first, int last) { beginRemoveColumns({}, first, last); });
            connect(source, &QAbstractItemModel::columnsRemoved, this, [this] {
                cols_ = ColsWanted();
                endRemoveColumns();
            });
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : cols_; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        return source_->data(source_->index(index.row(), index.column()), role);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return source_->flags(source_->index(index.row(), index.column()));
    }

    // Takes the present count of fixed rows or columns.
    void Sync()
    {
        const int rows = RowsWanted();
        const int cols = ColsWanted();
        if (rows == rows_ && cols == cols_)
            return;
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        endResetModel();
    }

private:
    int RowsWanted() const { return fixedRowsOnly_ ? std::min(source_->fixedRows, source_->rows) : source_->rows; }
    int ColsWanted() const { return fixedColsOnly_ ? std::min(source_->fixedCols, source_->cols) : source_->cols; }

    StringGridModel* source_;
    bool fixedRowsOnly_;
    bool fixedColsOnly_;
    int rows_ = 0;
    int cols_ = 0;
};

// The fixed rows or columns drawn over the grid's scrolled cells: a view of the band's part
// of the grid with the grid's section sizes, so that the fixed cells look as they would in
// the grid itself. It never scrolls (its holder moves it with the grid) and takes no mouse,
// key or focus: those reach the grid beneath it.
class StringGridBand : public QTableView {
public:
    StringGridBand(StringGrid* grid, StringGridModel* source, bool fixedRowsOnly, bool fixedColsOnly, QWidget* holder)
        : QTableView(holder), grid_(grid), model_(new StringGridBandModel(source, fixedRowsOnly, fixedColsOnly, this))
    {
        setModel(model_);
        for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
            header->hide();
            header->setMinimumSectionSize(1);
            header->setSectionResizeMode(QHeaderView::Fixed);
        }
        horizontalHeader()->setDefaultSectionSize(grid->horizontalHeader()->defaultSectionSize());
        verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
        TakeSizes();
        // A reset gives every section the default size again (after the headers' own reset).
        connect(model_, &QAbstractItemModel::modelReset, this, &StringGridBand::TakeSizes);
        setCornerButtonEnabled(false);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setFocusPolicy(Qt::NoFocus);
        setAutoScroll(false);
        setWordWrap(grid->wordWrap());
        setTextElideMode(grid->textElideMode());
        setShowGrid(grid->showGrid());
        setGridStyle(grid->gridStyle());
        setAttribute(Qt::WA_TransparentForMouseEvents);
        viewport()->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void SyncFixedCounts() { model_->Sync(); }

private:
    void TakeSizes()
    {
        for (int c = 0; c < model_->columnCount(); ++c)
            setColumnWidth(c, grid_->columnWidth(c));
        for (int r = 0; r < model_->rowCount(); ++r)
            setRowHeight(r, grid_->rowHeight(r));
    }

    StringGrid* grid_;
    StringGridBandModel* model_;
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
    // The fixed bands keep the grid's section sizes.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        for (StringGridBand* band : bands_)
            if (band)
                band->setColumnWidth(col, size);
    });
    connect(verticalHeader(), &QHeaderView::sectionResized, this, [this](int row, int, int size) {
        for (StringGridBand* band : bands_)
            if (band)
                band->setRowHeight(row, size);
    });
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
    updateGeometries();  // Qt put the column offset back by its own rule
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
    for (StringGridBand* band : bands_)
        if (band)
            band->SyncFixedCounts();
    model_->Restyle();
    updateGeometries();
    ResetSelection();
}

void StringGrid::SetFixedRows(int count)
{
    model_->fixedRows = std::max(count, 0);
    for (StringGridBand* band : bands_)
        if (band)
            band->SyncFixedCounts();
    model_->Restyle();
    updateGeometries();
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
    if (col < ColCount() && columnWidth(col) != pixels + kGridLine) {
        setColumnWidth(col, pixels + kGridLine);
        updateGeometries();  // the fixed bands and the scroll range at once
    }
}

int StringGrid::ColWidth(int col) const
{
    return colWidths_.value(col, defaultColWidth_);
}

void StringGrid::SetDefaultColWidth(int pixels)
{
    defaultColWidth_ = pixels;
    // A band takes the new default first: setting a default resizes every section to it.
    for (StringGridBand* band : bands_)
        if (band)
            band->horizontalHeader()->setDefaultSectionSize(pixels + kGridLine);
    horizontalHeader()->setDefaultSectionSize(pixels + kGridLine);
    ApplyColWidths();
    updateGeometries();
}

void StringGrid::SetDefaultRowHeight(int pixels)
{
    defaultRowHeight_ = pixels;
    for (StringGridBand* band : bands_)
        if (band)
            band->verticalHeader()->setDefaultSectionSize(pixels + kGridLine);
    verticalHeader()->setDefaultSectionSize(pixels + kGridLine);
    ApplyRowHeights();
    updateGeometries();
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
    auto nearest = [this](Qt::Orientation orientation, int pos, int extent, int first, int last) {
        auto sectionAt = [this, orientation](int p) { return orientation == Qt::Vertical ? rowAt(p) : columnAt(p); };
        // The scrolled cells begin past the fixed ones.
        const int start = std::min(FixedExtent(orientation), extent);
        int index;
        if (pos < start) {
            index = sectionAt(start) - 1;
        } else {
            index = sectionAt(pos);
            if (index < 0) {
                const int lastShown = sectionAt(extent - 1);
                index = lastShown < 0 ? last : lastShown + 1;
            }
        }
        return std::clamp(index, first, last);
    };
    if (FixedCols() >= ColCount() || FixedRows() >= RowCount())
        return;
    const int col = nearest(Qt::Horizontal, at.x(), viewport()->width(), FixedCols(), ColCount() - 1);
    const int row = nearest(Qt::Vertical, at.y(), viewport()->height(), FixedRows(), RowCount() - 1);
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

// ---- Fixed rows and columns over the scrolled cells

QHeaderView* StringGrid::Header(Qt::Orientation orientation) const
{
    return orientation == Qt::Vertical ? verticalHeader() : horizontalHeader();
}

QScrollBar* StringGrid::Bar(Qt::Orientation orientation) const
{
    return orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
}

int StringGrid::FixedShown(Qt::Orientation orientation) const
{
    return orientation == Qt::Vertical ? std::min(FixedRows(), RowCount()) : std::min(FixedCols(), ColCount());
}

int StringGrid::FixedExtent(Qt::Orientation orientation) const
{
    const int fixed = FixedShown(orientation);
    if (fixed == 0)
        return 0;
    const QHeaderView* header = Header(orientation);
    return header->sectionPosition(fixed - 1) + header->sectionSize(fixed - 1);
}

int StringGrid::FixedSectionAt(Qt::Orientation orientation, int position) const
{
    const QHeaderView* header = Header(orientation);
    const int extent = orientation == Qt::Vertical ? viewport()->height() : viewport()->width();
    if (position < 0 || position >= extent)
        return -1;
    for (int s = 0; s < FixedShown(orientation); ++s)
        if (position < header->sectionPosition(s) + header->sectionSize(s))
            return s;
    return -1;
}

std::pair<int, int> StringGrid::ScrollRange(Qt::Orientation orientation, int extent) const
{
    const QHeaderView* header = Header(orientation);
    const int count = header->count();
    const int fixed = FixedShown(orientation);
    const int room = extent - FixedExtent(orientation);
    // The sections at the end that fit whole beside the fixed ones; at least one is shown.
    int whole = 0;
    for (int used = 0, s = count - 1; s >= fixed; --s) {
        used += header->sectionSize(s);
        if (used > room)
            break;
        ++whole;
    }
    whole = std::max(whole, 1);
    return {std::max(0, count - fixed - whole), whole};
}

int StringGrid::ScrolledOffset(Qt::Orientation orientation) const
{
    const QHeaderView* header = Header(orientation);
    const int fixed = FixedShown(orientation);
    if (fixed >= header->count())
        return 0;
    const int first = std::min(fixed + Bar(orientation)->value(), header->count() - 1);
    return header->sectionPosition(first) - FixedExtent(orientation);
}

void StringGrid::ApplyScroll()
{
    bool moved = false;
    for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        QHeaderView* header = Header(orientation);
        const int offset = ScrolledOffset(orientation);
        if (header->offset() != offset) {
            header->setOffset(offset);
            moved = true;
        }
    }
    if (moved) {
        viewport()->update();
        updateEditorGeometries();
    }
    LayOutBands();
}

void StringGrid::LayOutBands()
{
    if (model() != model_)
        return;  // still being built: Qt lays out as the model is set
    const QRect port = viewport()->geometry();
    const int fixedWidth = FixedExtent(Qt::Horizontal);
    const int fixedHeight = FixedExtent(Qt::Vertical);
    const int xOffset = horizontalHeader()->offset();
    const int yOffset = verticalHeader()->offset();
    // A band is as long as the grid's cells, or the viewport where they end before it.
    const int width = std::max(horizontalHeader()->length(), xOffset + port.width());
    const int height = std::max(verticalHeader()->length(), yOffset + port.height());
    const QSize shown(std::min(fixedWidth, port.width()), std::min(fixedHeight, port.height()));
    const struct {
        bool needed;
        QRect holder;  // in the grid
        QRect band;    // in the holder
    } places[kBandCount] = {
        {fixedHeight > 0, QRect(port.topLeft(), QSize(port.width(), shown.height())),
         QRect(-xOffset, 0, width, fixedHeight)},
        {fixedWidth > 0, QRect(port.topLeft(), QSize(shown.width(), port.height())),
         QRect(0, -yOffset, fixedWidth, height)},
        {fixedWidth > 0 && fixedHeight > 0, QRect(port.topLeft(), shown), QRect(0, 0, fixedWidth, fixedHeight)},
    };
    for (int kind = 0; kind < kBandCount; ++kind) {
        const auto& place = places[kind];
        if (!place.needed) {
            if (bandHolders_[kind])
                bandHolders_[kind]->hide();
            continue;
        }
        if (!bandHolders_[kind]) {
            bandHolders_[kind] = new QWidget(this);
            bandHolders_[kind]->setAttribute(Qt::WA_TransparentForMouseEvents);
            bands_[kind] = new StringGridBand(this, model_, kind != kLeftBand, kind != kTopBand, bandHolders_[kind]);
        }
        bandHolders_[kind]->setGeometry(place.holder);
        bands_[kind]->setGeometry(place.band);
        bandHolders_[kind]->show();
    }
    // The corner lies over both other bands.
    if (bandHolders_[kCornerBand])
        bandHolders_[kCornerBand]->raise();
}

void StringGrid::updateGeometries()
{
    const int values[] = {horizontalScrollBar()->value(), verticalScrollBar()->value()};
    QTableView::updateGeometries();
    // Qt's ranges count the fixed sections as scrollable; these count whole sections beside
    // them. The viewport is measured as Qt does: without the scroll bars when all fits.
    QSize room = viewport()->size();
    const QSize most = maximumViewportSize();
    if (most.width() >= horizontalHeader()->length() && most.height() >= verticalHeader()->length())
        room = most;
    const Qt::Orientation orientations[] = {Qt::Horizontal, Qt::Vertical};
    for (int i = 0; i < 2; ++i) {
        QScrollBar* bar = Bar(orientations[i]);
        const auto [maximum, page] =
            ScrollRange(orientations[i], orientations[i] == Qt::Vertical ? room.height() : room.width());
        bar->setRange(0, maximum);
        bar->setPageStep(page);
        bar->setValue(std::min(values[i], maximum));
    }
    ApplyScroll();
}

void StringGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    ApplyScroll();  // Qt ends the range with the last row at the bottom edge, a part row at the top
}

void StringGrid::ShowSection(Qt::Orientation orientation, int section, ScrollHint hint)
{
    const QHeaderView* header = Header(orientation);
    const int fixed = FixedShown(orientation);
    if (section < fixed || section >= header->count())
        return;
    const int room =
        (orientation == Qt::Vertical ? viewport()->height() : viewport()->width()) - FixedExtent(orientation);
    const int first = fixed + Bar(orientation)->value();
    const int end = header->sectionPosition(section) + header->sectionSize(section);
    // The first section to show so that `section` ends within `length` pixels of it, or
    // `section` itself when it is longer.
    auto firstEndingWithin = [&](int length) {
        int s = section;
        while (s > fixed && end - header->sectionPosition(s - 1) <= length)
            --s;
        return s;
    };
    int target = first;
    switch (hint) {
        case PositionAtTop:
            target = section;
            break;
        case PositionAtBottom:
            target = firstEndingWithin(room);
            break;
        case PositionAtCenter:
            target = firstEndingWithin((room + header->sectionSize(section)) / 2);
            break;
        case EnsureVisible:
            if (section < first)
                target = section;
            else if (end - header->sectionPosition(first) > room)
                target = firstEndingWithin(room);
            break;
    }
    Bar(orientation)->setValue(target - fixed);
}

void StringGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model_)
        return;
    executeDelayedItemsLayout();  // the range must cover rows that were just added
    ShowSection(Qt::Horizontal, index.column(), hint == PositionAtCenter ? hint : EnsureVisible);
    ShowSection(Qt::Vertical, index.row(), hint);
    update(index);
}

QModelIndex StringGrid::indexAt(const QPoint& point) const
{
    const QModelIndex scrolled = QTableView::indexAt(point);
    const int fixedRow = FixedSectionAt(Qt::Vertical, point.y());
    const int fixedCol = FixedSectionAt(Qt::Horizontal, point.x());
    if (fixedRow < 0 && fixedCol < 0)
        return scrolled;
    const int row = fixedRow >= 0 ? fixedRow : rowAt(point.y());
    const int col = fixedCol >= 0 ? fixedCol : columnAt(point.x());
    if (row < 0 || col < 0)
        return {};
    return model_->index(row, col);
}

QRect StringGrid::visualRect(const QModelIndex& index) const
{
    QRect rect = QTableView::visualRect(index);
    if (rect.isNull())
        return rect;
    if (index.row() < FixedShown(Qt::Vertical))
        rect.moveTop(verticalHeader()->sectionPosition(index.row()));
    if (index.column() < FixedShown(Qt::Horizontal))
        rect.moveLeft(horizontalHeader()->sectionPosition(index.column()));
    return rect;
}

}  // namespace moravel::window
