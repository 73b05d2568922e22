#include "cli/Manifest.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "cli/Arguments.h"
#include "cli/ContentLines.h"
#include "text/Error.h"
#include "text/Shown.h"

namespace moravel::cli {

std::vector<ManifestLine> ReadManifest(const QString& path)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    std::vector<ManifestLine> lines;
    for (const NumberedLine& content : ContentLines(path)) {
        // Plain names, not a structured binding: C++17 lambdas (the refusal below) cannot
        // capture one.
        const int number = content.number;
        const QString& text = content.text;
        // The heading.
        if (number == 1 && text.startsWith(QLatin1String("projekt")))
            continue;
        const auto refuse = [&](const QString& why) { throw Error(AtLine(path, number, why)); };
        const QStringList fields = text.split(QLatin1Char(','));
        if (fields.size() > 4)
            refuse(QStringLiteral("wiersz ma więcej niż cztery pola (projekt,realizacje,ziarno,opad)"));
        ManifestLine line;
        line.number = number;
        line.project = folder.filePath(fields[0].trimmed());
        bool ok = true;
        if (fields.size() > 1 && !fields[1].trimmed().isEmpty()) {
            line.count = fields[1].trimmed().toLongLong(&ok);
            if (!ok || line.count < 1)
                refuse(QStringLiteral("liczba realizacji '%1' nie jest liczbą naturalną").arg(fields[1].trimmed()));
            if (line.count > kMaxRealisationNumber)
                refuse(StreamedSeriesTooLong());
        }
        if (fields.size() > 2 && !fields[2].trimmed().isEmpty()) {
            line.seed = fields[2].trimmed().toULongLong(&ok);
            if (!ok)
                refuse(QStringLiteral("ziarno '%1' nie jest liczbą całkowitą").arg(fields[2].trimmed()));
        }
        if (fields.size() > 3 && !fields[3].trimmed().isEmpty())
            line.rainfall = folder.filePath(fields[3].trimmed());
        lines.push_back(line);
    }
    return lines;
}

}  // namespace moravel::cli
