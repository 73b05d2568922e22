// ReadWorkbook: the file's bytes go to the helper program on its standard input, the cells
// come back on its standard output. The helper runs with limits of memory and processor
// time it sets itself; here a wall-clock deadline ends a helper that hangs. Whatever goes
// wrong in the helper (a crash, a limit, a timeout, a malformed answer) is the one message
// "Nie można odczytać skoroszytu <path>", and nothing else in the program is touched.
#include "import/Workbook.h"
#include "import/ReaderProtocol.h"
#include "text/Error.h"
#include "text/Shown.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

[[noreturn]] void Unreadable(const QString& path)
{
    throw Error(QStringLiteral("Nie można odczytać skoroszytu ") + text::Shown(QDir::toNativeSeparators(path)));
}

[[noreturn]] void TooLarge(const QString& path)
{
    throw Error(QStringLiteral("Skoroszyt %1 jest zbyt duży, by go odczytać").arg(text::Shown(QDir::toNativeSeparators(path))));
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

enum class Outcome { Answered, Unreadable, TooLarge, Cancelled };

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

using Clock = std::chrono::steady_clock;

// The helper's command line: its program, then the settings' arguments.
std::vector<QByteArray> CommandLine(const ReaderSettings& s)
{
    const QString program = s.program.isEmpty() ? DefaultProgram() : s.program;
    std::vector<QByteArray> args{QFile::encodeName(program)};
    for (const QString& a : s.arguments)
        args.push_back(a.toLocal8Bit());
    return args;
}

// The input goes through a socket, so that a child that dies early gives an error on send
// (MSG_NOSIGNAL) instead of a SIGPIPE for the whole program; the answer comes through a pipe.
// Spawn closes the child's ends once the child has them.
struct Channels {
    Fd toChild, childIn, fromChild, childOut;
};

bool OpenChannels(Channels& c)
{
    int sock[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sock) != 0)
        return false;
    *c.toChild.Out() = sock[0];
    *c.childIn.Out() = sock[1];
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    *c.fromChild.Out() = pipeFds[0];
    *c.childOut.Out() = pipeFds[1];
    return true;
}

// Starts the helper with the channels as its standard input and output; the program's ends
// are left non-blocking.
bool Spawn(std::vector<QByteArray>& commandLine, Channels& c, pid_t& pid)
{
    std::vector<char*> argv;
    for (QByteArray& a : commandLine)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, c.childIn.Get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, c.childOut.Get(), STDOUT_FILENO);
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    c.childIn.Close();
    c.childOut.Close();
    ::fcntl(c.toChild.Get(), F_SETFL, O_NONBLOCK);
    ::fcntl(c.fromChild.Get(), F_SETFL, O_NONBLOCK);
    return true;
}

// Sends what the socket takes of the rest of the input; closes it when all is sent or the
// child stopped reading.
void SendSome(Fd& toChild, const QByteArray& input, qsizetype& written)
{
    const ssize_t n = ::send(toChild.Get(), input.constData() + written,
                             static_cast<std::size_t>(input.size() - written), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0)
        written += n;
    if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size())
        toChild.Close();
}

// How often a cancellable reading looks at its flag.
constexpr long long kCancelLookMs = 50;

enum class Received { More, End, TooMuch };

// Appends what the pipe holds to the answer.
Received ReceiveSome(const Fd& fromChild, QByteArray& answer)
{
    char buffer[65536];
    const ssize_t n = ::read(fromChild.Get(), buffer, sizeof buffer);
    if (n > 0) {
        answer.append(buffer, n);
        return answer.size() > kMaxAnswerBytes ? Received::TooMuch : Received::More;
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR))
        return Received::End;
    return Received::More;
}

// Feeds the input to the helper and collects its answer until it closes its output. False,
// with the helper killed, when the deadline passes, waiting fails or the answer outgrows
// kMaxAnswerBytes.
bool Exchange(const QByteArray& input, Channels& c, pid_t pid, Clock::time_point deadline,
              const std::atomic<bool>* cancel, QByteArray& answer)
{
    qsizetype written = 0;
    if (input.isEmpty())
        ::shutdown(c.toChild.Get(), SHUT_WR);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || (cancel && cancel->load())) {
            Reap(pid, true);
            return false;
        }
        pollfd fds[2] = {{c.fromChild.Get(), POLLIN, 0}, {c.toChild.Get(), POLLOUT, 0}};
        const nfds_t count = c.toChild.Get() >= 0 ? 2 : 1;
        const auto wait = cancel ? std::min<long long>(left, kCancelLookMs) : left;
        if (::poll(fds, count, static_cast<int>(wait)) < 0) {
            if (errno == EINTR)
                continue;
            Reap(pid, true);
            return false;
        }
        if (count == 2 && fds[1].revents != 0)
            SendSome(c.toChild, input, written);
        if (fds[0].revents != 0) {
            const Received received = ReceiveSome(c.fromChild, answer);
            if (received == Received::TooMuch) {
                Reap(pid, true);
                return false;
            }
            if (received == Received::End)
                return true;
        }
    }
}

// The answer is complete once the helper closed its output; it must end soon after. Its exit
// status, or -1 when it did not end normally or not by the deadline (then it is killed).
int AwaitExit(pid_t pid, Clock::time_point deadline)
{
    for (;;) {
        int raw = 0;
        const pid_t done = ::waitpid(pid, &raw, WNOHANG);
        if (done == pid)
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        if (done < 0 && errno != EINTR)
            return -1;
        if (Clock::now() >= deadline) {
            Reap(pid, true);
            return -1;
        }
        ::poll(nullptr, 0, 5);
    }
}

Outcome OutcomeOf(int exitStatus)
{
    if (exitStatus == 0)
        return Outcome::Answered;
    if (exitStatus == kReaderExitTooLarge)
        return Outcome::TooLarge;
    return Outcome::Unreadable;
}

// Runs the helper on `input` within the settings' time limit.
Run RunHelper(const QByteArray& input, const ReaderSettings& s, const std::atomic<bool>* cancel)
{
    Run run;
    std::vector<QByteArray> commandLine = CommandLine(s);
    Channels channels;
    pid_t pid = 0;
    if (!OpenChannels(channels) || !Spawn(commandLine, channels, pid))
        return run;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(s.timeoutMs);
    if (!Exchange(input, channels, pid, deadline, cancel, run.answer)) {
        if (cancel && cancel->load())
            run.outcome = Outcome::Cancelled;
        return run;
    }
    run.outcome = OutcomeOf(AwaitExit(pid, deadline));
    return run;
}

}  // namespace

Workbook ReadWorkbook(const QString& path, const ReaderSettings& reader, const std::atomic<bool>* cancel)
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

    const Run run = RunHelper(bytes, reader, cancel);
    if (run.outcome == Outcome::Cancelled)
        throw WorkbookReadCancelled();
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
