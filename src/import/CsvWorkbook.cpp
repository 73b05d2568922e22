#include "import/CsvWorkbook.h"

#include "files/Cp1250.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <array>

namespace moravel::import {
namespace {

QString Decode(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return files::FromCp1250(body);
}

// Splits the text into records of fields with the given separator (0: one field a line).
std::vector<QStringList> Split(const QString& text, QChar separator, int maxRecords)
{
    std::vector<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;     // inside a quoted field
    bool wasQuoted = false;  // the field began with a quote
    const qsizetype n = text.size();
    auto endField = [&] {
        fields << (wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        records.push_back(std::move(fields));
        fields.clear();
    };
    for (qsizetype i = 0; i < n && static_cast<int>(records.size()) < maxRecords; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            field.clear();
        } else if (separator != QChar() && c == separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            endRecord();
        } else if (!wasQuoted) {  // text after a closing quote is dropped
            field += c;
        }
    }
    if (!field.isEmpty() || !fields.isEmpty() || wasQuoted)
        endRecord();
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

QChar DetectSeparator(const QString& text)
{
    const std::array<QChar, 3> candidates{u';', u'\t', u','};
    QChar best;
    int bestScore = 0;
    for (QChar candidate : candidates) {
        const std::vector<QStringList> lines = Split(text, candidate, 50);
        // How many lines have the most common field count (above one).
        QHash<qsizetype, int> counts;
        for (const QStringList& line : lines)
            if (line.size() > 1)
                ++counts[line.size()];
        int score = 0;
        for (int c : counts)
            score = std::max(score, c);
        if (score > bestScore) {
            if (candidate == u',' && AllDecimalCommaNumbers(lines))
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
    const QString text = Decode(bytes);
    const QChar separator = DetectSeparator(text);
    const std::vector<QStringList> records = Split(text, separator, kMaxSheetRows + 1);
    if (static_cast<qint64>(records.size()) > kMaxSheetRows)
        throw WorkbookRefused(true);

    Worksheet sheet;
    qint64 cells = 0;
    for (std::size_t r = 0; r < records.size(); ++r) {
        const QStringList& fields = records[r];
        if (fields.size() > kMaxSheetCols)
            throw WorkbookRefused(true);
        for (qsizetype c = 0; c < fields.size(); ++c) {
            const QString& field = fields[c];
            if (field.isEmpty())
                continue;
            if (++cells > kMaxTotalCells)
                throw WorkbookRefused(true);
            Cell cell;
            if (ParseNumber(field, separator, cell.number)) {
                cell.type = CellType::Number;
            } else {
                cell.type = CellType::Text;
                cell.text = field;
            }
            sheet.Set(static_cast<int>(r), static_cast<int>(c), std::move(cell));
            sheet.cols = std::max(sheet.cols, static_cast<int>(c) + 1);
        }
        if (!fields.isEmpty() && !(fields.size() == 1 && fields[0].isEmpty()))
            sheet.rows = static_cast<int>(r) + 1;
    }
    Workbook book;
    book.sheets.push_back(std::move(sheet));
    return book;
}

}  // namespace moravel::import
