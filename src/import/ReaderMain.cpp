// moravel-reader: the helper process that reads a workbook for the program. The file's bytes
// arrive on standard input; the workbook goes out on standard output (EncodeWorkbook). Exit
// code 0 with an answer, or a refusal code of ReaderProtocol.h. It limits its own memory,
// processor time and output files first, so that whatever a damaged file does to a library,
// it ends here and not in the program.
//
// The installed helper takes no arguments and ignores any it is given. The tests build a copy
// of it with MORAVEL_READER_TEST_SWITCHES (tests/import), whose switches make it fail on
// purpose: --test-crash aborts, --test-hang waits forever, --test-garbage answers nonsense.
#include "import/ReaderProtocol.h"
#include "import/WorkbookReaders.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define MORAVEL_READER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORAVEL_READER_ASAN 1
#endif
#endif

namespace {

using moravel::import::kReaderCpuSeconds;
using moravel::import::kReaderExitTooLarge;
using moravel::import::kReaderExitUnreadable;
using moravel::import::kReaderMemoryMb;

void Limit(int resource, rlim_t value)
{
    rlimit limit{value, value};
    ::setrlimit(resource, &limit);
}

void LimitResources()
{
    Limit(RLIMIT_CPU, kReaderCpuSeconds);
    Limit(RLIMIT_CORE, 0);  // no core files of a crash
    Limit(RLIMIT_NOFILE, 64);
#ifndef MORAVEL_READER_ASAN
    // AddressSanitizer reserves terabytes of address space for itself; there the allocator
    // refuses absurd blocks on its own.
    Limit(RLIMIT_AS, static_cast<rlim_t>(kReaderMemoryMb) * 1024 * 1024);
#endif
}

bool WriteAll(const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Ends without running exit handlers (nothing here needs them, and the leak checker of a
// sanitizer build would otherwise report what the libraries keep).
[[noreturn]] void End(int code)
{
    ::_exit(code);
}

#ifdef MORAVEL_READER_TEST_SWITCHES
void ObeyTestSwitches(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--test-crash") == 0)
            std::abort();
        if (std::strcmp(argv[i], "--test-hang") == 0)
            for (;;)
                ::pause();
        if (std::strcmp(argv[i], "--test-garbage") == 0)
            End(WriteAll(QByteArray("MRVW\x01\0\0\0\xff\xff\xff\xff", 12)) ? 0 : kReaderExitUnreadable);
    }
}
#endif

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv)
{
    LimitResources();
#ifdef MORAVEL_READER_TEST_SWITCHES
    ObeyTestSwitches(argc, argv);
#endif

    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0)
            End(kReaderExitUnreadable);
        bytes.append(buffer, n);
        if (bytes.size() > moravel::import::kMaxFileBytes)
            End(kReaderExitTooLarge);
    }
    try {
        const QByteArray answer = moravel::import::EncodeWorkbook(moravel::import::ReadWorkbookBytes(bytes));
        End(WriteAll(answer) ? 0 : kReaderExitUnreadable);
    } catch (const moravel::import::WorkbookRefused& refused) {
        End(refused.TooLarge() ? kReaderExitTooLarge : kReaderExitUnreadable);
    } catch (...) {
        End(kReaderExitUnreadable);
    }
}
