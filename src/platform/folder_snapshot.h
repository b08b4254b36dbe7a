#pragma once

#include "platform/file_rename.h"
#include "platform/folder_handle.h"
#include "platform/key_table.h"
#include "platform/name_rules.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

namespace filarion::platform {

// The names of every entry of a held folder at one moment (hidden ones, folders, links and special files
// included), kept as the file system compares them, and renamed in memory as NoReplaceRenamer would rename them
// on the disk: a rename frees the old name and takes the new one, never replaces an entry, and fails for a
// name the file system could not store exactly or that is longer than it takes. On a file system that
// compares names without letter case (FAT, exFAT, an ext4 folder with the case-folding flag) a name that
// differs from an entry only in case is taken, that entry's own name included. It writes nothing: it reads
// the folder once and afterwards only looks up names too long for every file system to take.
class FolderSnapshot {
public:
    // Reads the folder's entries through the held folder, and finds out how its file system compares names:
    // from the folder's case-folding flag, from the file system's type, or else by looking up an entry
    // under another letter case. A given nameCase is taken instead of what the folder tells: the one way to
    // play a file system's rule on a machine that cannot mount one (a kernel without case folding).
    [[nodiscard]] std::error_code take(const FolderHandle& folder, std::optional<NameCase> nameCase = std::nullopt);

    // NoReplaceRenamer::rename, played on the snapshot.
    RenameResult rename(QStringView oldName, QStringView newName);

    // True when an entry of that name is there, of any kind.
    bool contains(QStringView name) const;
    // True when the entry of that name is a regular file or a link to one, as the working set counts files.
    bool isFile(QStringView name) const;
    // Adds a regular file of that name unless an entry of that name is there.
    void addFile(QStringView name);

    // Hints for the names of a list walked in order, each given kHintDistance names ahead of its look-up: its
    // place in the table comes into the cache at once, and the bytes of the entry found there half as far
    // ahead. A million look-ups at random then rarely wait for memory. Hints are taken only on a folder that
    // compares names exactly (takesHints), for names of ASCII, whose bytes are their keys. No hint changes
    // what a look-up answers.
    static constexpr int kHintDistance = 16;
    bool takesHints() const { return m_rules.nameCase() == NameCase::Exact && hintsOn(); }
    // Whether any snapshot of the process takes hints (they do unless turned off): the bench turns them off to
    // measure what they save.
    static void setHintsOn(bool on);
    static bool hintsOn();
    void hint(QStringView name);
    // The same for a name given as its key's bytes; an empty key hints nothing but keeps the distance.
    void hintKey(std::string_view key);
    // Only the place in the table, for a name looked up beside the hinted one.
    void bringSlotIn(std::string_view key) const { m_entries.bringSlotIn(KeyTable::hashOf(key)); }

    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    NameCase nameCase() const { return m_rules.nameCase(); }

private:
    bool lookupIgnoresCase() const;

    KeyTable m_entries; // name key -> a file as the working set counts it
    NameRules m_rules;
    // Reused for the names of each call, so that a look-up or a rename allocates nothing.
    mutable QByteArray m_key;
    QByteArray m_newKey;
    std::array<std::size_t, kHintDistance / 2> m_hinted{}; // the hashes of the last names hinted, 0 for none
    std::size_t m_hints = 0;
};

} // namespace filarion::platform
