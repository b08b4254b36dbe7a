#pragma once

#include "platform/folder_handle.h"
#include "platform/own_files.h"
#include "platform/rename_probe.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <system_error>

namespace filarion::platform {

enum class RenameResult : std::uint8_t {
    Renamed,
    TargetExists, // a file, folder or link of the new name is there; nothing was changed
    Failed,       // any other failure; see the error
};

struct RenameOutcome {
    RenameResult result = RenameResult::Failed;
    std::error_code error;
};

// Renames within one held folder. A rename never replaces an entry: renameat2 with RENAME_NOREPLACE where
// the file system takes it; else a hard link then the removal of the old name; and where the file system
// (or this one file) takes no hard link, the new name is first claimed by creating it exclusively and writing
// the command's mark into it, then the file is renamed over the claim. Which way a file goes is decided for that file;
// only the file system's refusal of RENAME_NOREPLACE itself is remembered for the folder. A way found by probeRenameWay
// goes straight to its call; where it is Unsafe nothing is renamed (ENOTSUP).
class NoReplaceRenamer {
public:
    explicit NoReplaceRenamer(const FolderHandle& folder, RenameWay way = RenameWay::Unprobed)
        : m_folder(folder), m_way(way), m_noReplaceRefused(way == RenameWay::LinkOrClaim) {}

    // Renames oldName to newName inside the folder. Identical names succeed without touching the disk; a new
    // name that the file system could not store exactly fails without touching it (EILSEQ).
    [[nodiscard]] RenameOutcome rename(const QString& oldName, const QString& newName);

private:
    // Nothing when the file system (or this file) takes no hard link.
    [[nodiscard]] std::optional<RenameOutcome> linkThenUnlink(const char* from, const char* to);
    [[nodiscard]] RenameOutcome claimThenRename(const char* from, const char* to);
    [[nodiscard]] RenameOutcome plainRename(const char* from, const char* to);

    const FolderHandle& m_folder;
    CommandMark m_mark; // the content of this command's claims
    RenameWay m_way;
    bool m_noReplaceRefused;
};

} // namespace filarion::platform
