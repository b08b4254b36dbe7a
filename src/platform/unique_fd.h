#pragma once

#include <system_error>
#include <utility>

namespace filarion::platform {

// The one owner of a file descriptor: closed when it goes, handed on only by moving.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.m_fd, -1));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Gives the descriptor up to a new owner (a DIR stream, say) and forgets it.
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }
    // Closes what it holds, ignoring the close's error, and holds fd instead.
    void reset(int fd = -1) noexcept;
    // Closes now, with the close's error: where a file was written, the file system's last word on it.
    [[nodiscard]] std::error_code close();

private:
    int m_fd = -1;
};

} // namespace filarion::platform
