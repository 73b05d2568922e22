#pragma once
// Marking the block of cells that holds the rainfall series: the modal dialog that shows the
// workbook as a spreadsheet, and the picker that runs it.
#include "import/ExcelImport.h"
#include "import/ImportBlock.h"
#include "import/Workbook.h"

#include <QDialog>
#include <optional>
#include <vector>

class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace moravel::window {

// The real picker: a modal RangePickerDialog over `parent`, for the rainfall import or, with
// import::kMeasuredBlock, for a measured flood.
class DialogRangePicker : public import::RangePicker {
public:
    explicit DialogRangePicker(QWidget* parent, QChar decimalSeparator,
                               const import::BlockUse& use = import::kRainfallBlock);
    std::optional<import::CellBlock> Pick(const import::Workbook& book) override;

private:
    QWidget* parent_;
    QChar decimalSeparator_;
    import::BlockUse use_;
};

// One tab per worksheet, each a grid with column letters and row numbers in which the user
// marks one rectangular block (mouse drag, or shift with the arrow keys). Under the grid:
// the marked block's address and a warning line when the block holds cells whose values
// can't be read faithfully, is wider than one column or longer than the table allows.
class RangePickerDialog : public QDialog {
    Q_OBJECT
public:
    // The rainfall import's dialog; with another use its prompt and warnings speak of that use.
    RangePickerDialog(const import::Workbook& book, QChar decimalSeparator, QWidget* parent = nullptr,
                      const import::BlockUse& use = import::kRainfallBlock);

    // The block marked on the shown worksheet; nothing while no cell is marked.
    std::optional<import::CellBlock> Block() const;

    QTabWidget* Tabs() const { return tabs_; }
    QTableView* View(int sheet) const { return views_.at(static_cast<std::size_t>(sheet)); }
    QLabel* Prompt() const { return prompt_; }
    QLabel* Address() const { return address_; }
    QLabel* Warning() const { return warning_; }
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;

private:
    void Refresh();

    const import::Workbook& book_;
    import::BlockUse use_;
    QTabWidget* tabs_ = nullptr;
    std::vector<QTableView*> views_;
    QLabel* prompt_ = nullptr;
    QLabel* address_ = nullptr;
    QLabel* warning_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace moravel::window
