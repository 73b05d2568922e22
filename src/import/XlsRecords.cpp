#include "import/XlsRecords.h"

#include "files/Cp1250.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace moravel::import {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFFu;

class Bytes {
public:
    explicit Bytes(const QByteArray& data) : data_(data) {}
    qsizetype Size() const { return data_.size(); }
    bool Has(qsizetype offset, qsizetype count) const
    {
        return offset >= 0 && count >= 0 && offset <= data_.size() && count <= data_.size() - offset;
    }
    std::uint32_t U8(qsizetype o) const { return static_cast<unsigned char>(data_[o]); }
    std::uint32_t U16(qsizetype o) const { return U8(o) | (U8(o + 1) << 8); }
    std::uint32_t U32(qsizetype o) const { return U16(o) | (U16(o + 2) << 16); }
    const char* At(qsizetype o) const { return data_.constData() + o; }

private:
    const QByteArray& data_;
};

// The compound-file ("structured storage") container of an .xls file.
class CompoundFile {
public:
    explicit CompoundFile(const QByteArray& data) : bytes_(data) {}

    bool Open()
    {
        static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (!bytes_.Has(0, 512) || std::memcmp(bytes_.At(0), kSignature, 8) != 0)
            return false;
        const std::uint32_t shift = bytes_.U16(0x1E);
        const std::uint32_t miniShift = bytes_.U16(0x20);
        if ((shift != 9 && shift != 12) || miniShift != 6)
            return false;
        sectorSize_ = 1u << shift;
        miniSectorSize_ = 1u << miniShift;
        miniCutoff_ = bytes_.U32(0x38);
        sectorCount_ = static_cast<std::uint32_t>(bytes_.Size() / sectorSize_);  // bounds every chain
        if (!ReadFat())
            return false;
        directory_ = ReadChain(bytes_.U32(0x30), fat_, false);
        if (directory_.isEmpty())
            return false;
        miniFat_ = ToEntries(ReadChain(bytes_.U32(0x3C), fat_, false));
        const Bytes dir(directory_);
        if (!dir.Has(0, 128) || dir.U8(0x42) != 5)  // the first entry is the root storage
            return false;
        // An entry's name is at most 32 UTF-16 units, terminator included. freexl trusts the
        // stored length and reads past its buffer when it is larger, so such a file goes no
        // further.
        for (qsizetype e = 0; dir.Has(e, 128); e += 128)
            if (dir.U16(e + 0x40) > 64)
                return false;
        miniStream_ = ReadChain(dir.U32(0x74), fat_, false);
        return true;
    }

    // The stream with one of the given names (compared case-insensitively); empty when none.
    QByteArray Stream(std::initializer_list<const char*> names) const
    {
        const Bytes dir(directory_);
        for (qsizetype e = 0; dir.Has(e, 128); e += 128) {
            if (dir.U8(e + 0x42) != 2)  // streams only
                continue;
            const int nameBytes = static_cast<int>(dir.U16(e + 0x40));
            if (nameBytes < 2 || nameBytes > 64)
                continue;
            const QString name = QString::fromUtf16(reinterpret_cast<const char16_t*>(dir.At(e)), nameBytes / 2 - 1);
            bool match = false;
            for (const char* wanted : names)
                match = match || name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0;
            if (!match)
                continue;
            const std::uint32_t start = dir.U32(e + 0x74);
            const std::uint32_t size = dir.U32(e + 0x78);  // streams of an .xls stay below 4 GiB
            QByteArray data = size < miniCutoff_ ? ReadChain(start, miniFat_, true) : ReadChain(start, fat_, false);
            if (static_cast<std::uint64_t>(data.size()) < size)
                return {};
            data.truncate(size);
            return data;
        }
        return {};
    }

private:
    static std::vector<std::uint32_t> ToEntries(const QByteArray& data)
    {
        const Bytes b(data);
        std::vector<std::uint32_t> entries;
        entries.reserve(static_cast<std::size_t>(data.size() / 4));
        for (qsizetype o = 0; b.Has(o, 4); o += 4)
            entries.push_back(b.U32(o));
        return entries;
    }

    qsizetype SectorOffset(std::uint32_t sector) const { return (static_cast<qsizetype>(sector) + 1) * sectorSize_; }

