#include "window/JpegImage.h"

#include <QFile>
#include <QPainter>
#include <QSysInfo>
#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>
#include <sys/mman.h>

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

// A 32-bit image of `size` for a picture about to be written whole. A screen-sized picture
// has over a thousand memory pages; taken one fault at a time, as a fresh allocation takes
// them, they cost several times the decoding on machines where a fault is dear (measured on
// the development machine: 5 MB written in 23 ms page by page, in 2 ms as below). So a
// picture of a large page (2 MB) or more gets memory of its own, in the system's large pages
// where it offers them on request, mapped in one go.
QImage FreshImage(QSize size)
{
    constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
    if (size.isEmpty() || bytes < kLargePage)
        return QImage(size, QImage::Format_RGB32);
    // Room to start on a large page's boundary.
    const std::size_t mapped = bytes + kLargePage;
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return QImage(size, QImage::Format_RGB32);
    auto* start =
        reinterpret_cast<uchar*>((reinterpret_cast<std::uintptr_t>(raw) + kLargePage - 1) & ~(kLargePage - 1));
    madvise(raw, mapped, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    madvise(start, bytes, MADV_POPULATE_WRITE);  // older systems fault the pages in as written
#endif
    struct Mapping {
        void* raw;
        std::size_t bytes;
    };
    return QImage(
        start, size.width(), size.height(), bytesPerLine, QImage::Format_RGB32,
        [](void* info) {
            auto* mapping = static_cast<Mapping*>(info);
            munmap(mapping->raw, mapping->bytes);
            delete mapping;
        },
        new Mapping{raw, mapped});
}

// The size a picture should at least be decoded at, given its full size; an invalid size
// for the full size. It is asked once the header has been read.
using SizeWish = QSize (*)(QSize full, void* context);

// Sets the largest reduction libjpeg offers (1/8, 1/4, 1/2) that keeps the decoded picture
// at least `atLeast`; the full size when none does or there is no such wish. libjpeg's own
// output size is asked for each candidate, so its rounding is the one that counts.
void ChooseReduction(jpeg_decompress_struct* info, QSize atLeast)
{
    info->scale_num = 1;
    info->scale_denom = 1;
    if (!atLeast.isValid())
        return;
    for (unsigned denominator : {8u, 4u, 2u}) {
        info->scale_denom = denominator;
        jpeg_calc_output_dimensions(info);
        if (info->output_width >= JDIMENSION(atLeast.width()) && info->output_height >= JDIMENSION(atLeast.height()))
            return;
    }
    info->scale_denom = 1;
}

// Decodes `size` bytes at `data` into `*image` (32-bit, the screen's layout), shrunk by
// libjpeg as far as `wish` allows. No C++ object with a destructor lives across the setjmp:
// a jump out of libjpeg on a damaged file skips nothing but libjpeg's own state, which
// jpeg_destroy_decompress frees.
bool Decode(const unsigned char* data, unsigned long size, SizeWish wish, void* context, QImage* image)
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
    ChooseReduction(&info, wish(QSize(int(info.image_width), int(info.image_height)), context));
    jpeg_start_decompress(&info);
    if (info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    *image = FreshImage(QSize(int(info.output_width), int(info.output_height)));
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

QImage Decode(const QByteArray& bytes, SizeWish wish, void* context)
{
    QImage image;
    if (bytes.isEmpty() || !Decode(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                   static_cast<unsigned long>(bytes.size()), wish, context, &image))
        return {};
    return image;
}

// The JPEG file's bytes at `path`; empty when it cannot be read.
QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where a picture goes: a box and how the picture fills it; `shown`, the size it is shown
// at, follows from the picture's full size once that is known.
struct Placement {
    QSize box;
    Qt::AspectRatioMode mode;
    QSize shown;
};

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes, QSize atLeast)
{
    return Decode(
        bytes, [](QSize, void* context) { return *static_cast<const QSize*>(context); }, &atLeast);
}

QImage DecodeJpegScaled(const QByteArray& bytes, QSize box, Qt::AspectRatioMode mode)
{
    if (box.isEmpty())
        return {};
    // libjpeg shrinks the picture by 2, 4 or 8 as far as it still covers the size shown, at a
    // fraction of the cost of decoding it whole; one smooth scaling does the rest.
    Placement placement{box, mode, QSize()};
    const QImage decoded = Decode(
        bytes,
        [](QSize full, void* context) {
            auto* p = static_cast<Placement*>(context);
            p->shown = full.scaled(p->box, p->mode);
            return p->shown;
        },
        &placement);
    if (decoded.isNull() || placement.shown.isEmpty())
        return {};
    if (decoded.size() == placement.shown)
        return decoded;
    // Squeezed to less than half in one direction (a background on a very flat screen), the
    // picture needs averaging over more than two source pixels: the slower scaling does it.
    if (2 * placement.shown.width() < decoded.width() || 2 * placement.shown.height() < decoded.height())
        return decoded.scaled(placement.shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Otherwise a smooth drawing into memory of its own.
    QImage shown = FreshImage(placement.shown);
    if (shown.isNull())
        return {};
    QPainter painter(&shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(shown.rect(), decoded);
    return shown;
}

QImage LoadJpeg(const QString& path, QSize atLeast)
{
    return DecodeJpeg(FileBytes(path), atLeast);
}

QImage LoadJpegScaled(const QString& path, QSize box, Qt::AspectRatioMode mode)
{
    return DecodeJpegScaled(FileBytes(path), box, mode);
}

}  // namespace moravel::window
