#include "platform/folder_handle.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code FolderHandle::open(const QString& folder) {
    m_fd.reset(::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_fd.isOpen()) {
        return {errno, std::generic_category()};
    }
    return {};
}

void FolderHandle::close() {
    m_fd.reset();
}

std::optional<QByteArray> encodeEntryName(const QString& name) {
    QByteArray bytes = QFile::encodeName(name);
    if (bytes.isEmpty() || bytes.contains('\0') || bytes.contains('/') || QFile::decodeName(bytes) != name) {
        return std::nullopt;
    }
    return bytes;
}

bool hasEntry(const FolderHandle& folder, const QString& name) {
    const std::optional<QByteArray> bytes = encodeEntryName(name);
    struct stat st {};
    return folder.isOpen() && bytes &&
           ::fstatat(folder.descriptor(), bytes->constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool HeldFile::open(const FolderHandle& folder, const QString& name) {
    const std::optional<QByteArray> bytes = encodeEntryName(name);
    if (m_fd.isOpen() || !folder.isOpen() || !bytes) {
        return false;
    }
    // O_PATH with O_NOFOLLOW holds a link itself, which is then refused: nothing is opened for reading or
    // writing, and neither a FIFO nor a device is touched.
    UniqueFd fd(::openat(folder.descriptor(), bytes->constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    m_fd = std::move(fd);
    return true;
}

bool HeldFile::isAt(int folder, const char* name) const {
    struct stat held {};
    struct stat there {};
    return m_fd.isOpen() && ::fstat(m_fd.get(), &held) == 0 &&
           ::fstatat(folder, name, &there, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == there.st_dev &&
           held.st_ino == there.st_ino;
}

} // namespace filarion::platform
