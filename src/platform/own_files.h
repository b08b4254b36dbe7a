#pragma once

#include "platform/folder_handle.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>

namespace filarion::platform {

// The program puts files of its own into a folder only to remove them again: a claim that holds a new name
// until a file is renamed over it, and the files of the rename-way test. Each holds a mark the program writes
// into it: a fixed magic and the id of the command that made it. A file is the program's own only when its
// content is exactly such a mark. Nothing else proves it: a name, an inode, a size or a mode is made as well by
// a case-insensitive file system, a user, a duplicate finder or another client (and CIFS, exFAT and ntfs-3g
// keep no modes).
class CommandMark {
public:
    static constexpr qsizetype kIdSize = 32;

    // A new id, from the kernel's random source: no two commands share one.
    CommandMark();

    // The id's 32 lowercase hex digits.
    QByteArrayView id() const { return {m_bytes.data() + kMagicSize, kIdSize}; }
    // The whole content of a file that bears it.
    QByteArrayView bytes() const { return {m_bytes.data(), qsizetype(m_bytes.size())}; }

    // True when the content is a mark (of the given id, where one is given).
    static bool isMark(QByteArrayView content, QByteArrayView id = {});
    static bool isId(QByteArrayView id);

    static constexpr qsizetype kMagicSize = 19; // "filarion-temporary "
    static constexpr qsizetype kSize = kMagicSize + kIdSize + 1;

private:
    std::array<char, kSize> m_bytes{};
};

// Writes the mark into a file just created and open for writing; false when it did not go out whole.
[[nodiscard]] bool writeMark(int fd, const CommandMark& mark);

// True when the entry of that name in the folder is one of the program's own files: a regular file (not
// through a link) whose content is exactly a mark (of `id`, where given), and a distinct entry of the folder
// from `other` (where given: on a case-insensitive file system two names may be one entry).
[[nodiscard]] bool isOwnFile(const FolderHandle& folder, const QString& name, QByteArrayView id = {},
                             const QString& other = {});

// Removes the entry of that name when isOwnFile holds, and the name still shows the very file that was read
// just before it goes. False when nothing was removed.
bool removeOwnFile(const FolderHandle& folder, const QString& name, QByteArrayView id = {}, const QString& other = {});

// removeOwnFile for a name's bytes, in a folder's descriptor.
bool removeOwnEntry(int folder, const QByteArray& name, QByteArrayView id);

// The name of the rename-way test's file `which` (0, 1 or 2) of a command: hidden, and the command's own.
QByteArray probeFileName(QByteArrayView id, int which);

// Removes the rename-way test's files that a killed command left in the folder: entries whose name is the
// test's pattern and whose content is the mark of the id in that name, or the first bytes of it (a kill between
// a test file's creation and its mark). Returns how many went.
int removeLeftProbeFiles(const FolderHandle& folder);

} // namespace filarion::platform
