#pragma once
// How moravel-run writes: nothing half-written under an output's name. Every file goes through
// the program's one writer (files/SafeWrite.h): written under a temporary name beside it and
// renamed over its name once complete (a character device such as /dev/null is written as it
// is, a file with more names in place; a pipe, socket or folder is refused); a folder of
// results is filled under a temporary name beside it and renamed as a whole. A run that fails
// leaves its temporaries removed and every earlier output as it was.
//
// Tables for scripts: the CSV files of moravel-run follow the program's one CSV writer
// (report/Csv.h: fields quoted as RFC 4180 wants, lines ending in CRLF, the window's column
// headings) with two deliberate differences, since they are read by programs rather than by
// a spreadsheet: numbers are written with a '.' decimal point and fields are separated by ','
// whatever the locale (a script reads the same file on every machine and every cluster node),
// and there is no byte-order mark (which R and many command-line tools would take for part of
// the first heading).
#include <QChar>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>

#include "files/SafeWrite.h"
#include "text/Error.h"

namespace moravel::cli {

inline constexpr QChar kMachineDecimal = u'.';

// An output that can't be written: exit code 3.
class OutputError : public Error {
public:
    using Error::Error;
};

// "Nie można utworzyć pliku <path>".
[[noreturn]] void CannotCreate(const QString& path);

// A file written through the writer, or standard output for an empty path.
class OutputFile {
public:
    explicit OutputFile(const QString& path);
    QIODevice& Device();
    // Puts the file in place (flushes standard output). Throws OutputError.
    void Commit();

private:
    std::optional<files::SafeFile> file_;
    std::unique_ptr<QFile> stdout_;
};

// A path to write a file (a NetCDF file or a workbook, written by its own library) under a
// temporary name, put in place of `path` by Commit and removed when not committed.
class StagedFile {
public:
    explicit StagedFile(const QString& path);
    const QString& TemporaryPath() const { return file_->WorkPath(); }
    void Commit();

private:
    std::optional<files::SafeFile> file_;
};

// The files of a results folder of moravel-run. A folder that holds the realisations table
// and nothing but these is moravel-run's and may be replaced; any other is never touched.
inline const QString kHydrographsFileName = QStringLiteral("hydrogramy.nc");
inline const QString kPartFileName = QStringLiteral("hydrogramy.bin");  // a shard's hydrographs
inline const QString kRealisationsFileName = QStringLiteral("realizacje.csv");
inline const QString kBandFileName = QStringLiteral("pasmo.csv");

// Refuses (OutputError) a results folder that exists, is not empty and is no earlier results
// folder: it is never replaced.
void CheckResultsFolder(const QString& path);

// A results folder filled under a temporary name beside it; Commit puts it in place (an
// earlier results folder of that name is replaced), and it is removed when not committed.
class StagedFolder {
public:
    explicit StagedFolder(const QString& path);
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;
    QString File(const QString& name) const;
    void Commit();

private:
    QString path_, temporary_;
    bool committed_ = false;
};

}  // namespace moravel::cli
