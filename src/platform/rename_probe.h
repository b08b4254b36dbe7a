#pragma once

#include "platform/folder_handle.h"

#include <cstdint>
#include <optional>

namespace filarion::platform {

// How a folder's file system lets a rename refuse an existing name, as found by trying it once.
enum class RenameWay : std::uint8_t {
    Unprobed,     // not tried, or the trial could not be made (a folder that takes no new file): each file
                  // goes the whole way, renameat2 first
    NoReplace,    // renameat2 with RENAME_NOREPLACE
    PlainRefuses, // no hard links, and a plain rename onto an existing name fails there (SFTP without
                  // posix-rename): it is the no-replace rename
    LinkOrClaim,  // a hard link and the removal of the old name, or where a file takes no link, a claim
    Unsafe,       // none of these is safe there: nothing may be renamed
};

// Finds the folder's way once, with hidden temporary files of the command's own (named and marked with its
// id) that are removed again. A hard link that fails with an error no file system gives for "no hard links"
// (rclone's EIO) is no evidence that a claim is safe; nor is a claim safe on a mount that uploads files after
// they close (rclone). The way found is remembered for the file system, for the preview.
[[nodiscard]] RenameWay probeRenameWay(const FolderHandle& folder);

// The way a command takes in the folder: probed on FUSE and network file systems, where the answer differs
// from server to server; Unprobed on the kernel's own file systems, whose per-file way is safe as it is, so
// that a local folder never sees the probe's files.
[[nodiscard]] RenameWay renameWayOf(const FolderHandle& folder);

// What is known of the folder's way without writing anything: Unsafe where the mount's type tells it, or the
// way a command of this program found for the folder's file system; Unprobed on the kernel's own file
// systems; nothing where no test was made yet.
[[nodiscard]] std::optional<RenameWay> knownRenameWay(const FolderHandle& folder);

// True when the folder lies on a file system that shows two names of one file as two files (FUSE, NFS,
// SMB): there, "the same file" can only be told by comparing bytes.
bool showsLinksAsCopies(const FolderHandle& folder);

} // namespace filarion::platform
