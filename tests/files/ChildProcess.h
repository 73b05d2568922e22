#pragma once
// Runs a piece of a test in a child process (a file-size limit, another user), so that what it
// changes about the process stays there; the text it returns comes back.
#include "text/Error.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace moravel::files::testing {

// The child's answer, or "<...>" when it could not be run or was killed.
inline QString InChild(const std::function<QString()>& work)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        const QByteArray answer = work().toUtf8();
        (void)!::write(ends[1], answer.constData(), static_cast<size_t>(answer.size()));
        ::_exit(0);
    }
    ::close(ends[1]);
    QByteArray answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, n);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status))
        return QStringLiteral("<the child was killed by signal %1>").arg(WTERMSIG(status));
    return QString::fromUtf8(answer);
}

// Runs `save` as a user who may write the file but not add files to its folder: the folder
// is made read-only. Root may add files to any folder, so as root `save` runs in a child
// process that has given up root for the unprivileged user "nobody", who owns the file.
// Returns the error text of `save`, or "" when it succeeded.
inline QString SaveInFolderThatTakesNoNewFile(const QString& folder, const QString& file,
                                              const std::function<void()>& save)
{
    const auto errorOf = [&save]() -> QString {
        try {
            save();
        } catch (const moravel::Error& e) {
            return e.text();
        }
        return QString();
    };
    if (::geteuid() != 0) {
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        const QString error = errorOf();
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        return error;
    }
    constexpr uid_t kNobody = 65534;
    // Every folder above the file must be open to "nobody"; the test folder is made 0700.
    ::chmod(QFile::encodeName(QFileInfo(folder).absolutePath()).constData(), 0755);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    if (QFileInfo::exists(file))
        ::chown(QFile::encodeName(file).constData(), kNobody, kNobody);
    const QString answer = InChild([&] {
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0)
            return errorOf();
        return QStringLiteral("<cannot become nobody>");
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    return answer;
}

}  // namespace moravel::files::testing
