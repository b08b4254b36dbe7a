#include "platform/key_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace filarion::platform {

void KeyTable::clear() {
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_staged.clear();
    m_staged.shrink_to_fit();
    m_used = 0;
    m_erased = 0;
}

void KeyTable::reserve(std::size_t keys, std::size_t bytes) {
    m_staged.reserve(keys);
    m_bytes.reserve(bytes);
}

void KeyTable::stage(std::string_view key, bool file) {
    if (key.size() <= kLongestKey) {
        m_staged.push_back(Slot(m_bytes.size()) | (Slot(key.size()) << kLengthShift) | kUsed | (file ? kFile : 0));
        m_bytes.append(key);
    }
}

// The staged keys lie one after another in the buffer, so hashing them reads it once from start to end;
// the table is sized once for all of them.
void KeyTable::index() {
    std::vector<Slot> staged;
    staged.swap(m_staged);
    for (const Slot slot : m_slots) {
        if ((slot & kUsed) != 0) {
            staged.push_back(slot);
        }
    }
    rebuild(staged.size(), staged, false);
}

void KeyTable::reserveOne() {
    if (4 * (m_used + m_erased + 1) > 3 * m_slots.size()) {
        grow();
    }
}

std::size_t KeyTable::find(std::string_view key, std::size_t hash) const {
    if (m_slots.empty() || key.size() > kLongestKey) {
        return npos;
    }
    const Slot tag = tagOf(hash);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot slot = m_slots[at];
        if (slot == 0) {
            return npos;
        }
        if (matches(slot, tag, key)) {
            return at;
        }
    }
}

// The first used slot on the hash's way whose tag fits: most likely the entry a look-up will compare.
void KeyTable::bringKeyIn(std::size_t hash) const {
    if (m_slots.empty()) {
        return;
    }
    const Slot tag = tagOf(hash);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask, probes = 0; probes < 8; at = (at + 1) & mask, ++probes) {
        const Slot slot = m_slots[at];
        if (slot == 0) {
            return;
        }
        if ((slot & kUsed) != 0 && (slot >> kTagShift) << kTagShift == tag) {
            __builtin_prefetch(m_bytes.data() + (slot & kStartMask));
            return;
        }
    }
}

bool KeyTable::insert(std::string_view key, bool file, std::size_t replacing) {
    // No file system takes a name that long; the table cannot hold it, nor can it be found.
    if (key.size() > kLongestKey) {
        return false;
    }
    reserveOne();
    const std::size_t hash = hashOf(key);
    const Slot tag = tagOf(hash);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t free = npos;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot slot = m_slots[at];
        if (matches(slot, tag, key)) {
            return false;
        }
        if ((slot & kUsed) != 0) {
            continue;
        }
        if (free == npos) {
            free = at;
        }
        if (slot == 0) {
            break;
        }
    }
    // The key goes where the one it replaces lies, when it fits there: renames to names no longer than the old
    // ones leave the buffer as it is.
    Slot start = m_bytes.size();
    if (replacing != npos && key.size() <= keyAt(m_slots[replacing]).size()) {
        start = m_slots[replacing] & kStartMask;
        std::copy(key.begin(), key.end(), m_bytes.begin() + std::ptrdiff_t(start));
    } else {
        m_bytes.append(key);
    }
    m_erased -= m_slots[free] != 0 ? 1 : 0;
    m_slots[free] = start | (Slot(key.size()) << kLengthShift) | kUsed | (file ? kFile : 0) | tag;
    ++m_used;
    return true;
}

// A slot followed by an empty one lies on no other key's way from its home slot: it becomes empty rather
// than erased, and so do the erased ones just before it. Renames then leave few erased slots to grow on.
void KeyTable::erase(std::size_t slot) {
    const std::size_t mask = m_slots.size() - 1;
    --m_used;
    if (m_slots[(slot + 1) & mask] != 0) {
        m_slots[slot] = (m_slots[slot] & ~kUsed) | kErased;
        ++m_erased;
        return;
    }
    m_slots[slot] = 0;
    for (std::size_t at = (slot - 1) & mask; (m_slots[at] & kErased) != 0; at = (at - 1) & mask) {
        m_slots[at] = 0;
        --m_erased;
    }
}

void KeyTable::grow() {
    std::vector<Slot> old;
    old.swap(m_slots);
    rebuild(m_used + 1, old, true);
}

void KeyTable::rebuild(std::size_t entries, const std::vector<Slot>& from, bool unique) {
    std::size_t capacity = 16;
    while (capacity < 2 * entries) {
        capacity *= 2;
    }
    m_slots.assign(capacity, 0);
    m_used = 0;
    m_erased = 0;
    const std::size_t mask = capacity - 1;
    // In batches: every slot of a batch is asked for before the first one is written, so that the batch waits
    // for memory about once rather than once a key.
    constexpr std::size_t kBatch = 32;
    std::array<std::pair<Slot, std::size_t>, kBatch> batch;
    std::size_t next = 0;
    while (next < from.size()) {
        std::size_t count = 0;
        for (; next < from.size() && count < kBatch; ++next) {
            if ((from[next] & kUsed) != 0) {
                const std::size_t hash = hashOf(keyAt(from[next]));
                __builtin_prefetch(&m_slots[hash & mask]);
                batch[count++] = {from[next], hash};
            }
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto [slot, hash] = batch[i];
            const Slot tag = tagOf(hash);
            std::size_t at = hash & mask;
            bool twice = false;
            while (m_slots[at] != 0 && !(twice = !unique && matches(m_slots[at], tag, keyAt(slot)))) {
                at = (at + 1) & mask;
            }
            if (!twice) {
                m_slots[at] = (slot & ~(~Slot(0) << kTagShift)) | tag;
                ++m_used;
            }
        }
    }
}

} // namespace filarion::platform
