#pragma once
// The committed workbooks of tests/import/fixtures (made by make_fixtures.py), and the helper
// program of the build tree (or its test build) for ReadWorkbook.
#include "import/Workbook.h"

#include <QString>

inline QString ImportFixture(const char* name)
{
    return QStringLiteral(MORAVEL_IMPORT_FIXTURES "/") + QString::fromUtf8(name);
}

// The helper of the build tree, run as the program runs it, with the given arguments and time
// limit.
inline moravel::import::ReaderSettings BuildTreeReader(const QStringList& arguments = {}, int timeoutMs = 20000)
{
    return {QStringLiteral(MORAVEL_READER_PROGRAM), arguments, timeoutMs};
}

#ifdef MORAVEL_TEST_READER_PROGRAM
// The test build of the helper, which obeys `testSwitch` ("--test-crash", "--test-hang" or
// "--test-garbage").
inline moravel::import::ReaderSettings FailingReader(const QString& testSwitch, int timeoutMs = 20000)
{
    return {QStringLiteral(MORAVEL_TEST_READER_PROGRAM), {testSwitch}, timeoutMs};
}
#endif
