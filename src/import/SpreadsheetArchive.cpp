#include "import/SpreadsheetArchive.h"

#include "import/Workbook.h"

#include <cstring>
#include <optional>
#include <minizip/unzip.h>
#include <minizip/zip.h>

namespace moravel::import {
namespace {

// minizip reads (and writes) an archive in memory through these callbacks.
struct MemoryStream {
    const QByteArray* bytes = nullptr;
    ZPOS64_T pos = 0;
    QByteArray* out = nullptr;  // the archive being written, or null

    ZPOS64_T Size() const { return static_cast<ZPOS64_T>(out ? out->size() : bytes->size()); }
};

voidpf OpenStream(voidpf opaque, const void*, int)
{
    return opaque;
}

uLong ReadStream(voidpf, voidpf stream, void* buf, uLong size)
{
    auto* s = static_cast<MemoryStream*>(stream);
    if (!s->bytes)
        return 0;
    const ZPOS64_T total = s->Size();
    if (s->pos >= total)
        return 0;
    const uLong n = static_cast<uLong>(std::min<ZPOS64_T>(size, total - s->pos));
    std::memcpy(buf, s->bytes->constData() + s->pos, n);
    s->pos += n;
    return n;
}

uLong WriteStream(voidpf, voidpf stream, const void* buf, uLong size)
{
    auto* s = static_cast<MemoryStream*>(stream);
    if (!s->out)
        return 0;
    const qsizetype end = static_cast<qsizetype>(s->pos + size);
    if (end > s->out->size())
        s->out->resize(end);
    std::memcpy(s->out->data() + s->pos, buf, size);
    s->pos += size;
    return size;
}

ZPOS64_T TellStream(voidpf, voidpf stream)
{
    return static_cast<MemoryStream*>(stream)->pos;
}

long SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* s = static_cast<MemoryStream*>(stream);
    const ZPOS64_T total = s->Size();
    ZPOS64_T base = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET:
            base = 0;
            break;
        case ZLIB_FILEFUNC_SEEK_CUR:
            base = s->pos;
            break;
        case ZLIB_FILEFUNC_SEEK_END:
            base = total;
            break;
        default:
            return -1;
    }
    if (offset > total || base > total - offset)
        return -1;
    s->pos = base + offset;
    return 0;
}

int CloseStream(voidpf, voidpf)
{
    return 0;
}

int ErrorStream(voidpf, voidpf)
{
    return 0;
}

zlib_filefunc64_def MemoryIo(MemoryStream& stream)
{
    zlib_filefunc64_def io{};
    io.zopen64_file = OpenStream;
    io.zread_file = ReadStream;
    io.zwrite_file = WriteStream;
    io.ztell64_file = TellStream;
    io.zseek64_file = SeekStream;
    io.zclose_file = CloseStream;
    io.zerror_file = ErrorStream;
    io.opaque = &stream;
    return io;
}

// The current part of the archive, unpacked (at most `limit` bytes); nothing when damaged.
std::optional<QByteArray> ReadPart(unzFile zip, qint64 limit)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return std::nullopt;
    QByteArray data;
    char buffer[65536];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) {
        data.append(buffer, n);
        if (data.size() > limit) {
            unzCloseCurrentFile(zip);
            throw WorkbookRefused(true);
        }
    }
    if (unzCloseCurrentFile(zip) != UNZ_OK || n < 0)
        return std::nullopt;
    return data;
}

// Target="/xl/worksheets/sheet1.xml" in "xl/_rels/workbook.xml.rels" becomes
// Target="worksheets/sheet1.xml": the path relative to the folder the part belongs to.
QByteArray RelativeTargets(const QByteArray& rels, const QByteArray& partName)
{
    QByteArray folder = partName.left(partName.lastIndexOf("_rels/"));  // "xl/" or ""
    QByteArray out;
    qsizetype from = 0;
    static const QByteArray kAbsolute = "Target=\"/";
    for (qsizetype at = rels.indexOf(kAbsolute); at >= 0; at = rels.indexOf(kAbsolute, from)) {
        out += rels.mid(from, at - from) + "Target=\"";
        from = at + kAbsolute.size();
        const qsizetype end = rels.indexOf('"', from);
        QByteArray target = rels.mid(from, end < 0 ? -1 : end - from);
        if (target.startsWith(folder)) {
            target.remove(0, folder.size());
        } else {
            for (qsizetype i = 0; i < folder.count('/'); ++i)
                target.prepend("../");
        }
        out += target;
        from = end < 0 ? rels.size() : end;
    }
    out += rels.mid(from);
    return out;
}

}  // namespace

