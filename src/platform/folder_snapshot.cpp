#include "platform/folder_snapshot.h"

#include "platform/folder_listing.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code FolderSnapshot::take(const FolderHandle& folder) {
    m_entries.clear();
    if (!folder.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    struct statfs fs {};
    if (::fstatfs(folder.descriptor(), &fs) == 0 && fs.f_namelen > 0) {
        m_longestName = static_cast<qsizetype>(fs.f_namelen);
    }
    // A held folder (O_PATH) cannot be read itself; its "." can, and is the very same folder.
    UniqueFd fd(::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) {
        return {errno, std::generic_category()};
    }
    return visitRawEntries(std::move(fd), [this](const char* name, EntryKind kind) {
        m_entries.emplace(QByteArray(name), kind == EntryKind::File);
    });
}

RenameResult FolderSnapshot::rename(const QString& oldName, const QString& newName) {
    if (oldName == newName) {
        return RenameResult::Renamed;
    }
    QByteArray from;
    QByteArray to;
    if (!encodeEntryName(oldName, from) || !encodeEntryName(newName, to) || to.size() > m_longestName) {
        return RenameResult::Failed;
    }
    const auto old = m_entries.find(from);
    if (old == m_entries.end()) {
        return RenameResult::Failed; // the disk says ENOENT before it looks at the new name
    }
    if (m_entries.count(to) != 0) {
        return RenameResult::TargetExists;
    }
    const bool file = old->second;
    m_entries.erase(old);
    m_entries.emplace(std::move(to), file);
    return RenameResult::Renamed;
}

bool FolderSnapshot::contains(const QString& name) const {
    QByteArray bytes;
    return encodeEntryName(name, bytes) && m_entries.count(bytes) != 0;
}

bool FolderSnapshot::isFile(const QString& name) const {
    QByteArray bytes;
    if (!encodeEntryName(name, bytes)) {
        return false;
    }
    const auto entry = m_entries.find(bytes);
    return entry != m_entries.end() && entry->second;
}

void FolderSnapshot::addFile(const QString& name) {
    QByteArray bytes;
    if (encodeEntryName(name, bytes)) {
        m_entries.emplace(std::move(bytes), true);
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
