#pragma once
// The limits of processor time and memory a fuzz target runs under: those of the helper
// moravel-reader (ReaderProtocol.h), the most any reader of the program is given.
// LLVMFuzzerInitialize hands them to libFuzzer as -timeout, -rss_limit_mb and -malloc_limit_mb
// (after any given on the command line, so that they hold). Run with -fork=1 -ignore_ooms=1
// -ignore_timeouts=1 (tests/fuzz/run_all.sh does), an input over them ends its fuzzing job, as
// it ends the helper, and fuzzing goes on; a crash or a failed check stops it.
#include "import/ReaderProtocol.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    using namespace moravel::import;
    static std::vector<std::string> flags;
    static std::vector<char*> args;
    for (int i = 0; i < *argc; ++i)
        args.push_back((*argv)[i]);
    flags = {"-timeout=" + std::to_string(kReaderCpuSeconds), "-rss_limit_mb=" + std::to_string(kReaderMemoryMb),
             "-malloc_limit_mb=" + std::to_string(kReaderMemoryMb)};
    for (std::string& flag : flags)
        args.push_back(flag.data());
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    return 0;
}

