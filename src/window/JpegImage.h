#pragma once
// JPEG pictures decoded with libjpeg directly, without Qt's image plugins.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace moravel::window {

// Decodes a JPEG file held in memory into a 32-bit image; a null image when the bytes are
// not a readable JPEG. With `atLeast` given, libjpeg shrinks the picture by 2, 4 or 8 while
// decoding, as far as it stays at least that large: a picture shown much smaller than it
// is then costs a fraction of the full decoding and scaling.
QImage DecodeJpeg(const QByteArray& bytes, QSize atLeast = QSize());
// Decodes the JPEG resource or file at `path` (":/tlo.jpg"); a null image when it fails.
QImage LoadJpeg(const QString& path, QSize atLeast = QSize());

}  // namespace moravel::window
