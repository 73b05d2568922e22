#include "cli/FormatsModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cli/Formats.h"
#include "text/Error.h"

namespace moravel::cli {
namespace {

constexpr char kModuleName[] = "moravel-formats.so";

// Opens the module from the first folder of the program's library search path that holds it
// (its run path first: the build tree's folder, or the package's). The path is asked of the
// loader and the module opened by its full name, because a dlopen by bare name searches the run
// path of its caller, and a sanitizer's interceptor is a caller of its own.
void* OpenModule()
{
    void* program = dlopen(nullptr, RTLD_LAZY);
    Dl_serinfo size{};
    if (program && dlinfo(program, RTLD_DI_SERINFOSIZE, &size) == 0) {
        std::vector<char> buffer(size.dls_size);
        auto* info = reinterpret_cast<Dl_serinfo*>(buffer.data());
        *info = size;
        if (dlinfo(program, RTLD_DI_SERINFOSIZE, info) == 0 && dlinfo(program, RTLD_DI_SERINFO, info) == 0) {
            for (unsigned i = 0; i < info->dls_cnt; ++i) {
                const std::string path = std::string(info->dls_serpath[i].dls_name) + '/' + kModuleName;
                if (::access(path.c_str(), F_OK) == 0)
                    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            }
        }
    }
    return dlopen(kModuleName, RTLD_NOW | RTLD_LOCAL);
}

// Loads the module once and keeps it to the end of the program. A module that is missing or
// of another version ends the command with the loader's reason: the installation is broken.
const FormatFunctions& Functions()
{
    static const FormatFunctions* const functions = [] {
        void* handle = OpenModule();
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

void WriteDesignFloodWorkbookFile(const model::DesignFloodResult& result,
                                  const report::DesignFloodDescription& description, const QString& path)
{
    Functions().writeDesignFloodWorkbook(result, description, path);
}

}  // namespace moravel::cli
