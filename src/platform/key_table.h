#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace filarion::platform {

// A set of byte keys, each with one flag (whether its entry is a file), kept one after another in one buffer
// and found through an open-addressed table: a set of a million keys costs two allocations, not two million.
// It calls nothing of the OS. Keys longer than kLongestKey bytes are never held nor found.
class KeyTable {
public:
    static constexpr std::size_t npos = std::size_t(-1);
    static constexpr std::size_t kLongestKey = 0xFFFF;

    static std::size_t hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

    // Empties the set and gives its memory back.
    void clear();
    std::size_t size() const { return m_used; }
    // Room for that many keys of that many bytes in all to be staged, so that the buffers of a large set are
    // not copied as they grow.
    void reserve(std::size_t keys, std::size_t bytes);
    // Appends a key for index() without looking it up; the table is made once, for all of them.
    void stage(std::string_view key, bool file);
    // Makes the table of the staged keys and those already held; a key staged twice is there once.
    void index();
    // Room for one more key, so that the next insert moves no slot.
    void reserveOne();
    // The key's slot, or npos; `hash` is hashOf(key), where the caller has it already.
    std::size_t find(std::string_view key) const { return find(key, hashOf(key)); }
    std::size_t find(std::string_view key, std::size_t hash) const;
    // Adds the key unless it is there; false when it was. Where `replacing` names the slot of a key that is
    // erased next, the new key may take that key's bytes.
    bool insert(std::string_view key, bool file, std::size_t replacing = npos);
    // Removes the key of a slot that find() or insert() gave.
    void erase(std::size_t slot);
    bool isFile(std::size_t slot) const { return (m_slots[slot] & kFile) != 0; }

    // Calls visit(key, file) for every key.
    template <typename Visit> void forEach(Visit visit) const {
        for (const Slot slot : m_slots) {
            if ((slot & kUsed) != 0) {
                visit(keyAt(slot), (slot & kFile) != 0);
            }
        }
    }

    // Cache hints for a key of that hash looked up soon: its place in the table, and the bytes of the first
    // key found on its way. Neither changes what a look-up answers.
    void bringSlotIn(std::size_t hash) const {
        if (!m_slots.empty()) {
            __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
        }
    }
    void bringKeyIn(std::size_t hash) const;

private:
    // A slot in one word: where its key starts in m_bytes and its length, whether it is used, erased or empty
    // (0), whether the entry is a file, and five bits of the key's hash, so that most mismatches never touch
    // the bytes.
    using Slot = std::uint64_t;
    static constexpr int kLengthShift = 40;
    static constexpr Slot kStartMask = (Slot(1) << kLengthShift) - 1;
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

} // namespace filarion::platform
