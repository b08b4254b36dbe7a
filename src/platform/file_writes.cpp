#include "platform/file_writes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

void letWritesFailBeyondTheSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

std::error_code checkRegularOrMissing(int folder, const char* name, struct stat& st) {
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return lastError();
    }
    if (S_ISLNK(st.st_mode)) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    if (S_ISDIR(st.st_mode)) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    if (!S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    return {};
}

std::error_code writeAll(int fd, const char* data, qsizetype size, qsizetype& written) {
    written = 0;
    while (written < size) {
        const ssize_t done = ::write(fd, data + written, static_cast<size_t>(size - written));
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        written += done;
    }
    return {};
}

} // namespace filarion::platform
