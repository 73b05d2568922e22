// Writes the example case into a folder: make_zlewnia <folder>
#include "ZlewniaCase.h"
#include "text/Error.h"

#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_zlewnia <folder>\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    using namespace moravel;
    try {
        files::WriteRainfallFile(folder + "/zlewnia.kwp", examples::ZlewniaRainfall());
        files::WriteScsFile(folder + "/zlewnia.kws", examples::ZlewniaLandUse());
        files::WriteParametersFile(folder + "/zlewnia.kwx", examples::ZlewniaParameters());
        files::WriteProjectFile(folder + "/zlewnia.kpr", examples::ZlewniaProject(folder));
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
