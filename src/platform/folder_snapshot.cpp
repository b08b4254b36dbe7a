#include "platform/folder_snapshot.h"

#include "platform/folder_listing.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

// Every file system takes a name of this many bytes, if its own limit is not lower; exFAT and FAT take longer
// ones as long as they are at most 255 UTF-16 units.
constexpr qsizetype kNameBytesEverywhere = 255;

QString upperEachUnit(QString name) {
    for (QChar& unit : name) {
        unit = QChar(static_cast<char16_t>(QChar::toUpper(unit.unicode())));
    }
    return name;
}

QString foldedAs(NameCase nameCase, QStringView name) {
    switch (nameCase) {
    case NameCase::Exact:
        break;
    case NameCase::Upper:
        return upperEachUnit(name.toString());
    case NameCase::CaseFolded:
        return name.toString().normalized(QString::NormalizationForm_D).toCaseFolded();
    }
    return name.toString();
}

// The name with its ASCII letters in the other case (upper when that changes it, else lower); empty for a
// name without any.
QByteArray otherAsciiCase(const QByteArray& bytes) {
    const QByteArray upper = bytes.toUpper();
    return upper != bytes ? upper : bytes.toLower() != bytes ? bytes.toLower() : QByteArray();
}

// encodeEntryName, with a shortcut for a name of ASCII only, whose bytes are its units (written into the
// buffer's own room: no allocation once it is large enough).
bool encodeName(QStringView name, QByteArray& bytes) {
    const qsizetype size = name.size();
    if (size == 0) {
        return false;
    }
    bytes.resize(size);
    char* out = bytes.data();
    const char16_t* in = name.utf16();
    for (qsizetype i = 0; i < size; ++i) {
        if (in[i] >= 0x80) {
            std::optional<QByteArray> encoded = encodeEntryName(name.toString());
            bytes = encoded.value_or(QByteArray());
            return encoded.has_value();
        }
        if (in[i] == u'\0' || in[i] == u'/') {
            return false;
        }
        out[i] = static_cast<char>(in[i]);
    }
    return true;
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

} // namespace

void FolderSnapshot::KeyTable::clear() {
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_staged.clear();
    m_staged.shrink_to_fit();
    m_used = 0;
    m_erased = 0;
}

void FolderSnapshot::KeyTable::stage(std::string_view key, bool file) {
    if (key.size() <= kLongestKey) {
        m_staged.push_back(Slot(m_bytes.size()) | (Slot(key.size()) << kLengthShift) | kUsed | (file ? kFile : 0));
        m_bytes.append(key);
    }
}

// The staged keys lie one after another in the buffer, so hashing them reads it once from start to end;
// the table is sized once for all of them.
void FolderSnapshot::KeyTable::index() {
    std::vector<Slot> staged;
    staged.swap(m_staged);
    for (const Slot slot : m_slots) {
        if ((slot & kUsed) != 0) {
            staged.push_back(slot);
        }
    }
    rebuild(staged.size(), staged, false);
}

void FolderSnapshot::KeyTable::reserveOne() {
    if (4 * (m_used + m_erased + 1) > 3 * m_slots.size()) {
        grow();
    }
}

