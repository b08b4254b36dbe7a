#pragma once

#include "platform/file_rename.h"
#include "platform/folder_handle.h"
#include "platform/key_table.h"
#include "platform/name_rules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
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
    // The size the next take() is to expect, a guess: about that many entries, their names that many bytes in
    // all. The buffers are made that large at once rather than copied as they grow. Changes no answer.
    void expectSize(std::size_t entries, std::size_t bytes) {
        m_expectedEntries = entries;
        m_expectedBytes = bytes;
    }

    // NoReplaceRenamer::rename, played on the snapshot.
    RenameResult rename(QStringView oldName, QStringView newName);

    // True when an entry of that name is there, of any kind.
    bool contains(QStringView name) const;
    // True when the entry of that name is a regular file or a link to one, as the working set counts files.
    bool isFile(QStringView name) const;
    // Adds a regular file of that name unless an entry of that name is there.
    void addFile(QStringView name);
    // Takes the entry of that name out, as a removal on the disk would.
    void forget(QStringView name);
    // True when the two names differ but name one entry: the file system compares them without the letter
    // case in which they differ.
    bool isOneEntry(QStringView first, QStringView second) const;

    // The names the calls will come for, in this order: one text and the starts of its names in it, then the
    // text's end (as engine::NameList holds them). A rename of a name that lies in that text brings the places in
    // the table of the names up to 16 further on into the cache, and the bytes of the entries found there half as
    // far ahead, so that a walk of a million names at random places rarely waits for memory. Only on a folder
    // that compares names exactly, for names of ASCII, whose bytes are their keys. Changes no answer.
    void expectWalk(const QString& text, const QList<std::uint32_t>& starts);
    // The names that the calls of contains and isFile will come for, for a reader that finds them out as it goes
    // (the undo's reading of the log): each call of `next` gives the next name's bytes as the folder stores them,
    // valid until the next call, and false once none come. The snapshot pulls them as far ahead as it looks, 32
    // names, and brings them into the cache as for a walk; a look-up of a name among those pulled passes the ones
    // before it, so that names never looked up, and look-ups of names never given, only cost their hint. Same
    // conditions; changes no answer. `next` is called only from contains and isFile, until expectLookUps({}).
    using NamesAhead = std::function<bool(QByteArrayView& name)>;
    void expectLookUps(NamesAhead next);

    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    NameCase nameCase() const { return m_rules.nameCase(); }
    // How the folder's file system takes names: their keys and the longest it stores.
    const NameRules& rules() const { return m_rules; }

private:
    static constexpr int kHintDistance = 16;                // a walk's names looked ahead
    static constexpr int kLookUpsAhead = 2 * kHintDistance; // names pulled ahead of the look-ups

    bool lookupIgnoresCase() const;
    bool takesHints() const;
    // Hints the names of the walk up to kHintDistance past the one that holds `name`, each once.
    void lookAheadOf(QStringView name);
    // Passes the names pulled up to the looked-up key (of that hash), and pulls and hints more up to
    // kLookUpsAhead.
    void followLookUp(std::size_t hash) const;
    // Pulls and hints names until kLookUpsAhead are pulled and not passed; false once none come.
    bool pullNamesAhead() const;
    void hint(QStringView name);
    // The key's place in the table comes into the cache at once, the bytes of the entry found there m_keyDelay
    // hints later (a power of two); an empty key hints nothing but keeps the distance. The key's hash, 0 for none.
    std::size_t hintKey(std::string_view key) const;

    KeyTable m_entries; // name key -> a file as the working set counts it
    std::size_t m_expectedEntries = 0;
    std::size_t m_expectedBytes = 0;
    NameRules m_rules;
    // Reused for the names of each call, so that a look-up or a rename allocates nothing.
    mutable QByteArray m_key;
    QByteArray m_newKey;
    mutable QByteArray m_newKeyOfLookUp;
    QString m_walkText; // shared with the walk's list, so that its names are found in it by where they lie
    QList<std::uint32_t> m_walkStarts;
    qsizetype m_walkAt = 0;     // the name of the walk the last call was for
    qsizetype m_walkHinted = 0; // the names of the walk before this one are hinted
    // The look-ahead's own state: it changes no answer, so a look-up that only reads may move it.
    mutable NamesAhead m_namesAhead;
    mutable std::array<std::size_t, kLookUpsAhead> m_pulled{}; // the hashes of the names pulled, not yet passed
    mutable int m_pulledFirst = 0;
    mutable int m_pulledCount = 0;
    mutable std::array<std::size_t, kLookUpsAhead / 2> m_hinted{}; // the hashes of the last names hinted, 0 for none
    mutable std::size_t m_hints = 0;
    mutable std::size_t m_keyDelay = kHintDistance / 2;
};

} // namespace filarion::platform