bool LooksLikeZip(const QByteArray& bytes)
{
    return bytes.startsWith("PK\x03\x04");
}

ArchiveKind InspectArchive(const QByteArray& bytes)
{
    MemoryStream stream{&bytes, 0, nullptr};
    zlib_filefunc64_def io = MemoryIo(stream);
    unzFile zip = unzOpen2_64("workbook", &io);
    if (!zip)
        return ArchiveKind::None;
    bool contentTypes = false, xlsxWorkbook = false, odsContent = false, damaged = false;
    qint64 unpacked = 0;
    int entries = 0;
    int status = unzGoToFirstFile(zip);
    for (; status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[512];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
            damaged = true;
            break;
        }
        if (++entries > kMaxArchiveEntries || info.uncompressed_size > static_cast<ZPOS64_T>(kMaxUnpackedBytes)) {
            unzClose(zip);
            throw WorkbookRefused(true);
        }
        unpacked += static_cast<qint64>(info.uncompressed_size);
        if (unpacked > kMaxUnpackedBytes) {
            unzClose(zip);
            throw WorkbookRefused(true);
        }
        const QByteArray entry(name);
        contentTypes = contentTypes || entry == "[Content_Types].xml";
        xlsxWorkbook = xlsxWorkbook || entry == "xl/workbook.xml";
        odsContent = odsContent || entry == "content.xml";
    }
    unzClose(zip);
    if (damaged || status != UNZ_END_OF_LIST_OF_FILE)
        return ArchiveKind::None;
    if (contentTypes && xlsxWorkbook)
        return ArchiveKind::Xlsx;
    if (odsContent)
        return ArchiveKind::Ods;
    return ArchiveKind::None;
}

QByteArray WithRelativeTargets(const QByteArray& bytes)
{
    MemoryStream in{&bytes, 0, nullptr};
    zlib_filefunc64_def inIo = MemoryIo(in);
    unzFile zip = unzOpen2_64("workbook", &inIo);
    if (!zip)
        throw WorkbookRefused();
    // First only look: most archives have relative targets and stay as they are.
    bool absolute = false;
    int status = UNZ_OK;
    for (status = unzGoToFirstFile(zip); status == UNZ_OK && !absolute; status = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        if (QByteArray(name).endsWith(".rels")) {
            const std::optional<QByteArray> rels = ReadPart(zip, kMaxUnpackedBytes);
            absolute = rels && rels->contains("Target=\"/");
        }
    }
    if (!absolute) {
        unzClose(zip);
        return bytes;
    }

    QByteArray rewritten;
    MemoryStream out{nullptr, 0, &rewritten};
    zlib_filefunc64_def outIo = MemoryIo(out);
    zipFile writer = zipOpen2_64("workbook", APPEND_STATUS_CREATE, nullptr, &outIo);
    bool ok = writer != nullptr;
    qint64 unpacked = 0;
    for (status = unzGoToFirstFile(zip); ok && status == UNZ_OK; status = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info{};
        ok = unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK;
        std::optional<QByteArray> data;
        if (ok)
            data = ReadPart(zip, kMaxUnpackedBytes - unpacked);
        ok = ok && data.has_value();
        if (!ok)
            break;
        unpacked += data->size();
        if (QByteArray(name).endsWith(".rels"))
            data = RelativeTargets(*data, name);
        zip_fileinfo fileInfo{};
        ok = zipOpenNewFileInZip64(writer, name, &fileInfo, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 0) ==
                 ZIP_OK &&
             zipWriteInFileInZip(writer, data->constData(), static_cast<unsigned>(data->size())) == ZIP_OK &&
             zipCloseFileInZip(writer) == ZIP_OK;
    }
    unzClose(zip);
    if (writer && zipClose(writer, nullptr) != ZIP_OK)
        ok = false;
    if (!ok || status != UNZ_END_OF_LIST_OF_FILE)
        throw WorkbookRefused();
    return rewritten;
}

}  // namespace moravel::import
