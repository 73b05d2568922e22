#pragma once
// How a text that came from outside the program (a file's name, a cell, a field of a data
// file, a line of a list) stands inside a message: every control character is written out
// as an escape, so that a binary file named or read shows as readable text rather than a
// row of boxes, and a line break in a name does not break the message's lines; a long text
// keeps its beginning and its end with an ellipsis between.
#include <QString>

namespace moravel::text {

// The longest piece a message shows of one outside text, in characters.
inline constexpr int kShownPieceLength = 200;

// `text` with its control characters escaped: \0 for NUL, \t, \n, \r, and \xHH for the
// other C0 characters and DEL (0x7F); a backslash stays as it is. A result longer than
// `maxLength` keeps its first and last characters around "…". Use it wherever a message
// quotes a file's name or content.
QString Shown(const QString& text, int maxLength = kShownPieceLength);

// The whole text of a message as it is shown or printed: the message's own line breaks
// (LF) stay, every other control character is escaped as Shown does. The window's message
// boxes and moravel-run's messages pass through it, so a control character in a piece that
// was not given through Shown still never reaches the screen raw.
QString ShownMessage(const QString& message);

}  // namespace moravel::text
