#include "platform/write_ahead_file.h"

#include "platform/file_rename.h"
#include "platform/file_writes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

bool WriteAheadFile::isAppendable(const FolderHandle& folder, const QString& name) {
    const std::optional<QByteArray> bytes = encodeEntryName(name);
    if (!folder.isOpen() || !bytes) {
        return false;
    }
    const int fd = folder.descriptor();
    struct stat st {};
    const std::error_code error = checkRegularOrMissing(fd, bytes->constData(), st);
    if (!error) {
        return ::faccessat(fd, bytes->constData(), W_OK, AT_EACCESS) == 0;
    }
    return error == std::errc::no_such_file_or_directory && ::faccessat(fd, ".", W_OK, AT_EACCESS) == 0;
}

std::error_code WriteAheadFile::open(const FolderHandle& folder, const QString& name) {
    m_fd.reset();
    letWritesFailBeyondTheSizeLimit();
    const std::optional<QByteArray> encoded = encodeEntryName(name);
    if (!folder.isOpen() || !encoded) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const QByteArray& bytes = *encoded;
    struct stat st {};
    if (const std::error_code error = checkRegularOrMissing(folder.descriptor(), bytes.constData(), st);
        error && error != std::errc::no_such_file_or_directory) {
        return error;
    }
    // Never waits: a FIFO put there since the check fails the open at once (ENXIO) or is refused below.
    UniqueFd fd(::openat(folder.descriptor(), bytes.constData(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666));
    if (!fd.isOpen()) {
        return lastError();
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    m_fd = std::move(fd);
    m_mayCut = isOnLocalDisk(m_fd.get());
    m_lineStarts.clear();
    m_end = -1;
    return {};
}

std::error_code WriteAheadFile::writeLine(QStringView line) {
    if (!m_fd.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    m_buffer.resize(0); // keeps the capacity for the next line
    m_encoder.appendRecord(line, m_buffer);
    qsizetype written = 0;
    const std::error_code error = writeAll(m_fd.get(), m_buffer.constData(), m_buffer.size(), written);
    // A part of the line that went out is cut off again: the file keeps only whole lines.
    const qsizetype end = m_buffer.size();
    if (written > 0) {
        noteWritten(written, &end, error ? 0 : 1);
    }
    return error;
}

std::error_code WriteAheadFile::close() {
    const std::error_code error = m_fd.close();
    m_leaseSignal.release();
    return error;
}

// The batch side: the lock, lines queued and written as one, their sync, and the cut that takes the file's
// own last lines back.

namespace {

// The lines of a file that may not be cut are kept, and a later cut asks for at most this many.
constexpr std::size_t kLinesKept = 1 << 16;

void doNothing(int /*signal*/) {}

} // namespace

void LeaseSignal::handle() {
    if (m_handled) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = &doNothing;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    m_handled = ::sigaction(SIGIO, &action, &m_before) == 0;
}

void LeaseSignal::release() {
    if (m_handled) {
        (void)::sigaction(SIGIO, &m_before, nullptr);
        m_handled = false;
    }
}

// Cuts the file back to `mark`, only while it still ends where this writer left it and no other open file
// description of it exists: a write lease is granted only then, and any other program's open() waits until it
// is given up, so nothing can be appended between the check and the cut. Busy where the lease is refused (the
// file is open elsewhere, not ours, or the file system knows no leases) and on a file system where other
// clients' openers are beyond the lease.
std::error_code WriteAheadFile::cutOwnTail(qint64 mark) {
    if (!m_mayCut) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    const int fd = m_fd.get();
    m_leaseSignal.handle();
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    std::error_code error;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (st.st_size == m_end && ::ftruncate(fd, mark) != 0)) {
        error = lastError();
    } else if (st.st_size != m_end) {
        error = std::make_error_code(std::errc::device_or_resource_busy);
    }
    (void)::fcntl(fd, F_SETLEASE, F_UNLCK);
    return error;
}

std::error_code WriteAheadFile::lock() {
    if (!m_fd.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    while (::flock(m_fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno == EWOULDBLOCK) {
            return std::make_error_code(std::errc::resource_unavailable_try_again);
        }
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
            return {}; // no locks on this file system: one writer at a time cannot be held here
        }
        return lastError();
    }
    return {};
}

void WriteAheadFile::queueLine(QStringView line) {
    m_encoder.appendRecord(line, m_queue);
    m_queuedEnds.push_back(m_queue.size());
}

std::error_code WriteAheadFile::writeQueued(qsizetype& written) {
    written = 0;
    std::error_code error;
    qsizetype bytes = 0;
    if (!m_fd.isOpen()) {
        error = std::make_error_code(std::errc::bad_file_descriptor);
    }
    while (!error && bytes < m_queue.size()) {
        const ssize_t done =
            ::write(m_fd.get(), m_queue.constData() + bytes, static_cast<size_t>(m_queue.size() - bytes));
        if (done < 0 && errno != EINTR) {
            error = lastError();
        } else if (done == 0) {
            error = std::make_error_code(std::errc::io_error); // no progress: never loop on it
        } else if (done > 0) {
            bytes += done;
        }
    }
    qsizetype whole = 0;
    while (whole < qsizetype(m_queuedEnds.size()) && m_queuedEnds[std::size_t(whole)] <= bytes) {
        ++whole;
    }
    if (bytes > 0) {
        noteWritten(bytes, m_queuedEnds.data(), whole);
    }
    written = whole;
    m_queue.resize(0); // keeps the capacity for the next batch
    m_queuedEnds.clear();
    return error;
}

void WriteAheadFile::noteWritten(qsizetype size, const qsizetype* lineEnds, qsizetype lines) {
    // With O_APPEND the descriptor's offset is the end of its last write, wherever other writers put theirs.
    const off_t end = ::lseek(m_fd.get(), 0, SEEK_CUR);
    if (end < 0) {
        m_lineStarts.clear();
        m_end = -1;
        return;
    }
    const qint64 start = qint64(end) - size;
    if (start != m_end || m_lineStarts.size() > kLinesKept) {
        m_lineStarts.clear(); // another writer's bytes lie between: the lines before are no longer the tail
    }
    qint64 lineStart = start;
    for (qsizetype i = 0; i < lines; ++i) {
        m_lineStarts.push_back(lineStart);
        lineStart = start + lineEnds[i];
    }
    m_end = end;
    if (lineStart < m_end) {
        // The part of a line that went out is cut off again, so that the file ends at a line end. Where that
        // cannot be done without touching another writer's bytes it stays, ended by a line end of its own
        // where the file takes one, so that the next line stands whole after it; nothing before it is the end.
        if (cutOwnTail(lineStart)) {
            qsizetype ended = 0;
            (void)writeAll(m_fd.get(), "\r\n", 2, ended);
            m_lineStarts.clear();
            m_end = -1;
        } else {
            m_end = lineStart;
        }
    }
}

std::error_code WriteAheadFile::sync() {
    if (!m_fd.isOpen()) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    while (::fdatasync(m_fd.get()) != 0) {
        if (errno != EINTR) {
            return lastError();
        }
    }
    return {};
}

std::error_code WriteAheadFile::retractLines(qsizetype count) {
    if (!m_fd.isOpen() || count <= 0 || count > qsizetype(m_lineStarts.size()) || m_end < 0) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    const qint64 mark = m_lineStarts[m_lineStarts.size() - std::size_t(count)];
    if (const std::error_code error = cutOwnTail(mark)) {
        return error;
    }
    m_lineStarts.resize(m_lineStarts.size() - std::size_t(count));
    m_end = mark;
    return {};
}

} // namespace filarion::platform
