#pragma once

#include "platform/file_rename.h"
#include "platform/folder_handle.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace filarion::platform {

// How a folder's file system compares names.
enum class NameCase : std::uint8_t {
    Exact,      // byte for byte (ext4, xfs, btrfs, tmpfs)
    Upper,      // each UTF-16 unit upper-cased, as FAT and exFAT compare through their up-case tables
    CaseFolded, // Unicode case folding after decomposition, as an ext4 folder with the case-folding flag
};

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
    // under another letter case.
    [[nodiscard]] std::error_code take(const FolderHandle& folder);

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
    bool takesHints() const { return m_case == NameCase::Exact; }
    void hint(QStringView name);
    // The same for a name given as its key's bytes; an empty key hints nothing but keeps the distance.
    void hintKey(std::string_view key);
    // Only the place in the table, for a name looked up beside the hinted one.
    void bringSlotIn(std::string_view key) const { m_entries.bringSlotIn(hashOf(key)); }

    qsizetype size() const { return static_cast<qsizetype>(m_entries.size()); }
    NameCase nameCase() const { return m_case; }

private:
    static std::size_t hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

    // The keys of the entries (their names as the file system compares them), one after another in one
    // buffer, found through an open-addressed table: a folder of a million names costs two allocations, not
    // two million. A rename writes the new key over the old one where it fits, else appends it.
    class KeyTable {
    public:
        void clear();
        std::size_t size() const { return m_used; }
        // Appends a key for index() without looking it up; the table is made once, for all of them.
        void stage(std::string_view key, bool file);
        // Makes the table of the staged keys; a key staged twice is there once.
        void index();
        // Room for one more key, so that the next insert moves no slot.
        void reserveOne();
        // The entry's slot, or npos.
        std::size_t find(std::string_view key) const;
        // Adds the key unless it is there; false when it was. Where replacing names the slot of an entry that
        // is erased next, the key may take that entry's bytes.
        bool insert(std::string_view key, bool file, std::size_t replacing = npos);
        void erase(std::size_t slot);
        bool isFile(std::size_t slot) const { return (m_slots[slot] & kFile) != 0; }
        void bringSlotIn(std::size_t hash) const {
            if (!m_slots.empty()) {
                __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
            }
        }
        void bringKeyIn(std::size_t hash) const;
        // Calls visit(key, file) for every entry.
        template <typename Visit> void forEach(Visit visit) const {
            for (const Slot slot : m_slots) {
                if ((slot & kUsed) != 0) {
                    visit(keyAt(slot), (slot & kFile) != 0);
                }
            }
        }

        static constexpr std::size_t npos = std::size_t(-1);

    private:
        // A slot in one word: where its key starts in m_bytes and its length, whether it is used, erased or
        // empty (0), whether the entry is a file, and five bits of the key's hash, so that most mismatches
        // never touch the bytes.
        using Slot = std::uint64_t;
        static constexpr int kLengthShift = 40;
        static constexpr Slot kStartMask = (Slot(1) << kLengthShift) - 1;
        static constexpr Slot kLongestKey = 0xFFFF;
        static constexpr Slot kUsed = Slot(1) << 56;
        static constexpr Slot kErased = Slot(1) << 57;
        static constexpr Slot kFile = Slot(1) << 58;
        static constexpr int kTagShift = 59;

        static Slot tagOf(std::size_t hash) { return Slot(hash >> 59) << kTagShift; }
        std::string_view keyAt(Slot slot) const {
            return {m_bytes.data() + (slot & kStartMask), std::size_t((slot >> kLengthShift) & kLongestKey)};
        }
        bool matches(Slot slot, Slot tag, std::string_view key) const {
            return (slot & kUsed) != 0 && (slot >> kTagShift) << kTagShift == tag && keyAt(slot) == key;
        }
        void grow();
        // Slots for twice the given entries, with every used slot of from (the old slots, or the staged ones)
        // placed again; erased ones are dropped.
        void rebuild(std::size_t entries, const std::vector<Slot>& from, bool unique);

        std::string m_bytes;
        std::vector<Slot> m_slots;  // a power of two long, at most 3/4 of it used or erased
        std::vector<Slot> m_staged; // keys appended by stage(), not yet in the table
        std::size_t m_used = 0;
        std::size_t m_erased = 0;
    };

    // The key of a name: its bytes as the file system compares them; false when the name cannot be stored.
    bool keyOf(QStringView name, QByteArray& key) const;
    // Turns the name's bytes (encoded) into its key, in place.
    void foldKey(QStringView name, QByteArray& bytes) const;
    QByteArray keyOfBytes(const QByteArray& bytes) const;
    bool fits(const QByteArray& bytes) const;
    bool lookupIgnoresCase() const;

    KeyTable m_entries;            // name key -> a file as the working set counts it
    qsizetype m_longestName = 255; // in bytes, as the file system reports it
    NameCase m_case = NameCase::Exact;
    UniqueFd m_folder; // the held folder, for looking up long names
    // Reused for the names of each call, so that a look-up or a rename allocates nothing.
    mutable QByteArray m_key;
    QByteArray m_newKey;
    std::array<std::size_t, kHintDistance / 2> m_hinted{}; // the hashes of the last names hinted, 0 for none
    std::size_t m_hints = 0;
};

} // namespace filarion::platform
