#pragma once
// What every workbook reader must give for any bytes: a refusal, or a workbook within the
// limits whose answer to the program crosses the pipe unchanged.
//
// The readers run in the helper moravel-reader under limits of processor time and memory
// (ReaderProtocol.h); a file that needs more is refused there. The targets run under the
// same limits: LLVMFuzzerInitialize hands them to libFuzzer as -timeout, -rss_limit_mb and
// -malloc_limit_mb (after any given on the command line, so that they hold). Run with
// -fork=1 -ignore_ooms=1 -ignore_timeouts=1 (tests/fuzz/run_all.sh does), an input over
// them ends its fuzzing job, as it ends the helper, and fuzzing goes on; a crash or a failed
// check stops it.
#include "FuzzCheck.h"
#include "import/ReaderProtocol.h"
#include "import/Workbook.h"

#include <cstdint>
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

template <typename Read>
void CheckWorkbookReader(const uint8_t* data, size_t size, Read read)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    using namespace moravel::import;
    Workbook book;
    try {
        book = read(bytes);
    } catch (const WorkbookRefused&) {
        return;
    }
    FUZZ_CHECK(!book.sheets.empty() && book.sheets.size() <= static_cast<std::size_t>(kMaxSheets));
    qint64 cells = 0;
    for (const Worksheet& sheet : book.sheets) {
        FUZZ_CHECK(sheet.rows >= 0 && sheet.rows <= kMaxSheetRows);
        FUZZ_CHECK(sheet.cols >= 0 && sheet.cols <= kMaxSheetCols);
        cells += sheet.cells.size();
    }
    FUZZ_CHECK(cells <= kMaxTotalCells);
    const std::optional<Workbook> back = DecodeWorkbook(EncodeWorkbook(book));
    FUZZ_CHECK(back && back->sheets.size() == book.sheets.size());
    for (std::size_t s = 0; s < book.sheets.size(); ++s)
        FUZZ_CHECK(back->sheets[s].cells.size() == book.sheets[s].cells.size());
}
