#include "platform/folder_handle.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

FolderHandle::~FolderHandle() {
    close();
}

std::error_code FolderHandle::open(const QString& folder) {
    close();
    m_fd = ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) {
        return {errno, std::generic_category()};
    }
    return {};
}

void FolderHandle::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool encodeEntryName(const QString& name, QByteArray& bytes) {
    bytes = QFile::encodeName(name);
    if (bytes.isEmpty() || bytes.contains('\0') || bytes.contains('/')) {
        return false;
    }
    return QFile::decodeName(bytes) == name;
}

HeldFile::~HeldFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool HeldFile::open(const FolderHandle& folder, const QString& name) {
    QByteArray bytes;
    if (m_fd >= 0 || !folder.isOpen() || !encodeEntryName(name, bytes)) {
        return false;
    }
    // O_PATH with O_NOFOLLOW holds a link itself, which is then refused: nothing is opened for reading or
    // writing, and neither a FIFO nor a device is touched.
    const int fd = ::openat(folder.descriptor(), bytes.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) {
        return false;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool HeldFile::isAt(int folder, const char* name) const {
    struct stat held {};
    struct stat there {};
    return m_fd >= 0 && ::fstat(m_fd, &held) == 0 && ::fstatat(folder, name, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == there.st_dev && held.st_ino == there.st_ino;
}

bool isRegularFileEntry(const FolderHandle& folder, const QString& name) {
    QByteArray bytes;
    struct stat st {};
    return folder.isOpen() && encodeEntryName(name, bytes) &&
           ::fstatat(folder.descriptor(), bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

} // namespace filarion::platform
