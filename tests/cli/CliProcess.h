#pragma once
// Runs the built moravel-run as a process, as a script would, and reads what it wrote.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <charconv>
#include <string>
#include <vector>

namespace moravel::cli::testing {

struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// `locale`, when given, is the child's LC_ALL.
inline CliResult RunCli(const QStringList& arguments, const QString& locale = QString())
{
    QProcess process;
    if (!locale.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        process.setProcessEnvironment(env);
    }
    process.start(QStringLiteral(MORAVEL_RUN), arguments);
    CliResult r;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = QString::fromUtf8(process.readAllStandardError());
    return r;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes a file a test hands to moravel-run (true when written whole).
inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The rows of a CSV of moravel-run (',' fields, no quoted fields in these tables), heading
// included.
inline std::vector<QStringList> CsvRows(const QByteArray& bytes)
{
    std::vector<QStringList> rows;
    for (const QString& line : QString::fromUtf8(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows.push_back(line.split(QLatin1Char(',')));
    return rows;
}

// The exact single-precision number of a field (empty: none).
inline bool ParseFloat(const QString& field, float& value)
{
    const std::string s = field.toStdString();
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

// A column of a table from its first data row on, up to its first empty field.
inline std::vector<float> Column(const std::vector<QStringList>& rows, int column)
{
    std::vector<float> values;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        float v = 0;
        if (column >= rows[i].size() || !ParseFloat(rows[i][column], v))
            break;
        values.push_back(v);
    }
    return values;
}

}  // namespace moravel::cli::testing
