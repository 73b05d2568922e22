#pragma once
// The committed workbooks of tests/excel/fixtures (made by make_fixtures.py).
#include <QString>

inline QString ImportFixture(const char* name)
{
    return QStringLiteral(MORAVEL_IMPORT_FIXTURES "/") + QString::fromUtf8(name);
}
