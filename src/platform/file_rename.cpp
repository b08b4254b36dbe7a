#include "platform/file_rename.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

RenameOutcome fromErrno(int error) {
    if (error == EEXIST || error == ENOTEMPTY) {
        return {RenameResult::TargetExists, {}};
    }
    return {RenameResult::Failed, {error, std::generic_category()}};
}

const RenameOutcome kRenamed{RenameResult::Renamed, {}};

// The errors with which a file system (FAT, exFAT, many FUSE and network file systems) or one file (an
// immutable one; another user's under fs.protected_hardlinks) refuses a hard link.
bool isLinkRefused(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == EXDEV || error == EMLINK || error == ENOSYS ||
           error == EACCES;
}

} // namespace

RenameOutcome NoReplaceRenamer::rename(const QString& oldName, const QString& newName) {
    if (oldName == newName) {
        return kRenamed;
    }
    if (!m_folder.isOpen()) {
        return {RenameResult::Failed, std::make_error_code(std::errc::bad_file_descriptor)};
    }
    const std::optional<QByteArray> encodedFrom = encodeEntryName(oldName);
    const std::optional<QByteArray> encodedTo = encodeEntryName(newName);
    if (!encodedFrom || !encodedTo) {
        return {RenameResult::Failed, std::make_error_code(std::errc::illegal_byte_sequence)};
    }
    const QByteArray& from = *encodedFrom;
    const QByteArray& to = *encodedTo;
    const int fd = m_folder.descriptor();
    if (!m_noReplaceRefused) {
        if (::renameat2(fd, from.constData(), fd, to.constData(), RENAME_NOREPLACE) == 0) {
            return kRenamed;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return fromErrno(errno);
        }
        // EINVAL also means "new name inside old name" for folders, which cannot happen for a file renamed
        // within its own folder: here it means the file system does not take the flag, for every file.
        m_noReplaceRefused = true;
    }
    if (const std::optional<RenameOutcome> linked = linkThenUnlink(from.constData(), to.constData())) {
        return *linked;
    }
    return claimThenRename(from.constData(), to.constData());
}

std::optional<RenameOutcome> NoReplaceRenamer::linkThenUnlink(const char* from, const char* to) {
    const int fd = m_folder.descriptor();
    if (::linkat(fd, from, fd, to, 0) != 0) {
        if (isLinkRefused(errno)) {
            return std::nullopt;
        }
        return fromErrno(errno);
    }
    if (::unlinkat(fd, from, 0) != 0) {
        const int error = errno;
        // Both names now point at the file; take the new one back so nothing is duplicated.
        ::unlinkat(fd, to, 0);
        return fromErrno(error);
    }
    return kRenamed;
}

// Without an atomic no-replace rename, the new name is taken first by an empty file of our own, created
// exclusively: a file that appears afterwards cannot take the name, and one that was there makes the claim
// fail. The rename then replaces only that claim, after checking that the name still holds it untouched.
RenameOutcome NoReplaceRenamer::claimThenRename(const char* from, const char* to) {
    const int fd = m_folder.descriptor();
    UniqueFd claim(::openat(fd, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!claim.isOpen()) {
        return fromErrno(errno);
    }
    struct stat ours {};
    struct stat there {};
    const bool held = ::fstat(claim.get(), &ours) == 0 && ::fstatat(fd, to, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
                      ours.st_dev == there.st_dev && ours.st_ino == there.st_ino && there.st_size == 0;
    claim.reset();
    if (!held) {
        // Someone else wrote into the claim or put another entry at the name: the name is theirs now.
        return {RenameResult::TargetExists, {}};
    }
    if (::renameat(fd, from, fd, to) != 0) {
        const int error = errno;
        ::unlinkat(fd, to, 0);
        return fromErrno(error == EEXIST ? EIO : error);
    }
    return kRenamed;
}

} // namespace filarion::platform
