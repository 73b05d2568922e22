#pragma once
// The committed workbooks of tests/import/fixtures (made by make_fixtures.py), and the helper
// program of the build tree (or its test build) for ReadWorkbook.
#include "import/Workbook.h"

#include <QString>

inline QString ImportFixture(const char* name)
{
    return QStringLiteral(MORAVEL_IMPORT_FIXTURES "/") + QString::fromUtf8(name);
}

// ReadWorkbook runs the helper of the build tree, as the program does, with the given
// arguments and time limit.
inline void UseReader(const QStringList& arguments = {}, int timeoutMs = 20000)
{
    moravel::import::SetReaderSettings({QStringLiteral(MORAVEL_READER_PROGRAM), arguments, timeoutMs});
}

#ifdef MORAVEL_TEST_READER_PROGRAM
// ReadWorkbook runs the test build of the helper, which obeys `testSwitch` ("--test-crash",
// "--test-hang" or "--test-garbage"); UseReader() goes back to the real one.
inline void UseFailingReader(const QString& testSwitch, int timeoutMs = 20000)
{
    moravel::import::SetReaderSettings({QStringLiteral(MORAVEL_TEST_READER_PROGRAM), {testSwitch}, timeoutMs});
}
#endif

// Every test of the program reads through the helper of the build tree.
inline const bool kBuildTreeReader = (UseReader(), true);
