#include "import/Workbook.h"

#include <cmath>
#include <cstring>

namespace moravel::import {
namespace {

std::uint64_t Key(int row, int col)
{
    return (static_cast<std::uint64_t>(row) << 16) | static_cast<std::uint64_t>(col);
}

// The answer: "MRVW", a version, the sheet count, then per sheet its name, size and cells
// (row, column, type, doubt, number, text), and "END!". Integers are little-endian, texts a
// byte count and UTF-8.
constexpr char kMagic[4] = {'M', 'R', 'V', 'W'};
constexpr char kEnd[4] = {'E', 'N', 'D', '!'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kMaxTextBytes = 4 * 32767;  // a spreadsheet cell holds 32767 characters

class Writer {
public:
    void Raw(const char* data, qsizetype n) { out_.append(data, n); }
    void U8(std::uint8_t v) { out_.append(static_cast<char>(v)); }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            U8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void F64(double v)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        U32(static_cast<std::uint32_t>(bits));
        U32(static_cast<std::uint32_t>(bits >> 32));
    }
    void Text(const QString& text)
    {
        QByteArray utf8 = text.toUtf8();
        if (utf8.size() > static_cast<qsizetype>(kMaxTextBytes))
            utf8.truncate(kMaxTextBytes);
        U32(static_cast<std::uint32_t>(utf8.size()));
        out_.append(utf8);
    }
    QByteArray Take() { return std::move(out_); }

private:
    QByteArray out_;
};

// Reads the answer; any read past its end sets `failed` and yields zeros.
class Reader {
public:
    explicit Reader(const QByteArray& in) : in_(in) {}
    bool Failed() const { return failed_; }
    bool AtEnd() const { return pos_ == in_.size(); }
    bool Raw(const char* expected, qsizetype n)
    {
        if (!Has(n) || std::memcmp(in_.constData() + pos_, expected, static_cast<std::size_t>(n)) != 0)
            return Fail();
        pos_ += n;
        return true;
    }
    std::uint8_t U8()
    {
        if (!Has(1)) {
            Fail();
            return 0;
        }
        return static_cast<std::uint8_t>(in_[pos_++]);
    }
    std::uint32_t U32()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(U8()) << (8 * i);
        return v;
    }
    double F64()
    {
        const std::uint64_t low = U32();
        const std::uint64_t bits = low | (static_cast<std::uint64_t>(U32()) << 32);
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    QString Text()
    {
        const std::uint32_t n = U32();
        if (n > kMaxTextBytes || !Has(n)) {
            Fail();
            return {};
        }
        const QString text = QString::fromUtf8(in_.constData() + pos_, static_cast<qsizetype>(n));
        pos_ += n;
        return text;
    }

private:
    bool Has(qsizetype n) const { return !failed_ && n >= 0 && n <= in_.size() - pos_; }
    bool Fail()
    {
        failed_ = true;
        return false;
    }
    const QByteArray& in_;
    qsizetype pos_ = 0;
    bool failed_ = false;
};

bool ValidCell(const Cell& cell)
{
    switch (cell.type) {
        case CellType::Number:
            return std::isfinite(cell.number) && cell.text.isEmpty() && cell.doubt != Doubt::Error;
        case CellType::Text:
            return cell.doubt != Doubt::Error && cell.doubt != Doubt::Boolean;
        case CellType::Empty:
            return cell.text.isEmpty() || cell.doubt == Doubt::Error;
    }
    return false;
}

}  // namespace

Cell NumberCell(double value, Doubt doubt)
{
    if (!std::isfinite(value))
        return Cell{CellType::Empty, 0, QStringLiteral("#NUM!"), Doubt::Error};
    return Cell{CellType::Number, value, {}, doubt};
}

const Cell& Worksheet::At(int row, int col) const
{
    static const Cell kEmpty;
    const auto it = cells.constFind(Key(row, col));
    return it == cells.constEnd() ? kEmpty : *it;
}

void Worksheet::Set(int row, int col, Cell cell)
{
    cells.insert(Key(row, col), std::move(cell));
}

QByteArray EncodeWorkbook(const Workbook& book)
{
    Writer w;
    w.Raw(kMagic, 4);
    w.U32(kVersion);
    w.U32(static_cast<std::uint32_t>(book.sheets.size()));
    for (const Worksheet& sheet : book.sheets) {
        w.Text(sheet.name);
        w.U32(static_cast<std::uint32_t>(sheet.rows));
        w.U32(static_cast<std::uint32_t>(sheet.cols));
        w.U32(static_cast<std::uint32_t>(sheet.cells.size()));
        for (auto it = sheet.cells.constBegin(); it != sheet.cells.constEnd(); ++it) {
            w.U32(static_cast<std::uint32_t>(it.key() >> 16));
            w.U32(static_cast<std::uint32_t>(it.key() & 0xFFFF));
            w.U8(static_cast<std::uint8_t>(it->type));
            w.U8(static_cast<std::uint8_t>(it->doubt));
            w.F64(it->number);
            w.Text(it->text);
        }
    }
    w.Raw(kEnd, 4);
    return w.Take();
}

std::optional<Workbook> DecodeWorkbook(const QByteArray& bytes)
{
    Reader r(bytes);
    if (!r.Raw(kMagic, 4) || r.U32() != kVersion)
        return std::nullopt;
    const std::uint32_t sheetCount = r.U32();
    if (sheetCount == 0 || sheetCount > static_cast<std::uint32_t>(kMaxSheets))
        return std::nullopt;
    Workbook book;
    qint64 totalCells = 0;
    for (std::uint32_t s = 0; s < sheetCount && !r.Failed(); ++s) {
        Worksheet sheet;
        sheet.name = r.Text();
        const std::uint32_t rows = r.U32();
        const std::uint32_t cols = r.U32();
        const std::uint32_t count = r.U32();
        if (r.Failed() || rows > static_cast<std::uint32_t>(kMaxSheetRows) ||
            cols > static_cast<std::uint32_t>(kMaxSheetCols))
            return std::nullopt;
        totalCells += count;
        if (count > static_cast<std::uint64_t>(rows) * cols || totalCells > kMaxTotalCells)
            return std::nullopt;
        sheet.rows = static_cast<int>(rows);
        sheet.cols = static_cast<int>(cols);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t row = r.U32();
            const std::uint32_t col = r.U32();
            const std::uint8_t type = r.U8();
            const std::uint8_t doubt = r.U8();
            Cell cell;
            cell.number = r.F64();
            cell.text = r.Text();
            if (r.Failed() || row >= rows || col >= cols || type > static_cast<std::uint8_t>(CellType::Text) ||
                doubt >= kDoubtKinds)
                return std::nullopt;
            cell.type = static_cast<CellType>(type);
            cell.doubt = static_cast<Doubt>(doubt);
            if (!ValidCell(cell) || sheet.cells.contains(Key(static_cast<int>(row), static_cast<int>(col))))
                return std::nullopt;
            sheet.Set(static_cast<int>(row), static_cast<int>(col), std::move(cell));
        }
        book.sheets.push_back(std::move(sheet));
    }
    if (!r.Raw(kEnd, 4) || !r.AtEnd())
        return std::nullopt;
    return book;
}

QString ColumnName(int col)
{
    QString name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

QString CellName(int row, int col)
{
    return ColumnName(col) + QString::number(row + 1);
}

}  // namespace moravel::import
