#pragma once

#include "platform/unique_fd.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <system_error>

namespace filarion::platform {

// A folder held open for the span of one command. Everything the command creates, writes or renames is
// reached through it by bare names, so a folder renamed or replaced by a link meanwhile cannot send a
// write anywhere else. Held with O_PATH: a folder that may be written but not read can still be held.
class FolderHandle {
public:
    [[nodiscard]] std::error_code open(const QString& folder);
    void close();
    bool isOpen() const { return m_fd.isOpen(); }
    int descriptor() const { return m_fd.get(); }

private:
    UniqueFd m_fd;
};

// The bytes of a name as the file system stores it, or nothing when they would not name exactly this
// name: a NUL, a separator, or a character the file-name encoding cannot hold (a split surrogate pair
// would come back as U+FFFD).
[[nodiscard]] std::optional<QByteArray> encodeEntryName(const QString& name);

// True when the folder holds an entry of that name, of any kind (a link is not followed).
[[nodiscard]] bool hasEntry(const FolderHandle& folder, const QString& name);

// A regular file of a held folder, held from the moment it was looked at: while it is held no other file can
// take its identity, so "the entry is this very file" stays exact even when it is removed and another file
// is put at its name.
class HeldFile {
public:
    // Holds the entry of that name when it is itself a regular file (a link to one is not); false otherwise.
    [[nodiscard]] bool open(const FolderHandle& folder, const QString& name);
    bool isOpen() const { return m_fd.isOpen(); }
    // True when the entry of that name in the folder (by its bytes, not following a link) is this file.
    bool isAt(int folder, const char* name) const;

private:
    UniqueFd m_fd;
};

} // namespace filarion::platform
