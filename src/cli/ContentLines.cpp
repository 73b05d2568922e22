#include "cli/ContentLines.h"

#include <QFile>
#include <QStringList>

#include "files/SafeWrite.h"
#include "text/Error.h"
#include "text/Shown.h"

namespace moravel::cli {

std::vector<NumberedLine> ContentLines(const QString& path)
{
    files::RequireNoNul(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Nie można otworzyć pliku ") + text::Shown(path));
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    std::vector<NumberedLine> lines;
    const QStringList texts = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QString line = texts[i].trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines.push_back({static_cast<int>(i + 1), line});
    }
    return lines;
}

QString AtLine(const QString& path, int number, const QString& why)
{
    return text::Shown(path) + QStringLiteral(", wiersz ") + QString::number(number) + QStringLiteral(": ") + why;
}

}  // namespace moravel::cli
