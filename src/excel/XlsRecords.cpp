#include "excel/XlsRecords.h"

#include <cstdint>
#include <cstring>

namespace moravel::excel {
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
constexpr std::uint32_t kDimension = 0x0200;
constexpr std::uint32_t kBoolErr = 0x0205;
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
        case 0x0204:  // LABEL
        case 0x0205:  // BOOLERR
        case 0x027E:  // RK
        case 0x00D6:  // RSTRING
        case 0x00FD:  // LABELSST
            return true;
        default:
            return IsFormula(id);
    }
}

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

// Reads one sheet's substream. freexl sizes a sheet's cells by its DIMENSION record: a
// second DIMENSION record among the cells makes it write past its cell array, and a cell
// outside the declared size makes it drop every sheet without a word. So a sheet is taken
// only with one DIMENSION record ahead of all its cells and every cell inside it.
bool ReadSheet(const Bytes& s, qsizetype offset, SheetRecords& sheet)
{
    bool haveSize = false;
    std::uint32_t rows = 0, cols = 0;
    return WalkSubstream(s, offset, [&](std::uint32_t id, qsizetype data, std::uint32_t len) {
        if (id == kDimension) {
            if (haveSize)
                return false;
            haveSize = true;
            if (len >= 14) {
                rows = s.U32(data + 4);
                cols = s.U16(data + 10);
            } else if (len >= 10) {
                rows = s.U16(data + 2);
                cols = s.U16(data + 6);
            } else {
                return false;
            }
            sheet.rows = rows;
            sheet.cols = cols;
            return rows <= static_cast<std::uint32_t>(kMaxSheetRows) &&
                   cols <= static_cast<std::uint32_t>(kMaxSheetCols);
        }
        const bool single = IsCell(id);
        const bool multiple = id == kMulRk || id == kMulBlank;
        if (!single && !multiple)
            return true;
        if (!haveSize || len < 6)
            return false;
        const std::uint32_t row = s.U16(data);
        const std::uint32_t col = s.U16(data + 2);
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
        if (IsFormula(id))
            sheet.cells.push_back({int(row), int(col), Doubt::Formula});
        else if (id == kBoolErr && len >= 8)
            sheet.cells.push_back({int(row), int(col), s.U8(data + 7) ? Doubt::Error : Doubt::Boolean});
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

    std::vector<std::pair<std::uint32_t, int>> sheets;  // substream offset, sheet type
    const bool globalsOk = WalkSubstream(s, 0, [&](std::uint32_t id, qsizetype data, std::uint32_t len) {
        if (id == kBoundSheet && len >= 6)
            sheets.emplace_back(s.U32(data), static_cast<int>(s.U8(data + 5)));
        return true;
    });
    if (!globalsOk)
        return std::nullopt;

    std::vector<SheetRecords> result;
    for (const auto& [offset, type] : sheets) {
        SheetRecords sheet;
        sheet.type = type;
        if (!ReadSheet(s, offset, sheet))
            return std::nullopt;
        result.push_back(std::move(sheet));
    }
    return result;
}

}  // namespace moravel::excel
