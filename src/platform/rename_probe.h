#pragma once

#include "platform/folder_handle.h"

#include <cstdint>
#include <sys/stat.h>

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

// Finds the folder's way once, with a hidden pair of temporary files of its own that are removed again. A
// hard link that fails with an error no file system gives for "no hard links" (rclone's EIO) is no evidence
// that a claim is safe; nor is a claim safe on a mount that uploads files after they close (rclone).
[[nodiscard]] RenameWay probeRenameWay(const FolderHandle& folder);

// The way a command takes in the folder: probed on FUSE and network file systems, where the answer differs
// from server to server; Unprobed on the kernel's own file systems, whose per-file way is safe as it is, so
// that a local folder never sees the probe's files.
[[nodiscard]] RenameWay renameWayOf(const FolderHandle& folder);

// The mode a claim is created with, in the one call that creates it, so that a claim left by a kill at any
// moment can be told from any other empty file: no permission bits at all, which no program gives a file it
// means to use. Where the file system keeps no modes (FAT, exFAT) a claim bears no mark and is never removed
// as debris.
inline constexpr mode_t kClaimMode = 0;

// True when the entry (as fstatat or fstat gave it) is an empty regular file bearing the claim's mark.
bool bearsClaimMark(const struct stat& entry);

// True when the folder lies on a file system that shows two names of one file as two files (FUSE, NFS,
// SMB): there, "the same file" can only be told by comparing bytes.
bool showsLinksAsCopies(const FolderHandle& folder);

} // namespace filarion::platform
