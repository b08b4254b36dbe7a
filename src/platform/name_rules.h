#pragma once

#include "platform/unique_fd.h"

#include <QByteArray>
#include <QStringView>
#include <cstdint>

namespace filarion::platform {

// How a folder's file system compares names.
enum class NameCase : std::uint8_t {
    Exact,      // byte for byte (ext4, xfs, btrfs, tmpfs)
    Upper,      // each UTF-16 unit upper-cased, as FAT and exFAT compare through their up-case tables
    CaseFolded, // Unicode case folding after decomposition, as an ext4 folder with the case-folding flag
};

// The rules by which one folder's file system takes names: which names it holds as the same one, and how long a
// name it stores. A name's key is its bytes as the file system compares them: two names with one key are one
// entry.
class NameRules {
public:
    // Reads the rules of a folder: the file system's type and longest name from statfs of the held folder, the
    // case-folding flag from the folder open for reading. Keeps a descriptor of the folder for fits().
    void read(int heldFolder, int readableFolder);
    NameCase nameCase() const { return m_case; }
    // For a file system that shows how it compares names only when asked (exFAT through FUSE says "fuse").
    void setNameCase(NameCase nameCase) { m_case = nameCase; }

    // The key of a name; false when the name has no bytes the file system could store (empty, '/', U+0000, or
    // not encodable as a file name). No allocation for a name of ASCII once the key's room is large enough.
    bool keyOf(QStringView name, QByteArray& key) const;
    // The same, and false too for a name longer than the file system takes.
    bool storableKeyOf(QStringView name, QByteArray& key) const;
    // The key of a name read from the folder as bytes; bytes that do not decode exactly are compared as they are.
    QByteArray keyOfBytes(const QByteArray& bytes) const;
    // True when an entry of exactly these bytes answers a look-up in the folder.
    bool answersLookUp(const QByteArray& bytes) const;

private:
    bool fits(const QByteArray& bytes) const;
    void foldKey(QStringView name, QByteArray& bytes) const;

    NameCase m_case = NameCase::Exact;
    qsizetype m_longestName = 255; // in bytes, as the file system reports it
    UniqueFd m_folder;             // the held folder, for looking up long names
};

} // namespace filarion::platform
