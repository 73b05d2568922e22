#include "import/SpreadsheetArchive.h"

#include "import/Workbook.h"

#include <QString>
#include <cmath>
#include <cstring>
#include <optional>
#include <minizip/unzip.h>
#include <zlib.h>
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

// Whether the current part's local header, at the start of its data, carries the name of
// its entry in the central directory. minizip compares only the names' lengths; liborcus
// reads parts by their local headers.
bool LocalNameAgrees(unzFile zip, const QByteArray& archive, const QByteArray& name)
{
    const qint64 data = static_cast<qint64>(unzGetCurrentFileZStreamPos64(zip));
    const int extra = unzGetLocalExtrafield(zip, nullptr, 0);
    const qint64 header = data - extra - name.size() - 30;
    return extra >= 0 && header >= 0 && data <= archive.size() &&
           archive.mid(static_cast<qsizetype>(header), 4) == "PK\x03\x04" &&
           archive.mid(static_cast<qsizetype>(header) + 30, name.size()) == name;
}

// The current part of the archive, unpacked (at most `limit` bytes); nothing when damaged:
// a local header that disagrees with the central directory, data that does not unpack, or a
// wrong checksum; when `archive` is given, also a local name other than the directory's, or
// data shorter or longer than the directory says.
std::optional<QByteArray> ReadPart(unzFile zip, qint64 limit, const QByteArray* archive = nullptr,
                                   const QByteArray& name = {})
{
    if (unzOpenCurrentFile(zip) != UNZ_OK)
        return std::nullopt;
    if (archive && !LocalNameAgrees(zip, *archive, name)) {
        unzCloseCurrentFile(zip);
        return std::nullopt;
    }
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
    if (archive) {
        // minizip checks the checksum only of data as long as declared; a deflate stream that
        // ends early passes it by.
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            static_cast<ZPOS64_T>(data.size()) != info.uncompressed_size ||
            crc32(0, reinterpret_cast<const Bytef*>(data.constData()), static_cast<uInt>(data.size())) != info.crc)
            return std::nullopt;
    }
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

