#pragma once
// A grid of texts addressed (column, row) from 0, fixed rows and columns included.
// Texts are stored independently of the row and column count: lowering a count hides cells,
// raising it shows their old texts again. Setting a cell from code runs no handler.
#include <QTableView>
#include <functional>

namespace moravel::window {

class StringGridModel;

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
