#pragma once
// What the readers of the text files a user writes for moravel-run (a manifest, a variants
// file, a design file) must give for any bytes: values within their rules, or a refusal that
// names the file and, when a line is at fault, a line the file has.
#include "FuzzCheck.h"
#include "FuzzInputFile.h"
#include "FuzzLimits.h"
#include "text/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>

// The number of lines of the input, counted as the readers count them (from 1, at '\n').
inline int FuzzLineCount(const uint8_t* data, size_t size)
{
    return 1 + static_cast<int>(std::count(data, data + size, uint8_t('\n')));
}

// A refusal "<path>, wiersz N: ..." must name a line of the file; one without a line must
// name the file ("<path>: ...").
inline void CheckUserFileRefusal(const moravel::Error& e, const QString& path, int lineCount)
{
    const QString text = e.text();
    const QString atLine = path + QStringLiteral(", wiersz ");
    if (text.startsWith(atLine)) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'), atLine.size());
        FUZZ_CHECK(colon > atLine.size());
        bool ok = false;
        const int line = text.mid(atLine.size(), colon - atLine.size()).toInt(&ok);
        FUZZ_CHECK(ok && line >= 1 && line <= lineCount);
        FUZZ_CHECK(text.size() > colon + 2);  // and says why
    } else {
        FUZZ_CHECK(text.startsWith(path + QStringLiteral(": ")) && text.size() > path.size() + 2);
    }
}

// The input written to its file, with what the checks need of it.
struct UserFileInput {
    UserFileInput(const uint8_t* data, size_t size)
        : path(FuzzInputFile(data, size)),
          lineCount(FuzzLineCount(data, size)),
          folder(QFileInfo(path).absolutePath() + QLatin1Char('/'))
    {
    }
    QString path;
    int lineCount;
    QString folder;  // where the file's relative names lead

    // A file named in the input: in the file's folder, unless written absolute.
    bool Placed(const QString& name) const
    {
        return QDir::isAbsolutePath(name) || (name.startsWith(folder) && name.size() > folder.size());
    }
};

// What `read` gives for the input's file, or nothing once its refusal is checked.
template <typename Read>
auto ReadUserFile(const UserFileInput& in, Read read) -> std::optional<decltype(read(in.path))>
{
    try {
        return read(in.path);
    } catch (const moravel::Error& e) {
        CheckUserFileRefusal(e, in.path, in.lineCount);
        return std::nullopt;
    }
}

// Lines read from the input (with their `number`), in the file's order and among its lines.
template <typename Lines>
void CheckLineNumbers(const Lines& lines, const UserFileInput& in)
{
    int previous = 0;
    for (const auto& line : lines) {
        FUZZ_CHECK(line.number > previous && line.number <= in.lineCount);
        previous = line.number;
    }
}