    bool ReadFat()
    {
        // The FAT's own sectors are listed in the header (109 entries) and then in a chain of
        // DIFAT sectors, each ending with the number of the next one.
        std::vector<std::uint32_t> fatSectors;
        for (int i = 0; i < 109; ++i)
            fatSectors.push_back(bytes_.U32(0x4C + 4 * i));
        std::uint32_t difat = bytes_.U32(0x44);
        const std::uint32_t perSector = sectorSize_ / 4;
        for (std::uint32_t guard = 0; difat < sectorCount_ && guard <= sectorCount_; ++guard) {
            const qsizetype o = SectorOffset(difat);
            if (!bytes_.Has(o, sectorSize_))
                return false;
            for (std::uint32_t i = 0; i + 1 < perSector; ++i)
                fatSectors.push_back(bytes_.U32(o + 4 * i));
            difat = bytes_.U32(o + 4 * (perSector - 1));
        }
        const std::uint32_t fatCount = bytes_.U32(0x2C);
        for (std::uint32_t i = 0; i < fatSectors.size() && i < fatCount; ++i) {
            const std::uint32_t s = fatSectors[i];
            if (s == kFreeSector)
                continue;
            const qsizetype o = SectorOffset(s);
            if (s >= sectorCount_ || !bytes_.Has(o, sectorSize_))
                return false;
            for (std::uint32_t k = 0; k < perSector; ++k)
                fat_.push_back(bytes_.U32(o + 4 * k));
        }
        return !fat_.empty();
    }

    // Follows a chain of sectors (or of mini sectors in the mini stream); a chain that
    // leaves the file or loops ends the data there.
    QByteArray ReadChain(std::uint32_t start, const std::vector<std::uint32_t>& table, bool mini) const
    {
        QByteArray out;
        const std::uint32_t unit = mini ? miniSectorSize_ : sectorSize_;
        std::uint32_t s = start;
        for (std::size_t steps = 0; s != kEndOfChain && s < table.size() && steps <= table.size(); ++steps) {
            if (mini) {
                const qsizetype o = static_cast<qsizetype>(s) * unit;
                if (o < 0 || o + unit > miniStream_.size())
                    break;
                out.append(miniStream_.constData() + o, unit);
            } else {
                const qsizetype o = SectorOffset(s);
                if (!bytes_.Has(o, unit))
                    break;
                out.append(bytes_.At(o), unit);
            }
            s = table[s];
        }
        return out;
    }

    Bytes bytes_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t sectorCount_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    QByteArray directory_;
    QByteArray miniStream_;
};

constexpr std::uint32_t kBof = 0x0809;
constexpr std::uint32_t kEof = 0x000A;
constexpr std::uint32_t kBoundSheet = 0x0085;
constexpr std::uint32_t kCodePage = 0x0042;
constexpr std::uint32_t kContinue = 0x003C;
constexpr std::uint32_t kDimension = 0x0200;
constexpr std::uint32_t kFont = 0x0031;
constexpr std::uint32_t kFormat = 0x041E;
constexpr std::uint32_t kSst = 0x00FC;
constexpr std::uint32_t kLabel = 0x0204;
constexpr std::uint32_t kLabelSst = 0x00FD;
constexpr std::uint32_t kRString = 0x00D6;
constexpr std::uint32_t kBoolErr = 0x0205;
constexpr std::uint32_t kFormulaString = 0x0207;
constexpr std::uint32_t kMulRk = 0x00BD;
constexpr std::uint32_t kMulBlank = 0x00BE;
bool IsFormula(std::uint32_t id)
{
    return id == 0x0006 || id == 0x0206 || id == 0x0406;
}
// Records of one cell that begin with its row and column.
bool IsCell(std::uint32_t id)
{
    switch (id) {
        case 0x0201:  // BLANK
        case 0x0203:  // NUMBER
        case kLabel:
        case kBoolErr:
        case 0x027E:  // RK
        case kRString:
        case kLabelSst:
            return true;
        default:
            return IsFormula(id);
    }
}

// What the workbook's globals tell the sheets' walk.
struct Globals {
    bool biff8 = true;
    bool cp1250 = false;         // BIFF5 texts in Windows-1250 (else Latin-1)
    std::uint32_t sstCount = 0;  // strings in the shared-string table
};

