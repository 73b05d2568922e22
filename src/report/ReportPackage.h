#pragma once
// Finishing the report's .xlsx package after the workbook library has written it: parts of
// the zip are replaced or rewritten while every other entry is copied byte for byte.
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace moravel::report {

// "Nie można zapisać raportu w pliku <path>: <reason>" - the text of every write failure.
QString ReportWriteErrorText(const QString& path, const QString& reason);

// A part read piece by piece: each call gives the next piece, an empty one at the end.
using PartReader = std::function<QByteArray()>;
// A part written piece by piece.
using PartWriter = std::function<void(const QByteArray&)>;

// One part to change: `rewrite` gets the part's present content and returns the new one;
// when `stream` is set instead, it reads the present part and writes the new one piece by
// piece, so that a large part is never held whole.
struct PackageEdit {
    QString entry;  // e.g. "xl/charts/chart1.xml"
    std::function<QByteArray(const QByteArray&)> rewrite;
    std::function<void(const PartReader&, const PartWriter&)> stream;
};

// Copies the zip archive `source` into a new archive `target`, every entry unchanged except
// the edited ones. Throws moravel::Error naming `target` when an archive can't be read or
// written or an edited entry is missing.
void RewritePackage(const QString& source, const QString& target, const std::vector<PackageEdit>& edits);

// The exact value of a numeric cell (0-based row and column), or nothing to keep the cell.
using ExactCellValue = std::function<std::optional<double>(int row, int column)>;

// Rewrites a worksheet part so that each numeric cell known to `exact` holds the shortest
// text that reads back as exactly that double (the workbook library prints 16 digits, which
// doesn't always give back the same double). Everything else is copied as it is.
QByteArray WithExactNumbers(const QByteArray& sheetXml, const ExactCellValue& exact);
// The same, read and written piece by piece. Throws moravel::Error for a part that is no XML.
void WriteWithExactNumbers(const PartReader& sheetXml, const PartWriter& out, const ExactCellValue& exact);

}  // namespace moravel::report