std::size_t FolderSnapshot::KeyTable::find(std::string_view key) const {
    if (m_slots.empty() || key.size() > kLongestKey) {
        return npos;
    }
    const std::size_t hash = hashOf(key);
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
void FolderSnapshot::KeyTable::bringKeyIn(std::size_t hash) const {
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

bool FolderSnapshot::KeyTable::insert(std::string_view key, bool file, std::size_t replacing) {
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
void FolderSnapshot::KeyTable::erase(std::size_t slot) {
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

void FolderSnapshot::KeyTable::grow() {
    std::vector<Slot> old;
    old.swap(m_slots);
    rebuild(m_used + 1, old, true);
}

void FolderSnapshot::KeyTable::rebuild(std::size_t entries, const std::vector<Slot>& from, bool unique) {
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

std::error_code FolderSnapshot::take(const FolderHandle& folder) {
    m_entries.clear();
    m_case = NameCase::Exact;
    m_folder.reset();
    if (!folder.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    m_folder.reset(::fcntl(folder.descriptor(), F_DUPFD_CLOEXEC, 0));
    struct statfs fs {};
    const bool typed = ::fstatfs(folder.descriptor(), &fs) == 0;
    m_longestName = typed && fs.f_namelen > 0 ? static_cast<qsizetype>(fs.f_namelen) : kNameBytesEverywhere;
    if (typed && (fs.f_type == MSDOS_SUPER_MAGIC || fs.f_type == EXFAT_SUPER_MAGIC)) {
        m_case = NameCase::Upper;
    }
    // A held folder (O_PATH) cannot be read itself; its "." can, and is the very same folder.
    UniqueFd fd(::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) {
        return {errno, std::generic_category()};
    }
    int flags = 0;
    if (::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0) {
        m_case = NameCase::CaseFolded;
    }
    if (const std::error_code error = visitRawEntries(std::move(fd), [this](const char* name, EntryKind kind) {
            m_entries.stage(std::string_view(name), kind == EntryKind::File);
        })) {
        return error;
    }
    m_entries.index();
    // Other file systems (exFAT through FUSE reports only "fuse") answer a look-up.
    if (m_case == NameCase::Exact && lookupIgnoresCase()) {
        m_case = NameCase::Upper;
    }
    if (m_case != NameCase::Exact) {
        KeyTable exact;
        std::swap(exact, m_entries);
        exact.forEach([this](std::string_view bytes, bool file) {
            const QByteArray name = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
            m_entries.insert(viewOf(keyOfBytes(name)), file);
        });
    }
    return {};
}

// Looks up the first entry with an ASCII letter under the other case. Both names listed side by side, or the
// other one not found, means the names are compared exactly.
bool FolderSnapshot::lookupIgnoresCase() const {
    bool looked = false;
    bool ignores = false;
    m_entries.forEach([&](std::string_view bytes, bool /*file*/) {
        if (looked) {
            return;
        }
        const QByteArray other = otherAsciiCase(QByteArray(bytes.data(), qsizetype(bytes.size())));
        if (other.isEmpty()) {
            return;
        }
        looked = true;
        struct stat st {};
        ignores = m_entries.find(viewOf(other)) == KeyTable::npos &&
                  ::fstatat(m_folder.get(), other.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    });
    return ignores;
}

bool FolderSnapshot::keyOf(QStringView name, QByteArray& key) const {
    if (!encodeName(name, key)) {
        return false;
    }
    foldKey(name, key);
    return true;
}

void FolderSnapshot::foldKey(QStringView name, QByteArray& bytes) const {
    if (m_case != NameCase::Exact) {
        bytes = QFile::encodeName(foldedAs(m_case, name));
    }
}

// A name read from the folder; bytes that do not decode exactly are compared as they are.
QByteArray FolderSnapshot::keyOfBytes(const QByteArray& bytes) const {
    const QString name = QFile::decodeName(bytes);
    return QFile::encodeName(name) == bytes ? QFile::encodeName(foldedAs(m_case, name)) : bytes;
}

// Whether the file system takes a name that long: beyond what every file system takes, the folder is asked
// by a look-up, which fails with ENAMETOOLONG exactly where the rename would.
bool FolderSnapshot::fits(const QByteArray& bytes) const {
    if (bytes.size() <= std::min(m_longestName, kNameBytesEverywhere) || !m_folder.isOpen()) {
        return bytes.size() <= m_longestName;
    }
    struct stat st {};
    if (::fstatat(m_folder.get(), bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno == ENOENT) {
        return true;
    }
    return errno != ENAMETOOLONG && bytes.size() <= m_longestName;
}

RenameResult FolderSnapshot::rename(QStringView oldName, QStringView newName) {
    if (oldName == newName) {
        return RenameResult::Renamed;
    }
    if (!encodeName(oldName, m_key) || !encodeName(newName, m_newKey) || !fits(m_newKey)) {
        return RenameResult::Failed;
    }
    foldKey(oldName, m_key);
    foldKey(newName, m_newKey);
    m_entries.reserveOne(); // the insert below moves no slot, the old entry's included
    const std::size_t old = m_entries.find(viewOf(m_key));
    if (old == KeyTable::npos) {
        return RenameResult::Failed; // the disk says ENOENT before it looks at the new name
    }
    // A new name that differs from the old one only in a case the file system ignores is taken by the entry
    // itself: the disk refuses to replace it.
    if (!m_entries.insert(viewOf(m_newKey), m_entries.isFile(old), old)) {
        return RenameResult::TargetExists;
    }
    m_entries.erase(old);
    return RenameResult::Renamed;
}

void FolderSnapshot::hint(QStringView name) {
    if (!takesHints()) {
        return;
    }
    char bytes[255];
    const qsizetype size = name.size();
    const bool ascii = size <= qsizetype(sizeof bytes) &&
                       std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        std::transform(name.begin(), name.end(), bytes, [](QChar c) { return static_cast<char>(c.unicode()); });
    }
    hintKey(std::string_view(bytes, ascii ? std::size_t(size) : 0));
}

void FolderSnapshot::hintKey(std::string_view key) {
    std::size_t hash = 0;
    if (!key.empty()) {
        hash = hashOf(key);
        m_entries.bringSlotIn(hash);
    }
    std::size_t& nearer = m_hinted[m_hints++ % m_hinted.size()];
    if (nearer != 0) {
        m_entries.bringKeyIn(nearer);
    }
    nearer = hash;
}

bool FolderSnapshot::contains(QStringView name) const {
    return keyOf(name, m_key) && m_entries.find(viewOf(m_key)) != KeyTable::npos;
}

bool FolderSnapshot::isFile(QStringView name) const {
    if (!keyOf(name, m_key)) {
        return false;
    }
    const std::size_t entry = m_entries.find(viewOf(m_key));
    return entry != KeyTable::npos && m_entries.isFile(entry);
}

void FolderSnapshot::addFile(QStringView name) {
    if (keyOf(name, m_key)) {
        m_entries.insert(viewOf(m_key), true);
    }
}

} // namespace filarion::platform