// Walks the records of one substream starting at `offset` until its EOF record; `visit`
// returns false to reject the substream.
template <typename Visit>
bool WalkSubstream(const Bytes& s, qsizetype offset, Visit visit)
{
    if (!s.Has(offset, 4) || s.U16(offset) != kBof)
        return false;
    qsizetype o = offset;
    while (s.Has(o, 4)) {
        const std::uint32_t id = s.U16(o);
        const std::uint32_t len = s.U16(o + 2);
        if (!s.Has(o + 4, len))
            return false;
        if (id == kEof)
            return true;
        if (!visit(id, o + 4, len))
            return false;
        o += 4 + len;
    }
    return false;
}

// A text of `count` characters at `at` whose width comes from the option byte (BIFF8: bit 0
// set means two bytes a character) or is one byte (BIFF5): does it fit before `end`?
bool TextFits(const Bytes& s, qsizetype at, qsizetype end, std::uint32_t count, bool wide)
{
    const qsizetype bytes = static_cast<qsizetype>(count) * (wide ? 2 : 1);
    return at <= end && bytes <= end - at && s.Has(at, bytes);
}

// A short text of a record: the character count (1 or 2 bytes) at `at`, in BIFF8 followed
// by the option byte; true when the characters lie inside the record.
bool RecordTextFits(const Bytes& s, const Globals& g, qsizetype at, qsizetype end, int countBytes)
{
    const qsizetype header = countBytes + (g.biff8 ? 1 : 0);
    if (at > end || header > end - at)
        return false;
    const std::uint32_t count = countBytes == 1 ? s.U8(at) : s.U16(at);
    const bool wide = g.biff8 && (s.U8(at + countBytes) & 1);
    return TextFits(s, at + header, end, count, wide);
}

// The shared-string table: the SST record and the CONTINUE records after it. Every string
// (count, options, rich-text runs, extension, characters) must lie inside them; characters
// that go on in the next record start there with a new option byte.
class SstCheck {
public:
    void Add(qsizetype data, std::uint32_t len) { parts_.emplace_back(data, len); }
    bool Empty() const { return parts_.empty(); }

    // The number of unique strings, when all of them are whole.
    std::optional<std::uint32_t> Check(const Bytes& s)
    {
        part_ = 0;
        at_ = 8;
        if (parts_.empty() || parts_[0].second < 8)
            return std::nullopt;
        const std::uint32_t unique = s.U32(parts_[0].first + 4);
        qsizetype total = 0;
        for (const auto& p : parts_)
            total += p.second;
        if (unique > total / 3)  // each string takes at least three bytes
            return std::nullopt;
        for (std::uint32_t i = 0; i < unique; ++i) {
            std::uint32_t chars = 0, options = 0, runs = 0, ext = 0;
            if (!Read(s, 2, chars) || !Read(s, 1, options))
                return std::nullopt;
            if ((options & 0x08) && !Read(s, 2, runs))
                return std::nullopt;
            if ((options & 0x04) && !Read(s, 4, ext))
                return std::nullopt;
            bool wide = options & 1;
            while (chars > 0) {
                if (at_ == parts_[part_].second) {  // the characters go on in the next record
                    if (!Next() || !Read(s, 1, options))
                        return std::nullopt;
                    wide = options & 1;
                }
                const std::uint32_t width = wide ? 2 : 1;
                const std::uint32_t room = static_cast<std::uint32_t>((parts_[part_].second - at_) / width);
                if (room == 0)
                    return std::nullopt;
                const std::uint32_t take = std::min(chars, room);
                at_ += static_cast<qsizetype>(take) * width;
                chars -= take;
            }
            if (!Skip(static_cast<qsizetype>(runs) * 4 + ext))
                return std::nullopt;
        }
        return unique;
    }

private:
    bool Next()
    {
        if (part_ + 1 >= parts_.size())
            return false;
        ++part_;
        at_ = 0;
        return true;
    }
    // Reads a little-endian number of `n` bytes, going on into the next record if need be.
    bool Read(const Bytes& s, int n, std::uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < n; ++i) {
            while (at_ == parts_[part_].second)
                if (!Next())
                    return false;
            value |= s.U8(parts_[part_].first + at_) << (8 * i);
            ++at_;
        }
        return true;
    }
    bool Skip(qsizetype n)
    {
        while (n > 0) {
            while (at_ == parts_[part_].second)
                if (!Next())
                    return false;
            const qsizetype take = std::min(n, parts_[part_].second - at_);
            at_ += take;
            n -= take;
        }
        return true;
    }

    std::vector<std::pair<qsizetype, qsizetype>> parts_;
    std::size_t part_ = 0;
    qsizetype at_ = 0;
};

