#include "platform/unique_fd.h"

#include <cerrno>
#include <unistd.h>

namespace filarion::platform {

void UniqueFd::reset(int fd) noexcept {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
}

std::error_code UniqueFd::close() {
    if (m_fd < 0) {
        return {};
    }
    const int result = ::close(std::exchange(m_fd, -1));
    return result == 0 ? std::error_code() : std::error_code(errno, std::generic_category());
}

} // namespace filarion::platform
