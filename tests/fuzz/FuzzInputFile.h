#pragma once
// The input as a file a reader opens by its name.
#include "FuzzCheck.h"

#include <QString>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

// One file of this process in the temporary folder, written again for every input and removed
// at the end (the NetCDF library resolves a name to its target, so a file in memory,
// /proc/self/fd/N, would not do).
inline QString FuzzInputFile(const uint8_t* data, size_t size)
{
    static int fd = -1;
    static std::string name;
    if (fd < 0) {
        const char* folder = std::getenv("TMPDIR");
        name = std::string(folder && *folder ? folder : "/tmp") + "/moravel-fuzz-XXXXXX";
        fd = mkstemp(name.data());
        FUZZ_CHECK(fd >= 0);
        std::atexit([] { ::unlink(name.c_str()); });
    }
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    for (size_t done = 0; done < size;) {
        const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        FUZZ_CHECK(n > 0);
        done += static_cast<size_t>(n);
    }
    return QString::fromStdString(name);
}
