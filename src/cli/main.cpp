// moravel-run: the computations of Moravel without a window (QtCore only, no display).
#include <QString>
#include <QStringList>

#include "cli/Run.h"

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return moravel::cli::RunMain(arguments);
}
