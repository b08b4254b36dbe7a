#pragma once

#include "platform/folder_handle.h"

#include <QString>
#include <cstdint>

namespace filarion::platform {

// What the two names of one rename line show in a held folder.
enum class PairState : std::uint8_t {
    Other,      // anything else: nothing may be touched
    Renamed,    // the old name is free and the new one a file: the rename was made
    NotRenamed, // the old name is a file and the new one free: the rename was not made
    TwoNames,   // both names hold the one file (the same inode; or, where the file system shows two names of
                // one file as two files, the same bytes compared in full): a link whose unlink a kill stopped
    ClaimLeft,  // the old name is a file and the new one an empty claim bearing the claim's mark
};

[[nodiscard]] PairState examinePair(const FolderHandle& folder, const QString& oldName, const QString& newName);

// Removes the entry when it still is what examinePair found it to be: the old name of TwoNames, the new name
// of ClaimLeft. False when nothing was removed.
bool removeDebris(const FolderHandle& folder, const QString& oldName, const QString& newName, PairState state);

// Holds an exclusive flock on a regular file of the folder (never through a link), without waiting; not
// open when another holder has it or the file is not there.
[[nodiscard]] UniqueFd tryLockFile(const FolderHandle& folder, const QString& name);

} // namespace filarion::platform
