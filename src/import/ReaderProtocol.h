#pragma once
// What the program and its helper moravel-reader agree on besides the answer's bytes
// (EncodeWorkbook / DecodeWorkbook): the file's bytes go in on the helper's standard input,
// the answer comes out on its standard output, and the exit code says how it ended.

namespace moravel::import {

// Exit codes of the helper. 0 comes with an answer; these two refuse the file; any other
// end (a signal, a limit, another code) is a failure of the helper.
constexpr int kReaderExitUnreadable = 65;  // no reader takes the bytes
constexpr int kReaderExitTooLarge = 66;    // the file or its workbook is out of all reason

// The limits the helper sets itself (setrlimit) before it reads a byte: processor time and
// address space. A file that needs more is a failure of the helper, which the program
// reports as an unreadable workbook. The fuzz targets of the readers run under the same
// limits (tests/fuzz/WorkbookFuzz.h).
constexpr int kReaderCpuSeconds = 10;
constexpr int kReaderMemoryMb = 1536;

}  // namespace moravel::import