// The value of attribute `name` in the start tag `tag`: its [begin, end) in `tag`, or
// begin -1 when the tag has no such attribute.
std::pair<qsizetype, qsizetype> AttributeValue(const QByteArray& tag, const QByteArray& name)
{
    for (qsizetype at = tag.indexOf(name); at >= 0; at = tag.indexOf(name, at + 1)) {
        const bool starts =
            at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n' || tag[at - 1] == '\r');
        qsizetype i = at + name.size();
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r'))
            ++i;
        if (!starts || i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r'))
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            continue;
        const qsizetype end = tag.indexOf(tag[i], i + 1);
        if (end < 0)
            return {-1, -1};
        return {i + 1, end};
    }
    return {-1, -1};
}

// The tag with attribute `name` set to `value`: its value replaced, or the attribute added.
QByteArray WithAttribute(const QByteArray& tag, const QByteArray& name, const QByteArray& value)
{
    const auto [begin, end] = AttributeValue(tag, name);
    QByteArray out = tag;
    if (begin >= 0)
        return out.replace(begin, end - begin, value);
    const qsizetype close = out.endsWith('/') ? out.size() - 1 : out.size();
    return out.insert(close, ' ' + name + "=\"" + value + '"');
}

// The tag without attribute `name`.
QByteArray WithoutAttribute(const QByteArray& tag, const QByteArray& name)
{
    const auto [begin, end] = AttributeValue(tag, name);
    if (begin < 0)
        return tag;
    qsizetype from = tag.lastIndexOf(name, begin);
    while (from > 0 &&
           (tag[from - 1] == ' ' || tag[from - 1] == '\t' || tag[from - 1] == '\n' || tag[from - 1] == '\r'))
        --from;
    QByteArray out = tag;
    return out.remove(from, end + 1 - from);
}

QByteArray Mark(MarkedKind kind)
{
    return QString(QChar(kCellMark)).toUtf8() + static_cast<char>(kind);
}

// The contents of the elements <name>...</name> of `xml`, joined (their XML escapes kept).
QByteArray ElementTexts(const QByteArray& xml, const QByteArray& name)
{
    QByteArray out;
    const QByteArray open = '<' + name, close = "</" + name + '>';
    for (qsizetype at = xml.indexOf(open); at >= 0; at = xml.indexOf(open, at + 1)) {
        const qsizetype after = at + open.size();
        if (after >= xml.size() || (xml[after] != '>' && xml[after] != ' ' && xml[after] != '/'))
            continue;
        const qsizetype tagEnd = xml.indexOf('>', after);
        if (tagEnd < 0 || xml[tagEnd - 1] == '/')
            continue;  // none, or an empty element
        const qsizetype end = xml.indexOf(close, tagEnd);
        if (end < 0)
            break;
        out += xml.mid(tagEnd + 1, end - tagEnd - 1);
        at = end;
    }
    return out;
}

// An .xlsx inline text: the runs of its <is> element, without the phonetic runs (<rPh>)
// that only spell out how East Asian text is read.
QByteArray InlineText(const QByteArray& content)
{
    QByteArray is = ElementTexts(content, "is");
    for (qsizetype at = is.indexOf("<rPh"); at >= 0; at = is.indexOf("<rPh", at)) {
        const qsizetype end = is.indexOf("</rPh>", at);
        is.remove(at, end < 0 ? is.size() - at : end + 6 - at);
    }
    return ElementTexts(is, "t");
}

// One worksheet cell, rewritten so that liborcus 0.17 hands on its value: nothing when it
// reads the cell as it is. liborcus drops a formula's boolean result (t="b"), error values
// (t="e", with or without a formula), inline texts (t="inlineStr") and texts outside
// formulas (t="str" without <f>), while it hands on a formula's number and text results.
// A formula's boolean result is made a number's; the others become a formula's text result
// (t="str") holding the marked value (kCellMark), a formula of their own kept.
std::optional<QByteArray> XlsxCell(const QByteArray& tag, const QByteArray& content)
{
    const auto [begin, end] = AttributeValue(tag, "t");
    if (begin < 0)
        return std::nullopt;
    const QByteArray type = tag.mid(begin, end - begin);
    const qsizetype f = content.indexOf("<f");
    const bool formula =
        f >= 0 && f + 2 < content.size() && (content[f + 2] == '>' || content[f + 2] == ' ' || content[f + 2] == '/');
    if (type == "b") {
        if (!formula)
            return std::nullopt;
        return WithAttribute(tag, "t", "n") + '>' + content;
    }
    QByteArray value;
    MarkedKind kind;
    if (type == "e") {
        kind = MarkedKind::Error;
        value = ElementTexts(content, "v");
    } else if (type == "inlineStr") {
        kind = formula ? MarkedKind::FormulaText : MarkedKind::Text;
        value = InlineText(content);
    } else if (type == "str" && !formula) {
        kind = MarkedKind::Text;
        value = ElementTexts(content, "v");
    } else {
        return std::nullopt;
    }
    // Its own formula where it has one (liborcus reads a formula cell only with a formula's
    // text in it), else the formula "0", which nothing evaluates.
    QByteArray formulaXml = "<f>0</f>";
    if (formula) {
        const qsizetype fEnd = content.indexOf("</f>", f);
        const qsizetype fTagEnd = content.indexOf('>', f);
        if (fTagEnd >= 0 && content[fTagEnd - 1] != '/' && fEnd > fTagEnd + 1)
            formulaXml = content.mid(f, fEnd + 4 - f);
    }
    return WithAttribute(tag, "t", "str") + '>' + formulaXml + "<v>" + Mark(kind) + value + "</v>";
}

// A worksheet's cells as liborcus 0.17 reads all of them (XlsxCell).
QByteArray XlsxCells(const QByteArray& xml)
{
    QByteArray out;
    qsizetype from = 0;
    for (qsizetype at = xml.indexOf("<c", from); at >= 0; at = xml.indexOf("<c", at + 2)) {
        if (at + 2 >= xml.size() ||
            (xml[at + 2] != ' ' && xml[at + 2] != '\t' && xml[at + 2] != '\n' && xml[at + 2] != '\r'))
            continue;
        const qsizetype tagEnd = xml.indexOf('>', at);
        if (tagEnd < 0)
            break;
        if (xml[tagEnd - 1] == '/')
            continue;  // an empty cell
        const qsizetype cellEnd = xml.indexOf("</c>", tagEnd);
        if (cellEnd < 0)
            break;
        const std::optional<QByteArray> cell =
            XlsxCell(xml.mid(at, tagEnd - at), xml.mid(tagEnd + 1, cellEnd - tagEnd - 1));
        if (!cell)
            continue;
        out += xml.mid(from, at - from);
        out += *cell;
        from = cellEnd;
        at = cellEnd - 2;
    }
    if (from == 0)
        return xml;
    out += xml.mid(from);
    return out;
}

// The seconds of an .ods time value, an ISO 8601 duration such as "PT13H30M00S" or
// "P1DT02H00M00S"; nothing for a negative or malformed one.
std::optional<qint64> DurationSeconds(const QByteArray& text)
{
    if (!text.startsWith('P'))
        return std::nullopt;
    double seconds = 0;
    bool inTime = false, any = false;
    qsizetype i = 1;
    while (i < text.size()) {
        if (text[i] == 'T' && !inTime) {
            inTime = true;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < text.size() && ((text[j] >= '0' && text[j] <= '9') || text[j] == '.'))
            ++j;
        bool ok = false;
        const double n = text.mid(i, j - i).toDouble(&ok);
        if (!ok || j >= text.size() || n > 1e9)
            return std::nullopt;
        const char unit = text[j];
        if (!inTime && unit == 'D')
            seconds += n * 86400;
        else if (inTime && unit == 'H')
            seconds += n * 3600;
        else if (inTime && unit == 'M')
            seconds += n * 60;
        else if (inTime && unit == 'S')
            seconds += n;
        else
            return std::nullopt;
        any = true;
        i = j + 1;
    }
    if (!any)
        return std::nullopt;
    return static_cast<qint64>(std::llround(seconds));
}

// A time cell's start tag as a date cell's whose date is in the year 0, which no .ods date
// has (XML Schema dates have no year 0) and which the reader takes for a time: liborcus
// 0.17 drops time cells but hands dates on. Days beyond the first go into the day and the
// month (31 days a month), so that "36:00:00" is kept up to a year; the tag unchanged for a
// longer, negative or malformed time.
QByteArray TimeAsDate(const QByteArray& tag)
{
    const auto [typeBegin, typeEnd] = AttributeValue(tag, "office:value-type");
    if (typeBegin < 0 || tag.mid(typeBegin, typeEnd - typeBegin) != "time")
        return tag;
    static const QByteArray kTimeValue = "office:time-value";
    const auto [valueBegin, valueEnd] = AttributeValue(tag, kTimeValue);
    if (valueBegin < 0)
        return tag;
    const std::optional<qint64> seconds = DurationSeconds(tag.mid(valueBegin, valueEnd - valueBegin));
    if (!seconds || *seconds >= 12LL * 31 * 86400)
        return tag;
    const qint64 days = *seconds / 86400, rest = *seconds % 86400;
    const QByteArray date = QStringLiteral("0000-%1-%2T%3:%4:%5")
                                .arg(days / 31 + 1, 2, 10, QChar(u'0'))
                                .arg(days % 31 + 1, 2, 10, QChar(u'0'))
                                .arg(rest / 3600, 2, 10, QChar(u'0'))
                                .arg(rest / 60 % 60, 2, 10, QChar(u'0'))
                                .arg(rest % 60, 2, 10, QChar(u'0'))
                                .toLatin1();
    const qsizetype nameBegin = tag.lastIndexOf(kTimeValue, valueBegin);
    QByteArray out = tag;
    // The later attribute first, so that the earlier one's positions stay.
    if (nameBegin > typeBegin) {
        out.replace(nameBegin, valueEnd - nameBegin, "office:date-value=\"" + date);
        out.replace(typeBegin, typeEnd - typeBegin, "date");
    } else {
        out.replace(typeBegin, typeEnd - typeBegin, "date");
        out.replace(nameBegin, valueEnd - nameBegin, "office:date-value=\"" + date);
    }
    return out;
}

// A cell's start tag (without its '>') as liborcus 0.17 reads its value, and the mark its
// first paragraph is to begin with: none for a cell liborcus reads as it is. liborcus drops
// error values (calcext:value-type="error"), booleans, and the text and boolean results of
// formulas; these become text cells (their formulas taken away) whose text is marked with
// kCellMark and the cell's kind. An error value's text is the name the file shows for it.
// It drops percentages and currency amounts too, which become plain numbers (float), and a
// formula's date or time result, which becomes a date or time cell of its own. Time cells
// become dates (TimeAsDate).
std::pair<QByteArray, QByteArray> OdsCell(const QByteArray& tag)
{
    const auto attribute = [&tag](const char* name) {
        const auto [begin, end] = AttributeValue(tag, name);
        return begin < 0 ? QByteArray() : tag.mid(begin, end - begin);
    };
    const QByteArray type = attribute("office:value-type");
    const bool formula = AttributeValue(tag, "table:formula").first >= 0;
    MarkedKind kind;
    if (attribute("calcext:value-type") == "error") {
        kind = MarkedKind::Error;
    } else if (type == "boolean") {
        const QByteArray value = attribute("office:boolean-value");
        const bool yes = value == "true" || value == "1";
        kind = formula ? (yes ? MarkedKind::FormulaTrue : MarkedKind::FormulaFalse)
                       : (yes ? MarkedKind::True : MarkedKind::False);
    } else if (type == "string" && formula) {
        kind = MarkedKind::FormulaText;
    } else if (type == "percentage" || type == "currency") {
        return {WithAttribute(tag, "office:value-type", "float"), {}};
    } else if (formula && (type == "date" || type == "time")) {
        return {TimeAsDate(WithoutAttribute(tag, "table:formula")), {}};
    } else {
        return {TimeAsDate(tag), {}};
    }
    QByteArray out = WithoutAttribute(WithoutAttribute(tag, "table:formula"), "calcext:value-type");
    out = WithAttribute(WithoutAttribute(out, "office:boolean-value"), "office:value-type", "string");
    return {out, Mark(kind)};
}

// The .ods content as liborcus 0.17 reads all of it: each run of spaces kept as <text:s/>
// or <text:s text:c="N"/> written out as its spaces, a cell's paragraphs joined by line
// breaks into one, and the cells OdsCell rewrites, their mark put at the start of the cell's
// text (in a paragraph of its own for a cell without one). liborcus drops the runs, keeps
// only a cell's last paragraph, and drops those cells, while it keeps the spaces and line
// breaks of a paragraph's text. Comments (<office:annotation>) are left as they are. Throws
// WorkbookRefused(true) when the spaces would make the content larger than the archive may
// unpack to.
QByteArray OdsContent(const QByteArray& xml)
{
    const QByteArrayView view(xml);
    QByteArray out;
    qsizetype from = 0;
    QByteArray mark;  // of the cell being read, until its text begins
    const auto put = [&](qsizetype upTo, const QByteArray& text, qsizetype resume) {
        out += xml.mid(from, upTo - from);
        out += text;
        from = resume;
    };
    qsizetype at = xml.indexOf('<');
    while (at >= 0) {
        const QByteArrayView rest = view.sliced(at);
        qsizetype next = at + 1;
        if (rest.startsWith("<text:s/") || rest.startsWith("<text:s ")) {
            const qsizetype end = xml.indexOf("/>", at);
            if (end < 0)
                break;
            const QByteArray tag = xml.mid(at, end - at);
            const auto [begin, valueEnd] = AttributeValue(tag, "text:c");
            qint64 count = 1;
            if (begin >= 0) {
                bool ok = false;
                count = tag.mid(begin, valueEnd - begin).toLongLong(&ok);
                if (!ok || count < 1)
                    count = 1;
            }
            if (count > kMaxUnpackedBytes || out.size() + (at - from) + count > kMaxUnpackedBytes)
                throw WorkbookRefused(true);
            put(at, QByteArray(static_cast<qsizetype>(count), ' '), end + 2);
            next = from;
        } else if (rest.startsWith("</text:p><text:p>") || rest.startsWith("</text:p><text:p ")) {
            const qsizetype end = xml.indexOf('>', at + 16);
            if (end < 0)
                break;
            put(at, "&#10;", end + 1);
            next = from;
        } else if (rest.startsWith("<office:annotation")) {
            const qsizetype end = xml.indexOf("</office:annotation>", at);
            if (end < 0)
                break;
            next = end;
        } else if (!mark.isEmpty() &&
                   (rest.startsWith("<text:p>") || rest.startsWith("<text:p ") || rest.startsWith("<text:p/"))) {
            const qsizetype end = xml.indexOf('>', at);
            if (end < 0)
                break;
            if (xml[end - 1] == '/')
                put(at, "<text:p>" + mark + "</text:p>", end + 1);
            else
                put(end + 1, mark, end + 1);
            next = from;
            mark.clear();
        } else if (!mark.isEmpty() && rest.startsWith("</table:table-cell>")) {
            put(at, "<text:p>" + mark + "</text:p>", at);
            mark.clear();
        } else if (rest.startsWith("<table:table-cell ")) {
            const qsizetype end = xml.indexOf('>', at);
            if (end < 0)
                break;
            const QByteArray tag = xml.mid(at, end - at);
            const auto [changed, cellMark] = OdsCell(tag);
            if (!cellMark.isEmpty() && tag.endsWith('/')) {
                put(at, changed.chopped(1) + "><text:p>" + cellMark + "</text:p></table:table-cell>", end + 1);
            } else {
                if (changed != tag)
                    put(at, changed, end);
                mark = cellMark;
            }
            next = end;
        }
        at = xml.indexOf('<', next);
    }
    if (from == 0)
        return xml;
    out += xml.mid(from);
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

QByteArray PreparedForLiborcus(const QByteArray& bytes, ArchiveKind kind)
{
    if (kind == ArchiveKind::None)
        return bytes;
    const auto transform = [kind](const QByteArray& name, const QByteArray& data) {
        if (kind == ArchiveKind::Xlsx && name.endsWith(".rels"))
            return RelativeTargets(data, name);
        if (kind == ArchiveKind::Xlsx && name.startsWith("xl/worksheets/") && name.endsWith(".xml"))
            return XlsxCells(data);
        if (kind == ArchiveKind::Ods && name == "content.xml")
            return OdsContent(data);
        return data;
    };

    MemoryStream in{&bytes, 0, nullptr};
    zlib_filefunc64_def inIo = MemoryIo(in);
    unzFile zip = unzOpen2_64("workbook", &inIo);
    if (!zip)
        throw WorkbookRefused();
    // First only look, at every part: a damaged one refuses the archive, which liborcus would
    // read past its buffers on. Most archives need no change and stay as they are.
    bool changed = false, damaged = false;
    int status = UNZ_OK;
    for (status = unzGoToFirstFile(zip); status == UNZ_OK && !damaged; status = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info{};
        damaged = unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK;
        const QByteArray partName(damaged ? "" : name);
        const std::optional<QByteArray> data =
            damaged ? std::nullopt : ReadPart(zip, kMaxUnpackedBytes, &bytes, partName);
        damaged = !data;
        changed = changed || (data && transform(partName, *data) != *data);
    }
    if (damaged || status != UNZ_END_OF_LIST_OF_FILE) {
        unzClose(zip);
        throw WorkbookRefused();
    }
    if (!changed) {
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
        data = transform(QByteArray(name), *data);
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
