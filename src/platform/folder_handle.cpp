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

bool isRegularFileEntry(const FolderHandle& folder, const QString& name) {
    QByteArray bytes;
    struct stat st {};
    return folder.isOpen() && encodeEntryName(name, bytes) &&
           ::fstatat(folder.descriptor(), bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
}

} // namespace filarion::platform
