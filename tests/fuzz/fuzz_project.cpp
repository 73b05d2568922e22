// Any byte string read as a project file: three paths without line breaks; saving them and
// reading the result again names the same three files.
#include "FuzzCheck.h"
#include "files/DataFiles.h"

#include <QDir>
#include <cstdint>

using namespace moravel::files;

namespace {
bool SameFile(const QString& a, const QString& b)
{
    return a.isEmpty() ? b.isEmpty() : QDir::cleanPath(a) == QDir::cleanPath(b);
}
bool HasBreak(const QString& s)
{
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString project = QStringLiteral("/sprawy/zlewnia/projekt.kpr");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ProjectPaths p = DecodeProject(bytes, project);
    for (const QString* s : {&p.rainfall, &p.scs, &p.parameters})
        FUZZ_CHECK(!HasBreak(*s));

    const ProjectPaths back = DecodeProject(EncodeProject(p, project), project);
    FUZZ_CHECK(SameFile(back.rainfall, p.rainfall));
    FUZZ_CHECK(SameFile(back.scs, p.scs));
    FUZZ_CHECK(SameFile(back.parameters, p.parameters));
    return 0;
}
