#include "platform/gbk_read.h"

#include <QByteArray>
#include <QStringDecoder>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code readGbkFile(const FolderHandle& folder, const QString& name, QString& text) {
    text.clear();
    QByteArray bytes;
    if (!folder.isOpen() || !encodeEntryName(name, bytes)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const int fd = ::openat(folder.descriptor(), bytes.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
    }
    QByteArray content;
    content.reserve(static_cast<qsizetype>(st.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return {error, std::generic_category()};
        }
        if (got == 0) {
            break;
        }
        content.append(chunk, got);
    }
    ::close(fd);
    QStringDecoder decoder("GBK");
    if (!decoder.isValid()) {
        return std::make_error_code(std::errc::not_supported);
    }
    text = decoder.decode(content);
    return {};
}

} // namespace filarion::platform
