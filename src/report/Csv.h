#pragma once
// Every CSV file the program writes: UTF-8 with its byte-order mark (by which spreadsheets
// recognise the encoding and show Polish letters right), lines ending in CRLF (RFC 4180), and
// the field separator of the user's conventions: ';' when the decimal separator is a comma
// (the numbers then hold commas), ',' otherwise. A field holding the separator, a quote or a
// line break is put in quotes, its quotes doubled.
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

namespace moravel::report {

QChar CsvFieldSeparator(QChar decimalSeparator);

// One row: the fields joined by `separator` (each quoted where it needs it), ending in "\r\n".
// For tables written row by row as they are made (a long series streamed to a file).
QString CsvLine(const QStringList& fields, QChar separator);

class CsvTable {
public:
    explicit CsvTable(QChar decimalSeparator);

    QChar FieldSeparator() const { return separator_; }
    // Appends a row; numbers come already written with the table's decimal separator.
    void AddRow(const QStringList& fields);

    // The rows, fields joined by the separator, each line ending in "\r\n".
    const QString& Text() const { return text_; }
    // The file's bytes: the byte-order mark, then the text in UTF-8.
    QByteArray Bytes() const;

private:
    QChar separator_;
    QString text_;
};

// Writes the table to `path` through the program's one writer (files/SafeWrite.h): a new file
// appears whole or not at all, a device is written as it is. Throws
// moravel::Error("Nie można utworzyć pliku <path>") when it can't be written.
void WriteCsvFile(const QString& path, const CsvTable& table);

}  // namespace moravel::report
