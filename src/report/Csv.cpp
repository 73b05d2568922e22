#include "report/Csv.h"

#include "files/SafeWrite.h"

namespace moravel::report {
namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

QString Field(const QString& text, QChar separator)
{
    const bool quoted = text.contains(separator) || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r');
    if (!quoted)
        return text;
    QString doubled = text;
    doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

}  // namespace

QChar CsvFieldSeparator(QChar decimalSeparator)
{
    return decimalSeparator == u',' ? u';' : u',';
}

CsvTable::CsvTable(QChar decimalSeparator) : separator_(CsvFieldSeparator(decimalSeparator)) {}

QString CsvLine(const QStringList& fields, QChar separator)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += separator;
        line += Field(fields[i], separator);
    }
    line += QStringLiteral("\r\n");
    return line;
}

void CsvTable::AddRow(const QStringList& fields)
{
    text_ += CsvLine(fields, separator_);
}

QByteArray CsvTable::Bytes() const
{
    return QByteArray(kByteOrderMark) + text_.toUtf8();
}

void WriteCsvFile(const QString& path, const CsvTable& table)
{
    files::WriteFileAtomically(path, table.Bytes());
}

}  // namespace moravel::report
