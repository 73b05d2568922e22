#pragma once
// The temporaries moravel-run leaves when it is killed while writing (a shard or a merge
// stopped by the scheduler, a machine that went down): the folders and files of Output.h,
// under hidden names beside their outputs. Each name says which process made it, so that the
// next run writing into the same folder removes those whose process is gone, and only those.
#include <QString>

namespace moravel::cli {

// The owner part of a temporary's name, "<host>-<pid>": the machine's name (characters other
// than letters, digits, '_' and '.' as '_') and this process's id.
QString TemporaryOwner();

// Removes from `folder` every temporary of moravel-run, ".<name>.moravel-<host>-<pid>-XXXXXX"
// (and its ".old"), made on this machine by a process that no longer runs. A temporary of a
// process that runs, of another machine (whose processes can't be asked) or of another form is
// left as it is.
void RemoveStaleTemporaries(const QString& folder);

}  // namespace moravel::cli
