#pragma once
// A grid of texts addressed (column, row) from 0, fixed rows and columns included.
// Texts are stored independently of the row and column count: lowering a count hides cells,
// raising it shows their old texts again. Setting a cell from code runs no handler.
// The fixed rows stay at the top and the fixed columns at the left while the other cells
// scroll beneath them, by whole rows and columns: the first row or column shown after the
// fixed ones is always whole, the last one too once scrolled to the end.
#include <QTableView>
#include <functional>
#include <utility>

namespace moravel::window {

class StringGridModel;
class StringGridBand;

class StringGrid : public QTableView {
    Q_OBJECT
    // Settable from the window's design description.
    Q_PROPERTY(int colCount READ ColCount WRITE SetColCount)
    Q_PROPERTY(int rowCount READ RowCount WRITE SetRowCount)
    Q_PROPERTY(int fixedCols READ FixedCols WRITE SetFixedCols)
    Q_PROPERTY(int fixedRows READ FixedRows WRITE SetFixedRows)
    Q_PROPERTY(int defaultColWidth READ DefaultColWidth WRITE SetDefaultColWidth)
    Q_PROPERTY(int defaultRowHeight READ DefaultRowHeight WRITE SetDefaultRowHeight)
public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);  // runs no handler

    int ColCount() const;
    void SetColCount(int count);
    int RowCount() const;
    void SetRowCount(int count);
    int FixedCols() const;
    // Fixed cells: button-face colour, not editable, never selected. Changing a fixed count
    // puts the selection on the first non-fixed cell, without running a handler.
    void SetFixedCols(int count);
    int FixedRows() const;
    void SetFixedRows(int count);
    void SetColWidth(int col, int pixels);
    int ColWidth(int col) const;
    void SetDefaultColWidth(int pixels);
    int DefaultColWidth() const;
    void SetDefaultRowHeight(int pixels);
    int DefaultRowHeight() const;
    void SetGridWidth(int pixels);  // the grid's own width in pixels
    int GridWidth() const;

    int SelectedCol() const;
    int SelectedRow() const;
    // Makes (col, row) the selected cell; runs the click handler when the selection moved.
    // The range shrinks to that cell.
    void SelectCell(int col, int row);
    // The marked block of cells: x and left() are columns, y and top() rows, right() and
    // bottom() the last column and row (inclusive). A grid in ContiguousSelection mode marks a
    // block from where the marking began (anchor) to the selected cell, by a mouse drag or by
    // Shift with the arrow, Home, End and page keys; otherwise, and whenever the selected cell
    // moves without Shift, the block is the selected cell alone.
    QRect SelectedRange() const;

    // Where the cells are on the viewport: fixed cells where they are drawn, over the
    // scrolled ones.
    QModelIndex indexAt(const QPoint& point) const override;
    QRect visualRect(const QModelIndex& index) const override;
    // Scrolls so that the cell shows whole beside the fixed rows and columns; a fixed cell is
    // always shown.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // Runs whenever a non-fixed cell becomes the selected cell: mouse, arrow keys, Tab,
    // or SelectCell.
    std::function<void()> onClick;
    // Runs on every key pressed in the grid or in its cell editor, before the key takes
    // effect (Enter and Tab included); receives the Qt key code.
    std::function<void(int key)> onKey;
    // Wraps the handlers that a user's mouse or key event starts (the window's error
    // boundary) and tells whether the handler ended without an error; handlers started by
    // SelectCell run unwrapped, inside their caller's chain.
    std::function<bool(const std::function<void()>&)> userEntry;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

private:
    friend class StringGridDelegate;
    bool IsFixed(int col, int row) const;
    bool IsSelectable(int col, int row) const;
    bool RunUser(const std::function<void()>& handler);
    void KeyFromEditor(int key);
    void ApplyColWidths();
    void ApplyRowHeights();
    // Puts Qt's current index on the selected cell without running any handler.
    void SyncCurrent();
    // Moves the selection onto a selectable cell when counts or fixed counts changed.
    void KeepSelectionValid();
    void ResetSelection();
    bool MarksRanges() const;
    // Marks the block from the anchor to the selected cell, replacing whatever Qt selected.
    void MarkRange();

    // Scrolling past the fixed rows (Qt::Vertical) or columns (Qt::Horizontal). A scroll bar's
    // value counts the whole sections scrolled past the fixed ones.
    QHeaderView* Header(Qt::Orientation orientation) const;
    QScrollBar* Bar(Qt::Orientation orientation) const;
    int FixedShown(Qt::Orientation orientation) const;   // fixed sections that exist
    int FixedExtent(Qt::Orientation orientation) const;  // their pixels
    // The fixed section drawn at a viewport position, or -1.
    int FixedSectionAt(Qt::Orientation orientation, int position) const;
    // The scroll bar's largest value and its page for a viewport of `extent` pixels: the last
    // section shows whole at the largest value.
    std::pair<int, int> ScrollRange(Qt::Orientation orientation, int extent) const;
    // The header offset that draws the section the scroll bar's value past the fixed ones
    // right after them.
    int ScrolledOffset(Qt::Orientation orientation) const;
    void ShowSection(Qt::Orientation orientation, int section, ScrollHint hint);
    // Puts the header offsets where the scroll bars say, then the fixed bands over them.
    void ApplyScroll();
    void LayOutBands();

    // The views of the fixed cells drawn over the scrolled ones, each in a holder that clips
    // it to its place: the fixed rows, the fixed columns and their corner. Made when needed.
    enum { kTopBand, kLeftBand, kCornerBand, kBandCount };
    QWidget* bandHolders_[kBandCount] = {};
    StringGridBand* bands_[kBandCount] = {};

    StringGridModel* model_;
    QHash<int, int> colWidths_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int selCol_ = 0;
    int selRow_ = 0;
    int anchorCol_ = 0;  // where the marked block began
    int anchorRow_ = 0;
    bool extending_ = false;      // the event being handled extends the block (Shift, drag)
    bool dragging_ = false;       // the left button went down on a selectable cell
    bool syncing_ = false;        // Qt's current index is being moved by the grid itself
    bool inMouse_ = false;        // a mouse press is being handled
    bool forwardingKey_ = false;  // the grid hands a key to a fresh cell editor
};

}  // namespace moravel::window
