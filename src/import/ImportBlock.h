#pragma once
// The rainfall import on plain values: which block of a workbook the user marked, the texts
// it gives for the rainfall table, and what to warn about before taking it.
#include "import/Workbook.h"
#include "model/State.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace moravel::import {

// One rectangular block of cells of one worksheet; all indices 0-based and inclusive.
struct CellBlock {
    int sheet = 0;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;

    int Rows() const { return bottom - top + 1; }
    int Cols() const { return right - left + 1; }
    bool operator==(const CellBlock& o) const
    {
        return sheet == o.sheet && top == o.top && left == o.left && bottom == o.bottom && right == o.right;
    }
};

// The rainfall table holds this many hours at most: as many as the computation state.
constexpr int kMaxImportRows = model::kStateCapacity;

// A cell's value as the rainfall table takes it: a number in the general form (up to 15
// significant digits, the given decimal separator), a text unchanged, nothing as "".
QString CellText(const Cell& cell, QChar decimalSeparator);

// "Opad!C10:C33" ("Opad!C10" for one cell).
QString BlockName(const Workbook& book, const CellBlock& block);

// The texts of the marked block, one per row from top to bottom. A block wider than one
// column gives its first column. Throws moravel::Error:
//  - "Invalid variant operation" when nothing was marked (the picker was cancelled);
//  - a Polish refusal when the block has more rows than the rainfall table holds;
//  - a Polish refusal for a block that does not lie on a worksheet of the workbook.
// Nothing else is changed by any of these.
QStringList BlockTexts(const Workbook& book, const std::optional<CellBlock>& block, QChar decimalSeparator);

// How a marked block is used: how many of its columns are taken, from the left, and how many
// rows it may have at most (0: any number). The rainfall import takes the first column of at
// most as many rows as the rainfall table holds; a measured flood takes the first two (hour
// and discharge), of any length.
struct BlockUse {
    int columns = 1;
    int maxRows = kMaxImportRows;
};
inline constexpr BlockUse kRainfallBlock{1, kMaxImportRows};
inline constexpr BlockUse kMeasuredBlock{2, 0};

// What the picker shows under the grid for the marked block: one line per concern, empty
// when there is nothing to say. Only the cells that will be taken (the columns `use` takes)
// are looked at for values that are not plain numbers or texts in the file (formulas,
// booleans, errors, dates), each kind named with its first cell and what it arrives as.
QStringList BlockWarnings(const Workbook& book, const CellBlock& block, const BlockUse& use = kRainfallBlock);

}  // namespace moravel::import
