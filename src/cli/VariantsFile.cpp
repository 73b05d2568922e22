#include "cli/VariantsFile.h"

#include <QDir>
#include <QFileInfo>

#include "cli/ContentLines.h"
#include "model/Variants.h"
#include "text/Error.h"

namespace moravel::cli {

std::vector<VariantLine> ReadVariantsFile(const QString& path)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    std::vector<VariantLine> lines;
    for (const auto& [number, text] : ContentLines(path)) {
        VariantLine line;
        line.number = number;
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'));
        const QString project = (semicolon < 0 ? text : text.mid(semicolon + 1)).trimmed();
        if (project.isEmpty())
            throw Error(AtLine(path, line.number, QStringLiteral("brak pliku projektu (wiersz 'nazwa;projekt.kpr')")));
        line.project = folder.filePath(project);
        // Trimmed as the window trims a name typed in its list; a name left blank is the
        // window's "Wariant N". A file name may begin or end with blanks.
        line.name = (semicolon < 0 ? QFileInfo(project).completeBaseName() : text.left(semicolon)).trimmed();
        if (line.name.isEmpty())
            line.name = QStringLiteral("Wariant %1").arg(lines.size() + 1);
        if (static_cast<int>(lines.size()) >= model::kMaxVariants)
            throw Error(AtLine(path, line.number,
                                   QStringLiteral("Można porównać najwyżej %1 wariantów").arg(model::kMaxVariants)));
        lines.push_back(line);
    }
    if (static_cast<int>(lines.size()) < model::kMinVariants)
        throw Error(QStringLiteral("%1: porównanie wymaga od %2 do %3 wariantów, a plik podaje %4")
                        .arg(path)
                        .arg(model::kMinVariants)
                        .arg(model::kMaxVariants)
                        .arg(lines.size()));
    return lines;
}

}  // namespace moravel::cli
