#include "platform/folder_snapshot.h"

#include "platform/folder_listing.h"

#include <QFile>
#include <algorithm>
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

QString foldedAs(NameCase nameCase, const QString& name) {
    switch (nameCase) {
    case NameCase::Exact:
        break;
    case NameCase::Upper:
        return upperEachUnit(name);
    case NameCase::CaseFolded:
        return name.normalized(QString::NormalizationForm_D).toCaseFolded();
    }
    return name;
}

// The name with its ASCII letters in the other case (upper when that changes it, else lower); empty for a
// name without any.
QByteArray otherAsciiCase(const QByteArray& bytes) {
    const QByteArray upper = bytes.toUpper();
    return upper != bytes ? upper : bytes.toLower() != bytes ? bytes.toLower() : QByteArray();
}

} // namespace

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
            m_entries.emplace(QByteArray(name), kind == EntryKind::File);
        })) {
        return error;
    }
    // Other file systems (exFAT through FUSE reports only "fuse") answer a look-up.
    if (m_case == NameCase::Exact && lookupIgnoresCase()) {
        m_case = NameCase::Upper;
    }
    if (m_case != NameCase::Exact) {
        std::unordered_map<QByteArray, bool, BytesHash> exact;
        exact.swap(m_entries);
        for (const auto& [bytes, file] : exact) {
            m_entries.emplace(keyOfBytes(bytes), file);
        }
    }
    return {};
}

// Looks up the first entry with an ASCII letter under the other case. Both names listed side by side, or the
// other one not found, means the names are compared exactly.
bool FolderSnapshot::lookupIgnoresCase() const {
    for (const auto& entry : m_entries) {
        const QByteArray other = otherAsciiCase(entry.first);
        if (other.isEmpty()) {
            continue;
        }
        struct stat st {};
        return m_entries.count(other) == 0 &&
               ::fstatat(m_folder.get(), other.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }
    return false;
}

bool FolderSnapshot::keyOf(const QString& name, QByteArray& key) const {
    if (!encodeEntryName(name, key)) {
        return false;
    }
    key = keyOfEncoded(name, std::move(key));
    return true;
}

QByteArray FolderSnapshot::keyOfEncoded(const QString& name, QByteArray bytes) const {
    return m_case == NameCase::Exact ? bytes : QFile::encodeName(foldedAs(m_case, name));
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

RenameResult FolderSnapshot::rename(const QString& oldName, const QString& newName) {
    if (oldName == newName) {
        return RenameResult::Renamed;
    }
    QByteArray from;
    QByteArray to;
    if (!encodeEntryName(oldName, from) || !encodeEntryName(newName, to) || !fits(to)) {
        return RenameResult::Failed;
    }
    const auto old = m_entries.find(keyOfEncoded(oldName, std::move(from)));
    if (old == m_entries.end()) {
        return RenameResult::Failed; // the disk says ENOENT before it looks at the new name
    }
    // A new name that differs from the old one only in a case the file system ignores is taken by the entry
    // itself: the disk refuses to replace it.
    to = keyOfEncoded(newName, std::move(to));
    if (m_entries.count(to) != 0) {
        return RenameResult::TargetExists;
    }
    const bool file = old->second;
    m_entries.erase(old);
    m_entries.emplace(std::move(to), file);
    return RenameResult::Renamed;
}

bool FolderSnapshot::contains(const QString& name) const {
    QByteArray key;
    return keyOf(name, key) && m_entries.count(key) != 0;
}

bool FolderSnapshot::isFile(const QString& name) const {
    QByteArray key;
    if (!keyOf(name, key)) {
        return false;
    }
    const auto entry = m_entries.find(key);
    return entry != m_entries.end() && entry->second;
}

void FolderSnapshot::addFile(const QString& name) {
    QByteArray key;
    if (keyOf(name, key)) {
        m_entries.emplace(std::move(key), true);
    }
}

bool isAppendable(const FolderHandle& folder, const QString& name) {
    QByteArray bytes;
    if (!folder.isOpen() || !encodeEntryName(name, bytes)) {
        return false;
    }
    const int fd = folder.descriptor();
    struct stat st {};
    if (::fstatat(fd, bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return S_ISREG(st.st_mode) && ::faccessat(fd, bytes.constData(), W_OK, AT_EACCESS) == 0;
    }
    return errno == ENOENT && ::faccessat(fd, ".", W_OK, AT_EACCESS) == 0;
}

} // namespace filarion::platform
