#include "platform/entry_pair.h"

#include "platform/rename_probe.h"

#include <QByteArray>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

// 0 when the entry is there, else the error (ENOENT: the name is free).
int statEntry(int folder, const QByteArray& name, struct stat& st) {
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

bool readFully(int fd, char* buffer, ssize_t size) {
    ssize_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, buffer + done, static_cast<std::size_t>(size - done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += got;
    }
    return true;
}

// Both regular files of the same size hold the same bytes, read in full through both names.
bool sameBytes(int folder, const QByteArray& first, const QByteArray& second, off_t size) {
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const UniqueFd a(::openat(folder, first.constData(), flags));
    const UniqueFd b(::openat(folder, second.constData(), flags));
    if (!a.isOpen() || !b.isOpen()) {
        return false;
    }
    constexpr ssize_t kChunk = 256 * 1024;
    QByteArray left(kChunk, Qt::Uninitialized);
    QByteArray right(kChunk, Qt::Uninitialized);
    for (off_t at = 0; at < size; at += kChunk) {
        const auto part = static_cast<ssize_t>(std::min<off_t>(kChunk, size - at));
        if (!readFully(a.get(), left.data(), part) || !readFully(b.get(), right.data(), part) ||
            std::memcmp(left.constData(), right.constData(), static_cast<std::size_t>(part)) != 0) {
            return false;
        }
    }
    char extra = 0;
    // A file that grew meanwhile is not the same.
    return ::read(a.get(), &extra, 1) == 0 && ::read(b.get(), &extra, 1) == 0;
}

PairState examine(const FolderHandle& folder, const QByteArray& from, const QByteArray& to) {
    const int fd = folder.descriptor();
    struct stat oldEntry {};
    struct stat newEntry {};
    const int oldError = statEntry(fd, from, oldEntry);
    const int newError = statEntry(fd, to, newEntry);
    if (oldError == ENOENT && newError == 0) {
        return S_ISREG(newEntry.st_mode) ? PairState::Renamed : PairState::Other;
    }
    if (oldError == 0 && newError == ENOENT) {
        return S_ISREG(oldEntry.st_mode) ? PairState::NotRenamed : PairState::Other;
    }
    if (oldError != 0 || newError != 0) {
        return PairState::Other;
    }
    if (!S_ISREG(oldEntry.st_mode) || !S_ISREG(newEntry.st_mode)) {
        return PairState::Other;
    }
    if (bearsClaimMark(newEntry) && !bearsClaimMark(oldEntry)) {
        return PairState::ClaimLeft;
    }
    if (oldEntry.st_dev == newEntry.st_dev && oldEntry.st_ino == newEntry.st_ino && oldEntry.st_nlink > 1) {
        return PairState::TwoNames;
    }
    if (showsLinksAsCopies(folder) && oldEntry.st_size == newEntry.st_size && !bearsClaimMark(newEntry) &&
        sameBytes(fd, from, to, oldEntry.st_size)) {
        return PairState::TwoNames;
    }
    return PairState::Other;
}

} // namespace

PairState examinePair(const FolderHandle& folder, const QString& oldName, const QString& newName) {
    const std::optional<QByteArray> from = encodeEntryName(oldName);
    const std::optional<QByteArray> to = encodeEntryName(newName);
    if (!folder.isOpen() || !from || !to || *from == *to) {
        return PairState::Other;
    }
    return examine(folder, *from, *to);
}

bool removeDebris(const FolderHandle& folder, const QString& oldName, const QString& newName, PairState state) {
    if ((state != PairState::TwoNames && state != PairState::ClaimLeft) ||
        examinePair(folder, oldName, newName) != state) {
        return false;
    }
    const std::optional<QByteArray> name = encodeEntryName(state == PairState::TwoNames ? oldName : newName);
    return name && ::unlinkat(folder.descriptor(), name->constData(), 0) == 0;
}

UniqueFd tryLockFile(const FolderHandle& folder, const QString& name) {
    const std::optional<QByteArray> bytes = encodeEntryName(name);
    if (!folder.isOpen() || !bytes) {
        return {};
    }
    UniqueFd fd(::openat(folder.descriptor(), bytes->constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return {};
    }
    return fd;
}

} // namespace filarion::platform
