#pragma once

#include <QString>

#include <cstdint>
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

// A folder held open for a batch of renames within it. Renames never replace an entry:
// renameat2 with RENAME_NOREPLACE where the file system takes it, else link and unlink, and only
// where neither works a check followed by a plain rename.
class RenameFolder {
public:
    RenameFolder() = default;
    ~RenameFolder();
    RenameFolder(const RenameFolder&) = delete;
    RenameFolder& operator=(const RenameFolder&) = delete;

    std::error_code open(const QString& folder);
    bool isOpen() const { return m_fd >= 0; }
    void close();

    // Renames oldName to newName inside the folder. Identical names succeed without touching the disk.
    RenameOutcome rename(const QString& oldName, const QString& newName);

private:
    enum class Strategy : std::uint8_t { NoReplace, LinkUnlink, CheckThenRename };
    int m_fd = -1;
    Strategy m_strategy = Strategy::NoReplace;
};

// One rename without a held folder (opens and closes the folder around it).
RenameOutcome renameNoReplace(const QString& folder, const QString& oldName, const QString& newName);

} // namespace filarion::platform
