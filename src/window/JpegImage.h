#pragma once
// JPEG pictures decoded with libjpeg directly, without Qt's image plugins.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace moravel::window {

// Decodes a JPEG file held in memory; a null image when the bytes are not a readable JPEG.
QImage DecodeJpeg(const QByteArray& bytes);
// Decodes the JPEG resource or file at `path` (":/tlo.jpg"); a null image when it fails.
QImage LoadJpeg(const QString& path);

}  // namespace moravel::window
