#include "cli/Leftovers.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

#include <sys/types.h>
#include <unistd.h>

namespace moravel::cli {
namespace {

QString HostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return QStringLiteral("host");
    QString host = QString::fromLatin1(name);
    for (QChar& c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'.')
            c = u'_';
    return host;
}

// Whether the process `pid` of this machine still runs (one of another user counts as
// running: it may not be signalled, but it is there).
bool Runs(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

QString TemporaryOwner()
{
    return QStringLiteral("%1-%2").arg(HostName()).arg(::getpid());
}

void RemoveStaleTemporaries(const QString& folder)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\..+\\.moravel-([A-Za-z0-9_.]+)-([0-9]{1,10})-[A-Za-z0-9]{6}(\\.old)?$"));
    const QString host = HostName();
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QFileInfoList entries =
        dir.entryInfoList({QStringLiteral(".*.moravel-*")},
                          QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch m = pattern.match(entry.fileName());
        if (!m.hasMatch() || m.captured(1) != host)
            continue;
        bool ok = false;
        const qulonglong pid = m.captured(2).toULongLong(&ok);
        if (!ok || pid < 1 || pid > 0x7fffffff || Runs(static_cast<pid_t>(pid)))
            continue;
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

}  // namespace moravel::cli
