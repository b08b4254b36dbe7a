#include "platform/reverse_line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

constexpr qsizetype kWindow = 256 * 1024;

} // namespace

std::error_code ReverseLineReader::open(const FolderHandle& folder, const QString& name) {
    const std::optional<QByteArray> encoded = encodeEntryName(name);
    if (!folder.isOpen() || !encoded) {
        return m_error = std::make_error_code(std::errc::invalid_argument);
    }
    const QByteArray& bytes = *encoded;
    UniqueFd fd(::openat(folder.descriptor(), bytes.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen()) {
        return m_error = {errno, std::generic_category()};
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return m_error =
                   std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
    }
    m_fd = std::move(fd);
    const qint64 size = st.st_size;
    // The last line end; whatever follows it is an unfinished line.
    m_pos = lastLineEndBefore(size);
    if (m_error) {
        return m_error;
    }
    m_torn = m_pos < 0 ? size > 0 : m_pos + 2 < size;
    return {};
}

bool ReverseLineReader::readAt(qint64 offset, qsizetype size, char* out) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_fd.get(), out + done, static_cast<size_t>(size - done), offset + done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            m_error = {errno, std::generic_category()};
            return false;
        }
        if (got == 0) { // cut short by another program meanwhile: the rest reads as nothing
            std::memset(out + done, 0, static_cast<size_t>(size - done));
            return true;
        }
        done += got;
    }
    return true;
}

qint64 ReverseLineReader::loadBefore(qint64 end) {
    qint64 step = kWindow;
    for (;;) {
        const qint64 start = std::max<qint64>(0, end - step);
        // The first data at or after start; where it lies at or past end, [start, end) is a hole: zeros, and no
        // line end, so it is passed over unread. A file system that knows no holes says "data" at once.
        const off_t data = ::lseek(m_fd.get(), start, SEEK_DATA);
        if (start > 0 && ((data < 0 && errno == ENXIO) || data >= end)) {
            end = start;
            step = std::min<qint64>(step * 2, qint64(1) << 30);
            continue;
        }
        const qint64 from = std::max<qint64>(start, end - kWindow);
        m_window.resize(static_cast<qsizetype>(end - from));
        m_windowStart = from;
        if (!readAt(from, m_window.size(), m_window.data())) {
            m_window.clear();
        }
        return end;
    }
}

qint64 ReverseLineReader::lastLineEndBefore(qint64 end) {
    bool lineFeedAtEnd = false; // the byte at `end` is a line feed, so a CR just before it ends a line
    qint64 at = end;
    while (at > 0) {
        // Most lines lie in the window already read.
        if (at <= m_windowStart || at > m_windowStart + m_window.size()) {
            const qint64 windowEnd = loadBefore(at);
            if (m_error) {
                return -1;
            }
            if (windowEnd != at) {
                lineFeedAtEnd = false; // a hole lay between
            }
            at = windowEnd;
        }
        const char* base = m_window.constData();
        auto n = static_cast<qsizetype>(at - m_windowStart);
        if (lineFeedAtEnd && n > 0 && base[n - 1] == '\r') {
            return m_windowStart + n - 1;
        }
        lineFeedAtEnd = false;
        while (n > 0) {
            const void* found = ::memrchr(base, '\n', static_cast<size_t>(n));
            if (found == nullptr) {
                break;
            }
            const qsizetype i = static_cast<const char*>(found) - base;
            if (i == 0) {
                lineFeedAtEnd = true;
                break;
            }
            if (base[i - 1] == '\r') {
                return m_windowStart + i - 1;
            }
            n = i;
        }
        at = m_windowStart;
    }
    return -1;
}

bool ReverseLineReader::previous() {
    m_line = {};
    m_cut = false;
    if (m_pos < 0 || m_error) {
        return false;
    }
    const qint64 end = m_pos;
    const qint64 before = lastLineEndBefore(end);
    if (m_error) {
        return false;
    }
    const qint64 start = before < 0 ? 0 : before + 2;
    m_pos = before;
    qint64 from = start;
    if (end - start > kLongestLine) {
        m_cut = true;
        from = end - kLongestLine;
    }
    if (from >= m_windowStart && end <= m_windowStart + m_window.size()) {
        m_line = QByteArrayView(m_window).sliced(static_cast<qsizetype>(from - m_windowStart),
                                                 static_cast<qsizetype>(end - from));
        return true;
    }
    m_lineCopy.resize(static_cast<qsizetype>(end - from));
    if (!readAt(from, m_lineCopy.size(), m_lineCopy.data())) {
        return false;
    }
    m_line = m_lineCopy;
    return true;
}

} // namespace filarion::platform