// Walks the globals: the BIFF version, the code page, the sheets' offsets and types, and
// the checks of FORMAT, FONT, BOUNDSHEET and SST.
bool ReadGlobals(const Bytes& s, Globals& g, std::vector<std::pair<std::uint32_t, int>>& sheets)
{
    if (!s.Has(0, 6) || s.U16(0) != kBof)
        return false;
    const std::uint32_t version = s.U16(4);
    if (version != 0x0600 && version != 0x0500)
        return false;
    g.biff8 = version == 0x0600;
    SstCheck sst;
    std::uint32_t previous = 0;
    bool sstSeen = false;
    const bool walked = WalkSubstream(s, 0, [&](std::uint32_t id, qsizetype data, std::uint32_t len) {
        const qsizetype end = data + len;
        bool ok = true;
        switch (id) {
            case kBoundSheet:
                ok = len >= 6 && RecordTextFits(s, g, data + 6, end, 1);
                if (ok)
                    sheets.emplace_back(s.U32(data), static_cast<int>(s.U8(data + 5)));
                break;
            case kFormat:
                ok = RecordTextFits(s, g, data + 2, end, g.biff8 ? 2 : 1);
                break;
            case kFont:
                ok = RecordTextFits(s, g, data + 14, end, 1);
                break;
            case kCodePage:
                g.cp1250 = len >= 2 && s.U16(data) == 1250;
                break;
            case kSst:
                ok = g.biff8 && !sstSeen;
                sstSeen = true;
                sst.Add(data, len);
                break;
            case kContinue:
                if (previous == kSst)
                    sst.Add(data, len);
                break;
            default:
                break;
        }
        if (id != kContinue)
            previous = id;
        return ok;
    });
    if (!walked)
        return false;
    if (!sst.Empty()) {
        const std::optional<std::uint32_t> count = sst.Check(s);
        if (!count)
            return false;
        g.sstCount = *count;
    }
    return true;
}

// The text of a formula's STRING record: the characters the record holds (a longer text is
// cut there).
QString FormulaText(const Bytes& s, const Globals& g, qsizetype data, std::uint32_t len)
{
    const qsizetype end = data + len;
    if (len < 2)
        return {};
    const std::uint32_t count = s.U16(data);
    qsizetype at = data + 2;
    bool wide = false;
    if (g.biff8) {
        if (len < 3)
            return {};
        wide = s.U8(data + 2) & 1;
        at = data + 3;
    }
    const qsizetype available = (end - at) / (wide ? 2 : 1);
    const qsizetype n = std::min<qsizetype>(count, available);
    if (wide) {
        QString text;
        for (qsizetype i = 0; i < n; ++i)
            text += QChar(static_cast<char16_t>(s.U16(at + 2 * i)));
        return text;
    }
    if (g.cp1250 && !g.biff8)
        return files::FromCp1250(s.At(at), n);
    return QString::fromLatin1(s.At(at), n);
}

QString ErrorName(std::uint32_t code)
{
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        case 0x2A:
            return QStringLiteral("#N/A");
        default:
            return QStringLiteral("#ERR!");
    }
}

Cell ErrorCell(std::uint32_t code)
{
    Cell cell;
    cell.doubt = Doubt::Error;
    cell.text = ErrorName(code);
    return cell;
}

Cell BooleanCell(bool value)
{
    Cell cell;
    cell.type = CellType::Number;
    cell.number = value ? 1 : 0;
    cell.doubt = Doubt::Boolean;
    return cell;
}

// The result a FORMULA record caches: a number, or (marked by 0xFFFF in its last two bytes)
// a text in the following STRING record, a boolean, an error or an empty text.
Cell FormulaResult(const Bytes& s, qsizetype result, bool& textFollows)
{
    textFollows = false;
    Cell cell;
    cell.doubt = Doubt::Formula;
    if (s.U16(result + 6) != 0xFFFF) {
        double value = 0;
        const std::uint64_t bits = s.U32(result) | (static_cast<std::uint64_t>(s.U32(result + 4)) << 32);
        std::memcpy(&value, &bits, sizeof value);
        return NumberCell(value, Doubt::Formula);
    }
    switch (s.U8(result)) {
        case 0:
            textFollows = true;
            break;
        case 1:
            cell = BooleanCell(s.U8(result + 2) != 0);
            break;
        case 2:
            cell = ErrorCell(s.U8(result + 2));
            break;
        default:  // an empty text
            break;
    }
    return cell;
}

