#pragma once
// The zip container of .xlsx and .ods workbooks, looked at before any XML is parsed: which
// kind of workbook it holds, and whether what it would unpack to stays within reason (a
// small zip can unpack to gigabytes).
#include <QByteArray>

namespace moravel::import {

enum class ArchiveKind { None, Xlsx, Ods };

// The most a workbook's parts may unpack to, all together, and the most parts.
constexpr qint64 kMaxUnpackedBytes = 256LL * 1024 * 1024;
constexpr int kMaxArchiveEntries = 10000;

bool LooksLikeZip(const QByteArray& bytes);

// The kind of workbook in the zip, from the names in its central directory: .xlsx has
// "[Content_Types].xml" and "xl/workbook.xml", .ods "content.xml". Throws
// WorkbookRefused(true) when the declared unpacked sizes add up to more than
// kMaxUnpackedBytes or there are too many parts; None for a damaged or other zip.
ArchiveKind InspectArchive(const QByteArray& bytes);

// The archive with the changes liborcus 0.17 needs to read all of its cells; the bytes
// unchanged when none is needed. In .xlsx, relationship parts' absolute targets
// (Target="/xl/worksheets/...", as some writers save them) are made relative to the part's
// folder, the only form liborcus follows, and formula cells whose result is a boolean are
// marked as a number's, whose result liborcus hands on; error cells and inline texts become
// formula cells with a marked text result (kCellMark). In .ods, runs of spaces are written
// out and a cell's paragraphs joined into one, since liborcus drops the runs and all but the
// last paragraph; time cells become dates in the year 0; percentages and currency amounts
// plain numbers; error cells, booleans and formula cells with a text or boolean result
// marked text cells, and formula cells with a date or time result dates or times. Call after
// InspectArchive has checked the sizes. Throws WorkbookRefused for a damaged archive: a part
// that does not unpack as the zip's directory says (liborcus reads past its buffers on some).
QByteArray PreparedForLiborcus(const QByteArray& bytes, ArchiveKind kind);

// Cells liborcus 0.17 drops whatever their form (.xlsx error values and inline texts, .ods
// error values, booleans and formulas' texts) are handed to it by PreparedForLiborcus as
// texts it does pass on, marked: U+FDD0, a letter of MarkedKind, then the cell's text.
// U+FDD0 is a Unicode noncharacter, kept for a program's own use: no saved text holds it.
constexpr char16_t kCellMark = u'\uFDD0';
enum class MarkedKind : char {
    Error = 'E',         // an error value; the text is its name ("#DIV/0!", "#DZIEL/0!")
    Text = 'T',          // a plain text
    FormulaText = 'S',   // a formula's text result
    True = 'B',          // a plain boolean, true; the rest of the text is its display
    False = 'b',         // a plain boolean, false
    FormulaTrue = 'F',   // a formula's boolean result, true
    FormulaFalse = 'f',  // a formula's boolean result, false
};

}  // namespace moravel::import
