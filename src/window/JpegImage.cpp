#include "window/JpegImage.h"

#include <QFile>
#include <QSysInfo>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace moravel::window {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void OnMessage(j_common_ptr, int) {}

// The largest reduction libjpeg offers that keeps a width x height picture at least as
// large as `atLeast` (1 when there is no such wish).
unsigned ReductionFor(unsigned width, unsigned height, QSize atLeast)
{
    if (!atLeast.isValid())
        return 1;
    for (unsigned denominator : {8u, 4u, 2u}) {
        const unsigned w = (width + denominator - 1) / denominator;
        const unsigned h = (height + denominator - 1) / denominator;
        if (w >= unsigned(atLeast.width()) && h >= unsigned(atLeast.height()))
            return denominator;
    }
    return 1;
}

// The C part: no C++ object with a destructor lives across the setjmp.
bool Decode(const unsigned char* data, unsigned long size, QSize atLeast, QImage* image)
{
    jpeg_decompress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnError;
    errors.base.emit_message = OnMessage;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    // Straight into the 32-bit layout that the screen uses, so no conversion follows.
    info.out_color_space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    info.scale_num = 1;
    info.scale_denom = ReductionFor(info.image_width, info.image_height, atLeast);
    jpeg_start_decompress(&info);
    if (info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    *image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
    if (image->isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes, QSize atLeast)
{
    if (bytes.isEmpty())
        return {};
    QImage image;
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()),
                atLeast, &image))
        return {};
    return image;
}

QImage LoadJpeg(const QString& path, QSize atLeast)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return DecodeJpeg(file.readAll(), atLeast);
}

}  // namespace moravel::window
