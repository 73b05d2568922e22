#pragma once
// Windows-1250, the code page of the data files. Texts are QStrings inside the program and
// become Windows-1250 bytes only at the file boundary; the conversion is done by iconv.
#include <QByteArray>
#include <QString>

namespace moravel::files {

// One byte per character (the text is first composed, so "e" + combining acute is the one
// character "é"). A character that Windows-1250 cannot hold becomes '?'.
QByteArray ToCp1250(const QString& text);

// One character per byte. The five bytes that Windows-1250 leaves undefined (81 83 88 90 98)
// become the control characters U+0081 ... U+0098, which ToCp1250 turns back into the same
// bytes, so every byte string survives a read and a write unchanged.
QString FromCp1250(const char* bytes, qsizetype size);
inline QString FromCp1250(const QByteArray& bytes)
{
    return FromCp1250(bytes.constData(), bytes.size());
}

}  // namespace moravel::files
