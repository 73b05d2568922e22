// ReadWorkbook: the file's bytes go to the helper program on its standard input, the cells
// come back on its standard output. The helper runs with limits of memory and processor
// time it sets itself; here a wall-clock deadline ends a helper that hangs. Whatever goes
// wrong in the helper (a crash, a limit, a timeout, a malformed answer) is the one message
// "Nie można odczytać skoroszytu <path>", and nothing else in the program is touched.
#include "import/Workbook.h"
#include "import/ReaderProtocol.h"
#include "text/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace moravel::import {
namespace {

// The most the helper may answer: every cell of the largest workbook with a short text.
constexpr qsizetype kMaxAnswerBytes = 1024LL * 1024 * 1024;

// Constructed on first use, so that a test may set them from a static initialiser.
QMutex& SettingsMutex()
{
    static QMutex mutex;
    return mutex;
}

ReaderSettings& Settings()
{
    static ReaderSettings settings;
    return settings;
}

[[noreturn]] void Unreadable(const QString& path)
{
    throw Error(QStringLiteral("Nie można odczytać skoroszytu ") + QDir::toNativeSeparators(path));
}

[[noreturn]] void TooLarge(const QString& path)
{
    throw Error(QStringLiteral("Skoroszyt %1 jest zbyt duży, by go odczytać").arg(QDir::toNativeSeparators(path)));
}

QString RunningProgramDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

// moravel-reader beside the program (the build tree), else where the package installs it.
QString DefaultProgram()
{
    const QString dir = RunningProgramDir();
    const QString beside = dir + QStringLiteral("/moravel-reader");
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(dir + QStringLiteral("/../libexec/moravel/moravel-reader"));
}

class Fd {
public:
    Fd() = default;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int* Out() { return &fd_; }
    int Get() const { return fd_; }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

enum class Outcome { Answered, Unreadable, TooLarge };

struct Run {
    Outcome outcome = Outcome::Unreadable;
    QByteArray answer;
};

// Ends the child (when it still runs) and collects it; its exit status, or -1.
int Reap(pid_t pid, bool kill)
{
    if (kill)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Run RunHelper(const QByteArray& input, const ReaderSettings& s)
{
    Run run;
    const QString program = s.program.isEmpty() ? DefaultProgram() : s.program;
    std::vector<QByteArray> args{QFile::encodeName(program)};
    for (const QString& a : s.arguments)
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // The input goes through a socket, so that a child that dies early gives an error on
    // send (MSG_NOSIGNAL) instead of a SIGPIPE for the whole program.
    int sock[2];
    Fd toChild, childIn, fromChild, childOut;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sock) != 0)
        return run;
    *toChild.Out() = sock[0];
    *childIn.Out() = sock[1];
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return run;
    *fromChild.Out() = pipeFds[0];
    *childOut.Out() = pipeFds[1];

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childIn.Get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childOut.Get(), STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    childIn.Close();
    childOut.Close();
    ::fcntl(toChild.Get(), F_SETFL, O_NONBLOCK);
    ::fcntl(fromChild.Get(), F_SETFL, O_NONBLOCK);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(s.timeoutMs);
    qsizetype written = 0;
    if (input.isEmpty())
        ::shutdown(toChild.Get(), SHUT_WR);
    bool eof = false;
    while (!eof) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            Reap(pid, true);
            return run;
        }
        pollfd fds[2] = {{fromChild.Get(), POLLIN, 0}, {toChild.Get(), POLLOUT, 0}};
        const nfds_t count = toChild.Get() >= 0 ? 2 : 1;
        if (::poll(fds, count, static_cast<int>(left)) < 0) {
            if (errno == EINTR)
                continue;
            Reap(pid, true);
            return run;
        }
        if (count == 2 && fds[1].revents != 0) {
            const ssize_t n = ::send(toChild.Get(), input.constData() + written,
                                     static_cast<std::size_t>(input.size() - written), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                written += n;
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size())
                toChild.Close();  // all sent, or the child stopped reading
        }
        if (fds[0].revents != 0) {
            char buffer[65536];
            const ssize_t n = ::read(fromChild.Get(), buffer, sizeof buffer);
            if (n > 0) {
                run.answer.append(buffer, n);
                if (run.answer.size() > kMaxAnswerBytes) {
                    Reap(pid, true);
                    return run;
                }
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                eof = true;
            }
        }
    }
    // The answer is complete once the child closed its output; it must end soon after.
    int status = -1;
    for (;;) {
        int raw = 0;
        const pid_t done = ::waitpid(pid, &raw, WNOHANG);
        if (done == pid) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            break;
        }
        if (done < 0 && errno != EINTR)
            break;
        if (Clock::now() >= deadline) {
            Reap(pid, true);
            return run;
        }
        ::poll(nullptr, 0, 5);
    }
    if (status == 0)
        run.outcome = Outcome::Answered;
    else if (status == kReaderExitTooLarge)
        run.outcome = Outcome::TooLarge;
    return run;
}

}  // namespace

void SetReaderSettings(const ReaderSettings& s)
{
    QMutexLocker lock(&SettingsMutex());
    Settings() = s;
}

ReaderSettings CurrentReaderSettings()
{
    QMutexLocker lock(&SettingsMutex());
    return Settings();
}

Workbook ReadWorkbook(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        Unreadable(path);
    if (info.size() > kMaxFileBytes)
        TooLarge(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Unreadable(path);
    // Read once: these bytes are the ones the helper checks and parses.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    file.close();
    if (bytes.size() > kMaxFileBytes)
        TooLarge(path);
    if (bytes.isEmpty())
        Unreadable(path);

    const Run run = RunHelper(bytes, CurrentReaderSettings());
    if (run.outcome == Outcome::TooLarge)
        TooLarge(path);
    if (run.outcome != Outcome::Answered)
        Unreadable(path);
    std::optional<Workbook> book = DecodeWorkbook(run.answer);
    if (!book)
        Unreadable(path);
    book->path = path;
    // A CSV file has no sheet names: its one sheet is called after the file.
    if (book->sheets.size() == 1 && book->sheets[0].name.isEmpty())
        book->sheets[0].name = info.completeBaseName();
    return std::move(*book);
}

}  // namespace moravel::import
