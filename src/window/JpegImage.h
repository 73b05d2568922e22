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

// The picture scaled into `box` (stretched to the box, or as large as fits in it keeping its
// proportions; the size QSize::scaled gives for the picture's full size): decoded by libjpeg
// shrunk as far as it still covers that size, then smoothly scaled once to it. A null image
// when the bytes are not a readable JPEG or the box is empty.
QImage DecodeJpegScaled(const QByteArray& bytes, QSize box, Qt::AspectRatioMode mode);
QImage LoadJpegScaled(const QString& path, QSize box, Qt::AspectRatioMode mode);

}  // namespace moravel::window
