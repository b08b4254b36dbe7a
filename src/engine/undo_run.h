#pragma once

#include "engine/command_services.h"
#include "engine/rename_run.h"

#include <QString>

namespace filarion::engine {

// The undo of the last run that the folder's rename log records: the event lines after its last header line,
// read from the log's end backwards only as far as that header, so that neither time nor memory grows with
// the rest of the log. Its renames are taken back in reverse order, each file now bearing the new name
// renamed to the old one with the run's own no-replace rename. A line is read against the folder, whatever
// its ending: it is taken back where exactly one split at "改名为" names a file of the folder (a link to one
// counts) under the new name with the old name free, at the moment that line is taken back. Refusals, names
// that stayed, a done line followed in the run by the refusal of the same names, and the done lines at the
// log's end written ahead of renames that a kill stopped (new name free, old name a file) are no renames.
// Left alone and counted: a line that no split or several splits fit, a torn or overlong line, bytes that
// are no GBK, a '?' (a character the log could not hold), a rename from or to the log, the program's own
// file or a hidden name, or back to a name with a control character. The plan is made on a snapshot of the folder
// before the user is asked, and the question counts only the steps it can take; nothing is touched unless
// the answer is Yes.
//
// The undo is itself a run: it holds the log's lock from before it reads the log (another run or undo
// holding it: the user is told so and nothing is touched), holds the window busy, appends a header line and
// one event line per rename in the log's usual forms (each on the disk before its rename), syncs the log
// and the folder, and refreshes the file list. A log
// that is a link or not a regular file, cannot be read or cannot be written, gives the run's log message and
// nothing is renamed; no reversible line gives its own message and nothing else. Lines left alone and
// renames that failed are told in one message at the end.
void undoLastRun(const QString& folder, CommandServices& services,
                 const RunEnvironment& environment = defaultRunEnvironment());

} // namespace filarion::engine
