#pragma once
// Copy and paste in the rainfall table: Ctrl+C copies the marked cells as tab-separated
// text, Ctrl+V pastes a column of values (from a spreadsheet or a text editor) from the
// marked cell down.
#include <QString>
#include <QStringList>

class TFormatkaOkno;

namespace moravel::window {

class StringGrid;

// Catches the copy and paste keys of the rainfall table before the table sees them (an open
// cell editor keeps its own copy and paste).
void BindRainfallClipboard(TFormatkaOkno& window);

// The marked block of `grid`: its rows one a line, cells separated by tabs, each line ending
// in a newline.
QString CopiedCells(const StringGrid& grid);
// The values of a pasted column: the first field of every line (fields separated by tabs,
// lines by LF or CR LF), blanks around it dropped; a last empty line is no value.
QStringList PastedColumn(const QString& text);
// Pastes `text` into the rainfall table from the top of its marked block down. The hour count
// grows through its edit when the column runs past the last hour; a column past the table's
// capacity is refused with a message and changes nothing. The table's refresh runs once at
// the end, and treats every pasted value as it treats a typed one.
void PasteRainfall(TFormatkaOkno& window, const QString& text);

}  // namespace moravel::window
