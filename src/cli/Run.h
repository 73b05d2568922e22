#pragma once
// moravel-run's commands on their arguments: the exit code of the program.
#include <QStringList>

namespace moravel::cli {

// The exit codes (the manual page lists them).
enum ExitCode : int {
    kExitOk = 0,
    kExitDataError = 1,     // a project or data file that can't be read, inputs refused, a fault
    kExitUsage = 2,         // a command line that can't be run
    kExitOutputError = 3,   // an output that can't be written
    kExitMergeRefused = 4,  // shards that are not one series
};

// Runs the command of `arguments` (those after the program's name); messages go to standard
// error, prefixed "moravel-run: ".
int RunMain(const QStringList& arguments);

}  // namespace moravel::cli
