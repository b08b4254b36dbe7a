#pragma once

#include "platform/folder_handle.h"
#include "platform/rename_probe.h"

#include <QString>
#include <vector>

namespace filarion::engine {

// The claims that a killed rename left at the new names of the log's last run: names whose entry is one of the
// program's own files (its content is exactly a command's mark), a distinct entry from the line's old name.
// Read from the log's end only as far as the last line whose rename evidently happened; lines the run refused
// are passed over. Reads only: nothing is removed.
struct LeftClaim {
    QString name;        // the line's new name, where the claim stands
    QString lineOldName; // the name of the file that was to be renamed over it
};
using LeftClaims = std::vector<LeftClaim>;
[[nodiscard]] LeftClaims findLeftClaims(const platform::FolderHandle& folder);

// Readies a held folder for a run or an undo, under the command's lock (its log open and locked): removes the
// claims found by findLeftClaims (each checked again as it goes), and on FUSE and network folders the
// rename-way test's files that a killed command left, then finds the folder's rename way (renameWayOf). False
// when no way of renaming there refuses to replace a file: nothing may be renamed then. Nothing else in the
// folder is ever removed: a name that holds a file of anybody else's, or the one photo under two names that a
// kill between the two steps of a link rename leaves, stays.
[[nodiscard]] bool readyForRenames(const platform::FolderHandle& folder, const LeftClaims& claims,
                                   platform::RenameWay& way);

} // namespace filarion::engine
