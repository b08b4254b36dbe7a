#include "platform/folder_snapshot.h"

#include "platform/folder_listing.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

// The name with its ASCII letters in the other case (upper when that changes it, else lower); empty for a
// name without any.
QByteArray otherAsciiCase(const QByteArray& bytes) {
    const QByteArray upper = bytes.toUpper();
    return upper != bytes ? upper : bytes.toLower() != bytes ? bytes.toLower() : QByteArray();
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

} // namespace

std::error_code FolderSnapshot::take(const FolderHandle& folder, std::optional<NameCase> nameCase) {
    m_entries.clear();
    if (!folder.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    // A held folder (O_PATH) cannot be read itself; its "." can, and is the very same folder.
    UniqueFd fd(::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) {
        return {errno, std::generic_category()};
    }
    m_rules.read(folder.descriptor(), fd.get());
    m_entries.reserve(m_expectedEntries, m_expectedBytes);
    if (const std::error_code error = visitRawEntries(std::move(fd), [this](const char* name, EntryKind kind) {
            m_entries.stage(std::string_view(name), kind == EntryKind::File);
        })) {
        return error;
    }
    m_entries.index();
    // Other file systems (exFAT through FUSE reports only "fuse") answer a look-up.
    if (nameCase) {
        m_rules.setNameCase(*nameCase);
    } else if (m_rules.nameCase() == NameCase::Exact && lookupIgnoresCase()) {
        m_rules.setNameCase(NameCase::Upper);
    }
    if (m_rules.nameCase() != NameCase::Exact) {
        KeyTable exact;
        std::swap(exact, m_entries);
        exact.forEach([this](std::string_view bytes, bool file) {
            const QByteArray name = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
            m_entries.insert(viewOf(m_rules.keyOfBytes(name)), file);
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
        ignores = m_entries.find(viewOf(other)) == KeyTable::npos && m_rules.answersLookUp(other);
    });
    return ignores;
}

RenameResult FolderSnapshot::rename(QStringView oldName, QStringView newName) {
    lookAheadOf(oldName);
    if (oldName == newName) {
        return RenameResult::Renamed;
    }
    if (!m_rules.keyOf(oldName, m_key) || !m_rules.storableKeyOf(newName, m_newKey)) {
        return RenameResult::Failed;
    }
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

bool FolderSnapshot::takesHints() const {
    return m_rules.nameCase() == NameCase::Exact;
}

void FolderSnapshot::forget(QStringView name) {
    if (!m_rules.keyOf(name, m_key)) {
        return;
    }
    const std::size_t entry = m_entries.find(viewOf(m_key));
    if (entry != KeyTable::npos) {
        m_entries.erase(entry);
    }
}

bool FolderSnapshot::isOneEntry(QStringView first, QStringView second) const {
    return m_rules.nameCase() != NameCase::Exact && m_rules.keyOf(first, m_key) &&
           m_rules.keyOf(second, m_newKeyOfLookUp) && m_key == m_newKeyOfLookUp;
}

void FolderSnapshot::expectWalk(const QString& text, const QList<std::uint32_t>& starts) {
    m_walkText = text;
    m_walkStarts = starts;
    m_walkAt = 0;
    m_walkHinted = 0;
    m_keyDelay = kHintDistance / 2;
    m_hinted.fill(0);
}

void FolderSnapshot::expectLookUps(NamesAhead next) {
    m_namesAhead = std::move(next);
    m_pulledFirst = 0;
    m_pulledCount = 0;
    m_keyDelay = kLookUpsAhead / 2;
    m_hinted.fill(0);
}

// The look-ups follow the names pulled in order, each found by its key's hash among them: a match passes the
// names before it, which were not looked up (a line the reader passed over) or were already.
void FolderSnapshot::followLookUp(std::size_t hash) const {
    if (!m_namesAhead || !takesHints() || !pullNamesAhead()) {
        return;
    }
    for (int i = 0; i < m_pulledCount; ++i) {
        if (m_pulled[std::size_t((m_pulledFirst + i) % kLookUpsAhead)] == hash) {
            m_pulledFirst = (m_pulledFirst + i + 1) % kLookUpsAhead;
            m_pulledCount -= i + 1;
            (void)pullNamesAhead();
            return;
        }
    }
}

bool FolderSnapshot::pullNamesAhead() const {
    QByteArrayView name;
    while (m_pulledCount < kLookUpsAhead) {
        if (!m_namesAhead(name)) {
            m_namesAhead = {}; // all hinted: nothing more to follow
            return false;
        }
        const std::string_view bytes(name.data(), std::size_t(name.size()));
        m_pulled[std::size_t((m_pulledFirst + m_pulledCount++) % kLookUpsAhead)] = hintKey(bytes);
    }
    return true;
}

// The walk's place is where the call's name lies in the walk's text: names the walk passes over without a call
// are passed over here too.
void FolderSnapshot::lookAheadOf(QStringView name) {
    const qsizetype names = m_walkStarts.size() - 1;
    if (names <= 0 || !takesHints()) {
        return;
    }
    const auto at = reinterpret_cast<std::uintptr_t>(name.data());
    const auto first = reinterpret_cast<std::uintptr_t>(m_walkText.constData());
    if (at < first || at >= first + sizeof(QChar) * std::size_t(m_walkText.size())) {
        return;
    }
    const auto offset = static_cast<qsizetype>((at - first) / sizeof(QChar));
    // Read through at(): the starts are shared with the walk's list, and a write access would copy them.
    while (m_walkAt + 1 < names && qsizetype(m_walkStarts.at(m_walkAt + 1)) <= offset) {
        ++m_walkAt;
    }
    const qsizetype until = std::min<qsizetype>(m_walkAt + 1 + kHintDistance, names);
    for (m_walkHinted = std::max(m_walkHinted, m_walkAt + 1); m_walkHinted < until; ++m_walkHinted) {
        const auto start = qsizetype(m_walkStarts.at(m_walkHinted));
        hint(QStringView(m_walkText).sliced(start, qsizetype(m_walkStarts.at(m_walkHinted + 1)) - start));
    }
}

void FolderSnapshot::hint(QStringView name) {
    char bytes[255];
    const qsizetype size = name.size();
    const bool ascii = size <= qsizetype(sizeof bytes) &&
                       std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        std::transform(name.begin(), name.end(), bytes, [](QChar c) { return static_cast<char>(c.unicode()); });
    }
    (void)hintKey(std::string_view(bytes, ascii ? std::size_t(size) : 0));
}

std::size_t FolderSnapshot::hintKey(std::string_view key) const {
    std::size_t hash = 0;
    if (!key.empty()) {
        hash = KeyTable::hashOf(key);
        m_entries.bringSlotIn(hash);
    }
    std::size_t& nearer = m_hinted[m_hints++ & (m_keyDelay - 1)];
    if (nearer != 0) {
        m_entries.bringKeyIn(nearer);
    }
    nearer = hash;
    return hash;
}

bool FolderSnapshot::contains(QStringView name) const {
    if (!m_rules.keyOf(name, m_key)) {
        return false;
    }
    const std::size_t hash = KeyTable::hashOf(viewOf(m_key));
    followLookUp(hash);
    return m_entries.find(viewOf(m_key), hash) != KeyTable::npos;
}

bool FolderSnapshot::isFile(QStringView name) const {
    if (!m_rules.keyOf(name, m_key)) {
        return false;
    }
    const std::size_t hash = KeyTable::hashOf(viewOf(m_key));
    followLookUp(hash);
    const std::size_t entry = m_entries.find(viewOf(m_key), hash);
    return entry != KeyTable::npos && m_entries.isFile(entry);
}

void FolderSnapshot::addFile(QStringView name) {
    if (m_rules.keyOf(name, m_key)) {
        m_entries.insert(viewOf(m_key), true);
    }
}

} // namespace filarion::platform
