#pragma once

#include "platform/folder_handle.h"
#include "platform/rename_probe.h"

namespace filarion::engine {

// Readies a held folder for a run or an undo, before anything is written: finds the folder's rename way
// once (renameWayOf), and clears what a killed two-step rename of the last run left (clearRunDebris). False when no way
// of renaming there refuses to replace a file: nothing may be renamed then, and nothing was touched.
[[nodiscard]] bool readyForRenames(const platform::FolderHandle& folder, platform::RenameWay& way);

// Reads the last lines of the log's last run, from its end, and completes what a kill between the two steps
// of a rename left: where a line's old and new names hold the one file, the old name goes; where the new
// name holds an empty claim bearing the claim's mark and the old name the file, the claim goes. Nothing
// else is touched; a log held by another writer, or one that cannot be read, leaves everything as it is.
// Returns the number of entries removed.
int clearRunDebris(const platform::FolderHandle& folder);

} // namespace filarion::engine
