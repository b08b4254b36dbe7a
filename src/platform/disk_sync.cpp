#include "platform/disk_sync.h"

#include "platform/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace filarion::platform {

std::error_code syncFolder(const FolderHandle& folder) {
    if (!folder.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    // The held descriptor is O_PATH, which takes no fsync: the folder itself, opened again through it.
    const UniqueFd fd(::openat(folder.descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isOpen()) {
        return {errno, std::generic_category()};
    }
    while (::fsync(fd.get()) != 0) {
        if (errno != EINTR) {
            // A file system that cannot sync a folder (some FUSE ones) has nothing more to make durable.
            return errno == EINVAL || errno == EROFS ? std::error_code()
                                                     : std::error_code(errno, std::generic_category());
        }
    }
    return {};
}

} // namespace filarion::platform
