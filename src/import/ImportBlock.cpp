#include "import/ImportBlock.h"

#include "text/Error.h"
#include "text/NumText.h"

#include <algorithm>
#include <iterator>

namespace moravel::import {
namespace {

// Polish plural of a count above one: 2-4 (not 12-14) take `few`, the rest `many`.
QString Counted(int n, const char* few, const char* many)
{
    const bool isFew = n % 10 >= 2 && n % 10 <= 4 && !(n % 100 >= 12 && n % 100 <= 14);
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(isFew ? few : many));
}

// "ma 1500 wierszy, a tabela opadu mieści najwyżej 1000 godzin"
QString TooManyRows(int rows)
{
    return QStringLiteral("ma %1, a tabela opadu mieści najwyżej %2 godzin")
        .arg(Counted(rows, "wiersze", "wierszy"))
        .arg(kMaxImportRows);
}

bool OnSheet(const Workbook& book, const CellBlock& b)
{
    return b.sheet >= 0 && static_cast<std::size_t>(b.sheet) < book.sheets.size() && b.top >= 0 && b.top <= b.bottom &&
           b.bottom < kMaxSheetRows && b.left >= 0 && b.left <= b.right && b.right < kMaxSheetCols;
}

}  // namespace

QString CellText(const Cell& cell, QChar decimalSeparator)
{
    switch (cell.type) {
        case CellType::Number:
            return text::FormatGeneral(cell.number, decimalSeparator);
        case CellType::Text:
            return cell.text;
        case CellType::Empty:
            break;
    }
    return QString();
}

QString BlockName(const Workbook& book, const CellBlock& block)
{
    QString name = book.sheets.at(static_cast<std::size_t>(block.sheet)).name + u'!' + CellName(block.top, block.left);
    if (block.Rows() > 1 || block.Cols() > 1)
        name += u':' + CellName(block.bottom, block.right);
    return name;
}

QStringList BlockTexts(const Workbook& book, const std::optional<CellBlock>& block, QChar decimalSeparator)
{
    if (!block)
        throw Error(QStringLiteral("Invalid variant operation"));
    if (!OnSheet(book, *block))
        throw Error(QStringLiteral("Zaznaczony zakres nie leży na arkuszu skoroszytu"));
    if (block->Rows() > kMaxImportRows)
        throw Error(QStringLiteral("Zaznaczony zakres ") + TooManyRows(block->Rows()));
    const Worksheet& sheet = book.sheets[static_cast<std::size_t>(block->sheet)];
    QStringList texts;
    texts.reserve(block->Rows());
    for (int row = block->top; row <= block->bottom; ++row)
        texts.push_back(CellText(sheet.At(row, block->left), decimalSeparator));
    return texts;
}

QStringList BlockWarnings(const Workbook& book, const CellBlock& block, const BlockUse& use)
{
    QStringList lines;
    if (!OnSheet(book, block))
        return lines;
    const Worksheet& sheet = book.sheets[static_cast<std::size_t>(block.sheet)];
    if (use.maxRows > 0 && block.Rows() > use.maxRows)
        lines << QStringLiteral("Uwaga: zakres ") + TooManyRows(block.Rows()) +
                     QStringLiteral("; taki zakres nie zostanie przyjęty.");
    if (block.Cols() > use.columns) {
        if (use.columns == 1)
            lines << QStringLiteral("Uwaga: zakres ma %1; przepisana zostanie tylko pierwsza kolumna (%2).")
                         .arg(Counted(block.Cols(), "kolumny", "kolumn"), ColumnName(block.left));
        else
            lines << QStringLiteral("Uwaga: zakres ma %1; odczytane zostaną tylko %2 pierwsze kolumny (%3–%4).")
                         .arg(Counted(block.Cols(), "kolumny", "kolumn"), QString::number(use.columns),
                              ColumnName(block.left), ColumnName(block.left + use.columns - 1));
    }

    // The first cell of each kind that is not a plain value, in the columns taken.
    const int lastRow = use.maxRows > 0 ? std::min(block.bottom, block.top + use.maxRows - 1) : block.bottom;
    const int lastCol = std::min(block.right, block.left + use.columns - 1);
    std::pair<int, int> first[kDoubtKinds];
    std::fill(std::begin(first), std::end(first), std::pair<int, int>(-1, -1));
    for (int row = block.top; row <= lastRow; ++row)
        for (int col = block.left; col <= lastCol; ++col) {
            const Doubt d = sheet.At(row, col).doubt;
            if (d != Doubt::None && first[static_cast<int>(d)].first < 0)
                first[static_cast<int>(d)] = {row, col};
        }
    // The cell's name, with its value or error name where that says what arrives.
    const auto example = [&](Doubt d, bool withValue) {
        const auto [row, col] = first[static_cast<int>(d)];
        QString text = CellName(row, col);
        if (withValue)
            text += QStringLiteral(": ") + sheet.At(row, col).text;
        return text;
    };
    const auto add = [&](Doubt d, bool withValue, const char* text) {
        if (first[static_cast<int>(d)].first >= 0)
            lines << QString::fromUtf8(text).arg(example(d, withValue));
    };
    add(Doubt::Formula, false, "Uwaga: zakres zawiera formuły (np. %1); zostaną wpisane ich wyniki zapisane w pliku.");
    add(Doubt::Boolean, false, "Uwaga: zakres zawiera wartości logiczne (np. %1); zostaną wpisane jako 1 lub 0.");
    add(Doubt::Error, true, "Uwaga: zakres zawiera komórki z błędem (np. %1); zostaną wpisane puste pola.");
    add(Doubt::Date, true,
        "Uwaga: zakres zawiera daty lub godziny (np. %1); zostaną wpisane jako tekst w tej postaci.");
    return lines;
}

}  // namespace moravel::import