// Reads one sheet's substream. freexl sizes a sheet's cells by its DIMENSION record: a
// second DIMENSION record among the cells makes it write past its cell array, and a cell
// outside the declared size makes it drop every sheet without a word. So a sheet is taken
// only with one DIMENSION record ahead of all its cells and every cell inside it. Texts of
// LABEL records must lie inside the record, and shared-string indices inside the table.
bool ReadSheet(const Bytes& s, const Globals& g, qsizetype offset, SheetRecords& sheet)
{
    bool haveSize = false;
    std::uint32_t rows = 0, cols = 0;
    std::optional<std::size_t> pendingText;  // the formula whose text result comes next
    return WalkSubstream(s, offset, [&](std::uint32_t id, qsizetype data, std::uint32_t len) {
        if (id == kDimension) {
            if (haveSize)
                return false;
            haveSize = true;
            if (g.biff8 && len >= 14) {
                rows = s.U32(data + 4);
                cols = s.U16(data + 10);
            } else if (!g.biff8 && len >= 10) {
                rows = s.U16(data + 2);
                cols = s.U16(data + 6);
            } else {
                return false;
            }
            sheet.rows = rows;
            sheet.cols = cols;
            return rows <= static_cast<std::uint32_t>(kMaxBiffRows) && cols <= static_cast<std::uint32_t>(kMaxBiffCols);
        }
        if (id == kFormulaString) {
            if (pendingText)
                sheet.cells[*pendingText].cell = Cell{CellType::Text, 0, FormulaText(s, g, data, len), Doubt::Formula};
            pendingText.reset();
            return true;
        }
        const bool single = IsCell(id);
        const bool multiple = id == kMulRk || id == kMulBlank;
        if (!single && !multiple)
            return true;
        pendingText.reset();
        if (!haveSize || len < 6)
            return false;
        const std::uint32_t row = s.U16(data);
        const std::uint32_t col = s.U16(data + 2);
        const qsizetype end = data + len;
        std::uint32_t lastCol = col;
        if (multiple) {
            const std::uint32_t each = id == kMulRk ? 6 : 2;
            const std::uint32_t count = (len - 6) / each;
            lastCol = col + count - 1;
            if (count == 0 || (len - 6) % each != 0 || s.U16(data + len - 2) != lastCol)
                return false;
        }
        if (row >= rows || lastCol >= cols)
            return false;
        if ((id == kLabel || id == kRString) && !RecordTextFits(s, g, data + 6, end, 2))
            return false;
        if (id == kLabelSst && (len < 10 || s.U32(data + 6) >= g.sstCount))
            return false;
        if (IsFormula(id)) {
            if (len < 20)
                return false;
            bool textFollows = false;
            sheet.cells.push_back({int(row), int(col), FormulaResult(s, data + 6, textFollows)});
            if (textFollows)
                pendingText = sheet.cells.size() - 1;
        } else if (id == kBoolErr) {
            if (len < 8)
                return false;
            const std::uint32_t value = s.U8(data + 6);
            sheet.cells.push_back({int(row), int(col), s.U8(data + 7) ? ErrorCell(value) : BooleanCell(value != 0)});
        }
        return true;
    });
}

}  // namespace

std::optional<std::vector<SheetRecords>> ScanSheetRecords(const QByteArray& file)
{
    CompoundFile cf(file);
    if (!cf.Open())
        return std::nullopt;
    const QByteArray stream = cf.Stream({"Workbook", "Book"});
    const Bytes s(stream);

    Globals globals;
    std::vector<std::pair<std::uint32_t, int>> sheets;  // substream offset, sheet type
    if (!ReadGlobals(s, globals, sheets))
        return std::nullopt;

    std::vector<SheetRecords> result;
    for (const auto& [offset, type] : sheets) {
        SheetRecords sheet;
        sheet.type = type;
        if (!ReadSheet(s, globals, offset, sheet))
            return std::nullopt;
        result.push_back(std::move(sheet));
    }
    return result;
}

}  // namespace moravel::import
