#pragma once
// Small helpers for writing expected bytes in tests.
#include <QByteArray>
#include <QString>

namespace moravel::files::testing {

// "01 33 00" -> the three bytes.
inline QByteArray Hex(const char* spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

// The short-text field (length byte + `width` bytes) with `hexText` as its characters and
// zeros after them.
inline QByteArray Field(const char* hexText, int width)
{
    QByteArray text = Hex(hexText);
    QByteArray f(width + 1, '\0');
    f[0] = static_cast<char>(text.size());
    f.replace(1, text.size(), text);
    return f;
}

}  // namespace moravel::files::testing
