#pragma once
// The committed workbooks of tests/import/fixtures (made by make_fixtures.py), and the helper
// program of the build tree for ReadWorkbook.
#include "import/Workbook.h"

#include <QString>

inline QString ImportFixture(const char* name)
{
    return QStringLiteral(MORAVEL_IMPORT_FIXTURES "/") + QString::fromUtf8(name);
}

// ReadWorkbook runs the helper of the build tree, with the given test switches and time limit.
inline void UseReader(const QStringList& arguments = {}, int timeoutMs = 20000)
{
    moravel::import::SetReaderSettings({QStringLiteral(MORAVEL_READER_PROGRAM), arguments, timeoutMs});
}

// Every test of the program reads through the helper of the build tree.
inline const bool kBuildTreeReader = (UseReader(), true);
