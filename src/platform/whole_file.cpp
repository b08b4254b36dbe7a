#include "platform/whole_file.h"

#include "platform/unique_fd.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code readWholeFile(const QString& path, qsizetype limit, QByteArray& bytes) {
    bytes.clear();
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.isOpen()) {
        return {errno, std::generic_category()};
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        return {errno, std::generic_category()};
    }
    if (!S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    if (st.st_size > limit) {
        return std::make_error_code(std::errc::file_too_large);
    }
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return {errno, std::generic_category()};
        }
        if (got == 0) {
            bytes.truncate(done); // the file grew shorter while it was read
            break;
        }
        done += got;
    }
    return {};
}

} // namespace filarion::platform
