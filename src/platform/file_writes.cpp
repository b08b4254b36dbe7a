#include "platform/file_writes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

void letWritesFailBeyondTheSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool isOnLocalDisk(int fd) {
    constexpr long kFuseMagic = 0x65735546;
    constexpr long kSmb2Magic = static_cast<long>(0xfe534d42);
    constexpr long kCifsMagic = static_cast<long>(0xff534d42);
    constexpr long kCephMagic = 0x00c36400;
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) {
        return false;
    }
    const auto type = static_cast<long>(fs.f_type);
    return type != kFuseMagic && type != NFS_SUPER_MAGIC && type != kSmb2Magic && type != kCifsMagic &&
           type != SMB_SUPER_MAGIC && type != V9FS_MAGIC && type != kCephMagic && type != CODA_SUPER_MAGIC &&
           type != AFS_SUPER_MAGIC;
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
