#include "import/CsvWorkbook.h"

#include "files/Cp1250.h"

#include <QRegularExpression>
#include <QByteArrayView>
#include <array>
#include <vector>

namespace moravel::import {
namespace {

// The file's bytes after a UTF-8 byte-order mark, and how its text is decoded: UTF-8 when
// the bytes are valid UTF-8, else Windows-1250. The separators, quotes and line breaks are
// single bytes below 0x80 in both, never part of another character, so the file is split
// as bytes and only each field is decoded: nothing but the bytes and one record is held.
struct CsvBytes {
    QByteArrayView body;
    bool utf8 = true;

    explicit CsvBytes(const QByteArray& bytes) : body(bytes)
    {
        if (body.startsWith("\xEF\xBB\xBF"))
            body = body.sliced(3);
        utf8 = body.isValidUtf8();
    }
    QString Text(const QByteArray& field) const
    {
        return utf8 ? QString::fromUtf8(field) : files::FromCp1250(field);
    }
};

// One field of a record as the file holds it: its bytes (a quoted field without its quotes,
// "" made "), and whether it began with a quote (then its blanks are its own).
struct RawField {
    QByteArray bytes;
    bool quoted = false;
};

// Splits the bytes into records of fields with the given separator (0: one field a line) and
// hands each record to `onRecord` as it ends, up to `maxRecords` records or until `onRecord`
// returns false.
template <typename OnRecord>
void ForEachRecord(const CsvBytes& csv, char separator, qint64 maxRecords, OnRecord&& onRecord)
{
    std::vector<RawField> fields;
    RawField field;
    bool quoted = false;  // inside a quoted field
    qint64 records = 0;
    const QByteArrayView text = csv.body;
    const qsizetype n = text.size();
    auto endField = [&] {
        fields.push_back(std::move(field));
        field = RawField();
    };
    auto endRecord = [&] {
        endField();
        ++records;
        const bool goOn = onRecord(fields);
        fields.clear();
        return goOn;
    };
    // Blanks before an opening quote don't count (decoded, so that a no-break space is one).
    auto onlyBlanks = [&](const QByteArray& bytes) { return bytes.isEmpty() || csv.Text(bytes).trimmed().isEmpty(); };
    for (qsizetype i = 0; i < n && records < maxRecords; ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < n && text[i + 1] == '"') {
                    field.bytes += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field.bytes += c;
            }
        } else if (c == '"' && !field.quoted && onlyBlanks(field.bytes)) {
            quoted = true;
            field.quoted = true;
            field.bytes.clear();
        } else if (separator != 0 && c == separator) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            if (!endRecord())
                return;
        } else if (!field.quoted) {  // text after a closing quote is dropped
            field.bytes += c;
        }
    }
    if (records < maxRecords && (!field.bytes.isEmpty() || !fields.empty() || field.quoted))
        endRecord();
}

// A field's text: decoded, and trimmed unless it was quoted.
QString FieldText(const CsvBytes& csv, const RawField& field)
{
    const QString text = csv.Text(field.bytes);
    return field.quoted ? text : text.trimmed();
}

// The first `maxRecords` records as texts (for the separator's detection).
std::vector<QStringList> Split(const CsvBytes& csv, char separator, int maxRecords)
{
    std::vector<QStringList> records;
    ForEachRecord(csv, separator, maxRecords, [&](const std::vector<RawField>& fields) {
        QStringList texts;
        for (const RawField& f : fields)
            texts << FieldText(csv, f);
        records.push_back(std::move(texts));
        return true;
    });
    return records;
}

bool AllDecimalCommaNumbers(const std::vector<QStringList>& lines)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?\\d+(,\\d+)?\\s*$"));
    for (const QStringList& line : lines) {
        const QString joined = line.join(u',');
        if (!joined.trimmed().isEmpty() && !number.match(joined).hasMatch())
            return false;
    }
    return true;
}

char DetectSeparator(const CsvBytes& csv)
{
    const std::array<char, 3> candidates{';', '\t', ','};
    char best = 0;
    int bestScore = 0;
    for (char candidate : candidates) {
        const std::vector<QStringList> lines = Split(csv, candidate, 50);
        // How many lines have the most common field count (above one).
        QHash<qsizetype, int> counts;
        for (const QStringList& line : lines)
            if (line.size() > 1)
                ++counts[line.size()];
        int score = 0;
        for (int c : counts)
            score = std::max(score, c);
        if (score > bestScore) {
            if (candidate == ',' && AllDecimalCommaNumbers(lines))
                continue;
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

// A number with a decimal comma or point, as a spreadsheet reads a CSV field: optional sign,
// digits, an optional fraction, an optional exponent.
bool ParseNumber(const QString& field, QChar separator, double& value)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?(\\d+([.,]\\d*)?|[.,]\\d+)([eE][-+]?\\d+)?$"));
    if (!number.match(field).hasMatch())
        return false;
    QString plain = field;
    if (separator != u',')
        plain.replace(u',', u'.');
    else if (plain.contains(u','))
        return false;
    bool ok = false;
    value = plain.toDouble(&ok);
    return ok && std::isfinite(value);
}

}  // namespace

bool LooksLikeText(const QByteArray& bytes)
{
    return !bytes.contains('\0');
}

Workbook ReadCsvWorkbook(const QByteArray& bytes)
{
    if (!LooksLikeText(bytes))
        throw WorkbookRefused();
    const CsvBytes csv(bytes);
    const char separator = DetectSeparator(csv);
    const QChar numberSeparator = QLatin1Char(separator);

    // First only counted, one record at a time: a file beyond the largest worksheet or the
    // cells a workbook may bring is refused before any cell is kept.
    // (A field of blanks counts as a cell here: the bound is kept the safe way round.)
    qint64 records = 0;
    qint64 cells = 0;
    bool tooLarge = false;
    ForEachRecord(csv, separator, qint64(kMaxSheetRows) + 1, [&](const std::vector<RawField>& fields) {
        ++records;
        for (const RawField& f : fields)
            cells += !f.bytes.isEmpty();
        tooLarge = records > kMaxSheetRows || fields.size() > std::size_t(kMaxSheetCols) || cells > kMaxTotalCells;
        return !tooLarge;
    });
    if (tooLarge)
        throw WorkbookRefused(true);

    Worksheet sheet;
    int r = 0;
    ForEachRecord(csv, separator, kMaxSheetRows, [&](const std::vector<RawField>& fields) {
        bool blank = fields.size() == 1;
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const QString field = FieldText(csv, fields[c]);
            if (field.isEmpty())
                continue;
            blank = false;
            Cell cell;
            if (ParseNumber(field, numberSeparator, cell.number)) {
                cell.type = CellType::Number;
            } else {
                cell.type = CellType::Text;
                cell.text = field;
            }
            sheet.Set(r, static_cast<int>(c), std::move(cell));
            sheet.cols = std::max(sheet.cols, static_cast<int>(c) + 1);
        }
        ++r;
        if (!blank)
            sheet.rows = r;
        return true;
    });
    Workbook book;
    book.sheets.push_back(std::move(sheet));
    return book;
}

}  // namespace moravel::import
