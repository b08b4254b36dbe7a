#include "platform/file_rename.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

RenameOutcome fromErrno(int error) {
    if (error == EEXIST || error == ENOTEMPTY) {
        return {RenameResult::TargetExists, {}};
    }
    return {RenameResult::Failed, {error, std::generic_category()}};
}

} // namespace

RenameFolder::~RenameFolder() { close(); }

std::error_code RenameFolder::open(const QString& folder) {
    close();
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        return {errno, std::generic_category()};
    }
    m_strategy = Strategy::NoReplace;
    return {};
}

void RenameFolder::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

RenameOutcome RenameFolder::rename(const QString& oldName, const QString& newName) {
    if (oldName == newName) {
        return {RenameResult::Renamed, {}};
    }
    if (m_fd < 0) {
        return {RenameResult::Failed, std::make_error_code(std::errc::bad_file_descriptor)};
    }
    const QByteArray from = QFile::encodeName(oldName);
    const QByteArray to = QFile::encodeName(newName);

    if (m_strategy == Strategy::NoReplace) {
        if (::renameat2(m_fd, from.constData(), m_fd, to.constData(), RENAME_NOREPLACE) == 0) {
            return {RenameResult::Renamed, {}};
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return fromErrno(errno);
        }
        // EINVAL also means "new name inside old name" for folders, which cannot happen for a file
        // renamed within its own folder: here it means the file system does not take the flag.
        m_strategy = Strategy::LinkUnlink;
    }
    if (m_strategy == Strategy::LinkUnlink) {
        if (::linkat(m_fd, from.constData(), m_fd, to.constData(), 0) == 0) {
            if (::unlinkat(m_fd, from.constData(), 0) != 0) {
                const int error = errno;
                // Both names now point at the file; take the new one back so nothing is duplicated.
                ::unlinkat(m_fd, to.constData(), 0);
                return fromErrno(error);
            }
            return {RenameResult::Renamed, {}};
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EXDEV && errno != EMLINK && errno != ENOSYS) {
            return fromErrno(errno);
        }
        m_strategy = Strategy::CheckThenRename;
    }
    struct stat st {};
    if (::fstatat(m_fd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return {RenameResult::TargetExists, {}};
    }
    if (errno != ENOENT) {
        return fromErrno(errno);
    }
    if (::renameat(m_fd, from.constData(), m_fd, to.constData()) == 0) {
        return {RenameResult::Renamed, {}};
    }
    return fromErrno(errno);
}

RenameOutcome renameNoReplace(const QString& folder, const QString& oldName, const QString& newName) {
    if (oldName == newName) {
        return {RenameResult::Renamed, {}};
    }
    RenameFolder handle;
    if (const std::error_code error = handle.open(folder)) {
        return {RenameResult::Failed, error};
    }
    return handle.rename(oldName, newName);
}

} // namespace filarion::platform
