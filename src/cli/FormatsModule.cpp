#include "cli/FormatsModule.h"

#include <dlfcn.h>

#include "cli/Formats.h"
#include "text/Error.h"

namespace moravel::cli {
namespace {

constexpr char kModuleName[] = "moravel-formats.so";

// Loads the module once and keeps it to the end of the program. A module that is missing or
// of another version ends the command with the loader's reason: the installation is broken.
const FormatFunctions& Functions()
{
    static const FormatFunctions* const functions = [] {
        void* handle = dlopen(kModuleName, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            throw Error(QStringLiteral("Nie można wczytać modułu %1: %2")
                            .arg(QLatin1String(kModuleName), QString::fromLocal8Bit(dlerror())));
        using Entry = const FormatFunctions* (*)();
        const auto entry = reinterpret_cast<Entry>(dlsym(handle, "moravel_format_functions"));
        const FormatFunctions* f = entry ? entry() : nullptr;
        if (!f || QLatin1String(f->version) != QLatin1String(MORAVEL_VERSION))
            throw Error(QStringLiteral("Moduł %1 nie pochodzi z tej wersji programu (%2)")
                            .arg(QLatin1String(kModuleName), QStringLiteral(MORAVEL_VERSION)));
        return f;
    }();
    return *functions;
}

}  // namespace

std::unique_ptr<SeriesPartWriter> CreateHydrographFile(const QString& path, const RangeIdentity& identity,
                                                       const PartOrigin& origin)
{
    return Functions().createHydrographFile(path, identity, origin);
}

std::unique_ptr<SeriesPartReader> OpenHydrographFile(const QString& path)
{
    return Functions().openHydrographFile(path);
}

void WriteVariantsWorkbookFile(const report::VariantsComparison& c, const QString& path)
{
    Functions().writeVariantsWorkbook(c, path);
}

}  // namespace moravel::cli
