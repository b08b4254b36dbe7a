#pragma once

#include "platform/file_rename.h"
#include "platform/folder_handle.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <string_view>
#include <system_error>
#include <unordered_map>

namespace filarion::platform {

// The names of every entry of a held folder at one moment (hidden ones, folders, links and special files
// included), kept as the bytes the file system compares, and renamed in memory as NoReplaceRenamer would rename
// them on the disk: a rename frees the old name and takes the new one, never replaces an entry, and fails
// for a name the file system could not store exactly or that is longer than the folder's file system takes.
// Reading it touches nothing on the disk.
class FolderSnapshot {
public:
    // Reads the folder's entries through the held folder.
    std::error_code take(const FolderHandle& folder);

    // NoReplaceRenamer::rename, played on the snapshot.
    RenameResult rename(const QString& oldName, const QString& newName);

    // True when an entry of that name is there, of any kind.
    bool contains(const QString& name) const;
    // True when the entry of that name is a regular file or a link to one, as the working set counts files.
    bool isFile(const QString& name) const;
    // Adds a regular file of that name unless an entry of that name is there.
    void addFile(const QString& name);

    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }

private:
    // The standard library's string hash: several times faster here than QHash's for a folder's names.
    struct BytesHash {
        std::size_t operator()(const QByteArray& bytes) const noexcept {
            return std::hash<std::string_view>{}(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        }
    };

    std::unordered_map<QByteArray, bool, BytesHash> m_entries; // name bytes -> a file as the working set counts it
    qsizetype m_longestName = 255;                             // in bytes, as the file system reports it
};

// True when a command could append to the file of that name in the held folder as GbkAppendFile opens it:
// an entry of that name is a regular file (no link) that may be written, or there is none and the folder
// may be written. Looks without opening or creating anything.
bool isAppendable(const FolderHandle& folder, const QString& name);

} // namespace filarion::platform
