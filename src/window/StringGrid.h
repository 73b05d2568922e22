#pragma once
// A grid of texts addressed (column, row) from 0, fixed rows and columns included.
// Texts are stored independently of the row and column count: lowering a count hides cells,
// raising it shows their old texts again. Setting a cell from code runs no handler.
#include <QTableView>
#include <functional>

class StringGridModel;

class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);  // runs no handler

    int ColCount() const;
    void SetColCount(int count);
    int RowCount() const;
    void SetRowCount(int count);
    int FixedCols() const;
    void SetFixedCols(int count);  // fixed cells: button-face colour, not editable, never selected
    int FixedRows() const;
    void SetFixedRows(int count);
    void SetColWidth(int col, int pixels);
    void SetDefaultColWidth(int pixels);
    void SetDefaultRowHeight(int pixels);
    void SetGridWidth(int pixels);  // the grid's own width in pixels
    int GridWidth() const;

    int SelectedCol() const;
    int SelectedRow() const;
    // Makes (col, row) the selected cell; runs the click handler when the selection moved.
    void SelectCell(int col, int row);

    // Runs whenever a non-fixed cell becomes the selected cell: mouse, arrow keys, Tab,
    // or SelectCell.
    std::function<void()> onClick;
    // Runs on every key pressed in the grid or in its cell editor, before the key takes
    // effect (Enter and Tab included); receives the Qt key code.
    std::function<void(int key)> onKey;
};
