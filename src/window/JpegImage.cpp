#include "window/JpegImage.h"

#include <QFile>
#include <QPainter>
#include <QSysInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <sys/mman.h>
#include <unistd.h>

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

// Receives a picture being decoded: `AtLeast` once its full size is known (how far libjpeg
// may shrink it), `Start` once the decoded size is known (false: stop), then `Row` (where the
// row goes) and `RowDone` for each row in turn. It lives outside Decode, so a jump out of
// libjpeg on a damaged file skips none of its destructors.
class RowSink {
public:
    virtual ~RowSink() = default;
    // The size the decoded picture should at least have, given its full size; an invalid
    // size for the full size.
    virtual QSize AtLeast(unsigned width, unsigned height) = 0;
    virtual bool Start(unsigned width, unsigned height) = 0;
    virtual unsigned char* Row(unsigned row) = 0;  // where row `row` goes (4 bytes a pixel)
    virtual void RowDone(unsigned row) = 0;
};

// The C part: no C++ object with a destructor lives across the setjmp.
bool Decode(const unsigned char* data, unsigned long size, RowSink* sink)
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
    info.scale_denom =
        ReductionFor(info.image_width, info.image_height, sink->AtLeast(info.image_width, info.image_height));
    jpeg_start_decompress(&info);
    if (info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (!sink->Start(info.output_width, info.output_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        const unsigned row = info.output_scanline;
        JSAMPROW target = sink->Row(row);
        jpeg_read_scanlines(&info, &target, 1);
        sink->RowDone(row);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

// A 32-bit image of `size` whose memory the kernel maps in one go: every byte of it is
// written right away, and taking its pages one fault at a time costs as much again as the
// decoding (a screen-sized picture has over a thousand of them). The whole 2 MB stretches of
// a large picture ask for the system's large pages, where it offers them on request, which
// are mapped and cleared at a fraction of the cost; the rest is ordinary pages.
QImage PrefaultedImage(QSize size)
{
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const uintptr_t bytes = uintptr_t(bytesPerLine) * uintptr_t(size.height());
    const uintptr_t mapped = (bytes + page - 1) / page * page;
    const bool large = bytes >= kLargePage;
    // Room to start on a large page's boundary; what lies before and after is given back.
    const uintptr_t reserved = large ? mapped + kLargePage : mapped;
    void* raw = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return QImage(size, QImage::Format_RGB32);
    const auto rawStart = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t start = large ? (rawStart + kLargePage - 1) / kLargePage * kLargePage : rawStart;
    if (start > rawStart)
        munmap(raw, start - rawStart);
    if (rawStart + reserved > start + mapped)
        munmap(reinterpret_cast<void*>(start + mapped), rawStart + reserved - (start + mapped));
    void* memory = reinterpret_cast<void*>(start);
    if (large)
        madvise(memory, bytes / kLargePage * kLargePage, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    madvise(memory, mapped, MADV_POPULATE_WRITE);  // older systems fault the pages in as written
#endif
    struct Mapping {
        void* memory;
        size_t bytes;
    };
    auto* mapping = new Mapping{memory, size_t(mapped)};
    return QImage(
        static_cast<uchar*>(memory), size.width(), size.height(), bytesPerLine, QImage::Format_RGB32,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            munmap(m->memory, m->bytes);
            delete m;
        },
        mapping);
}

// The whole picture as decoded.
class WholeImage : public RowSink {
public:
    explicit WholeImage(QSize atLeast) : atLeast_(atLeast) {}

    QImage image;

    QSize AtLeast(unsigned, unsigned) override { return atLeast_; }
    bool Start(unsigned width, unsigned height) override
    {
        image = QImage(int(width), int(height), QImage::Format_RGB32);
        return !image.isNull();
    }
    unsigned char* Row(unsigned row) override { return image.scanLine(int(row)); }
    void RowDone(unsigned) override {}

private:
    QSize atLeast_;
};

// The picture drawn scaled into `image` a strip at a time. Each strip of target rows is
// drawn from the source rows its smooth (bilinear) filter reads, one more on either side,
// with a clip to the strip: the rows next to a strip's edge are filtered from their true
// neighbours, so the strips join without a seam.
class ScaledImage : public RowSink {
public:
    ScaledImage(QSize box, Qt::AspectRatioMode mode) : box_(box), mode_(mode) {}

    QImage image;

    QSize AtLeast(unsigned width, unsigned height) override
    {
        target_ = QSize(int(width), int(height)).scaled(box_, mode_);
        return target_;
    }

    bool Start(unsigned width, unsigned height) override
    {
        if (target_.isEmpty())
            return false;
        image = PrefaultedImage(target_);
        if (image.isNull())
            return false;
        width_ = int(width);
        height_ = int(height);
        scaleY_ = double(height_) / image.height();
        // A strip's rows, those its filter reads beyond them and the margins.
        buffer_ = QImage(width_, int(std::ceil(kStripRows * scaleY_)) + 2 * kMargin + 3, QImage::Format_RGB32);
        if (buffer_.isNull())
            return false;
        scratch_.resize(size_t(width_) * 4);
        painter_ = std::make_unique<QPainter>(&image);
        painter_->setRenderHint(QPainter::SmoothPixmapTransform);
        painter_->setCompositionMode(QPainter::CompositionMode_Source);
        NextStrip(0);
        return true;
    }

    unsigned char* Row(unsigned row) override
    {
        // Rows before the strip's first (read for the previous strip only) are not kept.
        const int slot = int(row) - first_;
        return slot >= 0 && slot < buffer_.height() ? buffer_.scanLine(slot) : scratch_.data();
    }

    void RowDone(unsigned row) override
    {
        while (targetTop_ < image.height() && int(row) == last_) {
            DrawStrip();
            NextStrip(targetBottom_);
        }
    }

private:
    static constexpr int kStripRows = 32;  // target rows drawn at a time
    static constexpr int kMargin = 1;      // source rows kept beyond what the filter reads

    // The source row whose centre lies under the centre of target row `t`.
    double SourceY(int t) const { return (t + 0.5) * scaleY_ - 0.5; }

    void NextStrip(int top)
    {
        targetTop_ = top;
        targetBottom_ = std::min(top + kStripRows, image.height());
        if (targetTop_ >= image.height())
            return;
        const int first = std::max(0, int(std::floor(SourceY(targetTop_))) - kMargin);
        const int last = std::min(height_ - 1, int(std::floor(SourceY(targetBottom_ - 1))) + 1 + kMargin);
        // Rows of the previous strip that this one reads too move to the buffer's start.
        if (first_ >= 0)
            for (int r = first; r <= std::min(last, last_); ++r)
                std::memmove(buffer_.scanLine(r - first), buffer_.scanLine(r - first_), size_t(width_) * 4);
        first_ = first;
        last_ = std::max(last, last_);  // a strip whose rows were all read already is drawn at once
        lastOfStrip_ = last;
    }

    void DrawStrip()
    {
        const int rows = lastOfStrip_ - first_ + 1;
        const QImage strip(buffer_.constBits(), width_, rows, int(buffer_.bytesPerLine()), QImage::Format_RGB32);
        painter_->resetTransform();  // the clip is in the target's pixels
        painter_->setClipRect(0, targetTop_, image.width(), targetBottom_ - targetTop_);
        painter_->scale(double(image.width()) / width_, 1.0 / scaleY_);
        painter_->drawImage(QPointF(0, first_), strip);
        if (targetBottom_ >= image.height())
            painter_.reset();  // the last strip: the picture is complete
    }

    QSize box_;
    Qt::AspectRatioMode mode_;
    QSize target_;
    int width_ = 0;
    int height_ = 0;
    double scaleY_ = 1;
    QImage buffer_;
    std::vector<unsigned char> scratch_;
    std::unique_ptr<QPainter> painter_;
    int targetTop_ = 0;
    int targetBottom_ = 0;
    int first_ = -1;  // the source row in the buffer's first line
    int last_ = -1;   // the last source row the present strip waits for
    int lastOfStrip_ = -1;
};

// The JPEG file's bytes at `path`; empty when it cannot be read.
QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Decode(const QByteArray& bytes, RowSink* sink)
{
    return Decode(reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()),
                  sink);
}

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes, QSize atLeast)
{
    WholeImage sink(atLeast);
    return !bytes.isEmpty() && Decode(bytes, &sink) ? sink.image : QImage();
}

QImage DecodeJpegScaled(const QByteArray& bytes, QSize box, Qt::AspectRatioMode mode)
{
    if (bytes.isEmpty() || box.isEmpty())
        return {};
    // libjpeg shrinks by 2, 4 or 8 as far as the picture still covers the size shown; the
    // smooth filter does the rest, from less than twice that size.
    ScaledImage sink(box, mode);
    return Decode(bytes, &sink) ? sink.image : QImage();
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
