#include "platform/folder_snapshot.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

bool isFileFollowingLinks(int folder, const char* name) {
    struct stat st {};
    return ::fstatat(folder, name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

} // namespace

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
    const int fd = ::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        ::close(fd);
        return {error, std::generic_category()};
    }
    std::error_code result;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0) {
                result = {errno, std::generic_category()};
            }
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            file = isFileFollowingLinks(fd, name);
        }
        m_entries.emplace(QByteArray(name), file);
    }
    ::closedir(dir); // also closes fd
    return result;
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
