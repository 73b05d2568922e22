#include "excel/SpreadsheetArchive.h"

#include "excel/Workbook.h"

#include <cstring>
#include <minizip/unzip.h>

namespace moravel::excel {
namespace {

// minizip reads the archive from memory through these callbacks.
struct MemoryStream {
    const QByteArray* bytes = nullptr;
    ZPOS64_T pos = 0;
};

voidpf OpenStream(voidpf opaque, const void*, int)
{
    return opaque;
}

uLong ReadStream(voidpf, voidpf stream, void* buf, uLong size)
{
    auto* s = static_cast<MemoryStream*>(stream);
    const ZPOS64_T total = static_cast<ZPOS64_T>(s->bytes->size());
    if (s->pos >= total)
        return 0;
    const uLong n = static_cast<uLong>(std::min<ZPOS64_T>(size, total - s->pos));
    std::memcpy(buf, s->bytes->constData() + s->pos, n);
    s->pos += n;
    return n;
}

uLong WriteStream(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T TellStream(voidpf, voidpf stream)
{
    return static_cast<MemoryStream*>(stream)->pos;
}

long SeekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* s = static_cast<MemoryStream*>(stream);
    const ZPOS64_T total = static_cast<ZPOS64_T>(s->bytes->size());
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

}  // namespace

bool LooksLikeZip(const QByteArray& bytes)
{
    return bytes.startsWith("PK\x03\x04");
}

ArchiveKind InspectArchive(const QByteArray& bytes)
{
    MemoryStream stream{&bytes, 0};
    zlib_filefunc64_def io{};
    io.zopen64_file = OpenStream;
    io.zread_file = ReadStream;
    io.zwrite_file = WriteStream;
    io.ztell64_file = TellStream;
    io.zseek64_file = SeekStream;
    io.zclose_file = CloseStream;
    io.zerror_file = ErrorStream;
    io.opaque = &stream;
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

}  // namespace moravel::excel
