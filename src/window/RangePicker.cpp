#include "window/RangePicker.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <QBrush>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace moravel::window {

using namespace moravel::import;

namespace {

// A worksheet as a read-only table: the used area plus a margin of empty cells, so that
// the grid reads as a spreadsheet and a block may reach past the last filled cell.
class WorksheetModel : public QAbstractTableModel {
public:
    WorksheetModel(const Worksheet& sheet, QChar decimalSeparator, QObject* parent)
        : QAbstractTableModel(parent), sheet_(sheet), separator_(decimalSeparator),
          rows_(std::min(kMaxSheetRows, std::max(100, sheet.rows + 50))),
          cols_(std::min(kMaxSheetCols, std::max(12, sheet.cols + 4)))
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : cols_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Cell& cell = sheet_.At(index.row(), index.column());
        switch (role) {
            case Qt::DisplayRole:
                if (cell.doubt == Doubt::Error)
                    return cell.text;  // shown, but arrives empty
                return CellText(cell, separator_);
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(Qt::AlignVCenter |
                                           (cell.type == CellType::Number ? Qt::AlignRight : Qt::AlignLeft));
            case Qt::BackgroundRole:
                if (cell.doubt != Doubt::None)
                    return QBrush(QColor(255, 236, 179));
                return {};
            case Qt::ForegroundRole:
                if (cell.doubt == Doubt::Error)
                    return QBrush(QColor(110, 110, 110));
                return {};
            case Qt::ToolTipRole:
                return DoubtText(cell.doubt);
            default:
                return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role == Qt::DisplayRole)
            return orientation == Qt::Horizontal ? ColumnName(section) : QString::number(section + 1);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignCenter);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    static QVariant DoubtText(Doubt d)
    {
        switch (d) {
            case Doubt::Formula:
                return QStringLiteral("Formuła: odczytany jej wynik zapisany w pliku");
            case Doubt::Boolean:
                return QStringLiteral("Wartość logiczna: odczytana jako 1 lub 0");
            case Doubt::Error:
                return QStringLiteral("Komórka z błędem: odczytana jako puste pole");
            case Doubt::Date:
                return QStringLiteral("Data lub godzina: odczytana jako tekst");
            case Doubt::None:
                break;
        }
        return {};
    }

    const Worksheet& sheet_;
    QChar separator_;
    int rows_;
    int cols_;
};

}  // namespace

DialogRangePicker::DialogRangePicker(QWidget* parent, QChar decimalSeparator, const import::BlockUse& use)
    : parent_(parent), decimalSeparator_(decimalSeparator), use_(use)
{
}

std::optional<CellBlock> DialogRangePicker::Pick(const Workbook& book)
{
    RangePickerDialog dialog(book, decimalSeparator_, parent_, use_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Block();
}

RangePickerDialog::RangePickerDialog(const Workbook& book, QChar decimalSeparator, QWidget* parent,
                                     const import::BlockUse& use)
    : QDialog(parent), book_(book), use_(use)
{
    const bool rainfall =
        use.columns == import::kRainfallBlock.columns && use.maxRows == import::kRainfallBlock.maxRows;
    setWindowTitle((rainfall ? QStringLiteral("Importuj z Excela - ") : QStringLiteral("Pomiar z pliku - ")) +
                   QFileInfo(book.path).fileName());
    setModal(true);

    prompt_ = new QLabel(rainfall ? QStringLiteral("Wskaż zakres z wartosciami opadu")
                                  : QStringLiteral("Wskaż zakres z pomiarem: godzina i przepływ albo sam przepływ "
                                                   "godzinowy od godziny 1"),
                         this);
    QFont bold = prompt_->font();
    bold.setBold(true);
    prompt_->setFont(bold);

    tabs_ = new QTabWidget(this);
    tabs_->setTabPosition(QTabWidget::South);  // sheet tabs under the grid, as in a spreadsheet
    for (const Worksheet& sheet : book.sheets) {
        auto* view = new QTableView(tabs_);
        view->setModel(new WorksheetModel(sheet, decimalSeparator, view));
        view->setSelectionMode(QAbstractItemView::ContiguousSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectItems);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->horizontalHeader()->setDefaultSectionSize(80);
        view->verticalHeader()->setDefaultSectionSize(22);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        // Filled columns as wide as their texts (1/3 shows all its digits), within reason.
        for (int col = 0; col < sheet.cols; ++col) {
            view->resizeColumnToContents(col);
            view->setColumnWidth(col, std::clamp(view->columnWidth(col), 80, 240));
        }
        view->setCurrentIndex(view->model()->index(0, 0));  // A1 marked, as a new sheet opens
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &RangePickerDialog::Refresh);
        views_.push_back(view);
        tabs_->addTab(view, sheet.name);
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &RangePickerDialog::Refresh);

    address_ = new QLabel(this);
    warning_ = new QLabel(this);
    warning_->setWordWrap(true);
    warning_->setStyleSheet(QStringLiteral("QLabel { color: #a40000; }"));

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    OkButton()->setText(QStringLiteral("OK"));
    CancelButton()->setText(QStringLiteral("Anuluj"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(tabs_, 1);
    layout->addWidget(address_);
    layout->addWidget(warning_);
    layout->addWidget(buttons_);
    resize(900, 640);
    Refresh();
}

QPushButton* RangePickerDialog::OkButton() const
{
    return buttons_->button(QDialogButtonBox::Ok);
}

QPushButton* RangePickerDialog::CancelButton() const
{
    return buttons_->button(QDialogButtonBox::Cancel);
}

std::optional<CellBlock> RangePickerDialog::Block() const
{
    const int sheet = tabs_->currentIndex();
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= views_.size())
        return std::nullopt;
    const QItemSelection selection = views_[static_cast<std::size_t>(sheet)]->selectionModel()->selection();
    if (selection.isEmpty())
        return std::nullopt;
    // Contiguous selection keeps one rectangle; its bounds are the block.
    CellBlock block{sheet, selection.front().top(), selection.front().left(), selection.front().bottom(),
                    selection.front().right()};
    for (const QItemSelectionRange& range : selection) {
        block.top = std::min(block.top, range.top());
        block.left = std::min(block.left, range.left());
        block.bottom = std::max(block.bottom, range.bottom());
        block.right = std::max(block.right, range.right());
    }
    return block;
}

void RangePickerDialog::Refresh()
{
    const std::optional<CellBlock> block = Block();
    OkButton()->setEnabled(block.has_value());
    if (!block) {
        address_->setText(QStringLiteral("Zakres: (nie zaznaczono)"));
        warning_->clear();
        warning_->hide();
        return;
    }
    address_->setText(QStringLiteral("Zakres: %1 (wierszy: %2, kolumn: %3)")
                          .arg(BlockName(book_, *block))
                          .arg(block->Rows())
                          .arg(block->Cols()));
    const QStringList warnings = BlockWarnings(book_, *block, use_);
    warning_->setText(warnings.join(u'\n'));
    warning_->setVisible(!warnings.isEmpty());
}

}  // namespace moravel::window
