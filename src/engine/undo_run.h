#pragma once

#include "engine/command_services.h"
#include "engine/rename_run.h"

#include <QString>

namespace filarion::engine {

// The undo of the last run that the folder's rename log records: the event lines after its last header line.
// Its done lines are taken back in reverse order, each file now bearing the new name renamed to the old one
// with the run's own no-replace rename. A line counts only where it identifies one file exactly: split at one
// "改名为" such that the new name is a file of the folder (a link to one counts) and the old name is free, at
// the moment that line is taken back; a line that no split or several splits fit, that holds a '?' (a
// character the log could not hold), or that is torn, is left alone and counted. The plan is made on a
// snapshot of the folder before the user is asked; nothing is touched unless the answer is Yes.
//
// The undo is itself a run: it holds the window busy, appends a header line and one event line per rename
// in the log's usual forms (each handed to the OS before the next rename), and refreshes the file list. A
// log that is a link or not a regular file, or cannot be written, gives the run's log message and nothing is
// renamed; no reversible line gives its own message and nothing else. Lines left alone and renames that
// failed are told in one message at the end.
void UndoLastRun(const QString& folder, CommandServices& services,
                 const RunEnvironment& environment = defaultRunEnvironment());

} // namespace filarion::engine
