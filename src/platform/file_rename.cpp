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

// True while the name shows the claim still held open: the same file, of the size the mark gave it, with the
// same mode and time (inode numbers alone prove nothing on FUSE file systems that number by name).
bool isStillTheClaim(int folder, const char* name, int claim, struct stat& ours) {
    struct stat there {};
    return ::fstat(claim, &ours) == 0 && ::fstatat(folder, name, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
           ours.st_dev == there.st_dev && ours.st_ino == there.st_ino && ours.st_size == there.st_size &&
           S_ISREG(there.st_mode) && ours.st_mode == there.st_mode && ours.st_mtim.tv_sec == there.st_mtim.tv_sec;
}

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
    if (m_way == RenameWay::Unsafe) {
        return {RenameResult::Failed, std::make_error_code(std::errc::not_supported)};
    }
    if (m_way == RenameWay::PlainRefuses) {
        return plainRename(from.constData(), to.constData());
    }
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
        if (error == ENOENT) {
            return kRenamed; // the old name went meanwhile; the file has its new one
        }
        // Both names point at the file; the new one is taken back only while the old one still holds it, so
        // that nothing is duplicated and nothing lost. Where that fails the file keeps both names: the next
        // run or undo in the folder finds the pair by the log's last lines.
        struct stat oldEntry {};
        struct stat newEntry {};
        if (::fstatat(fd, from, &oldEntry, AT_SYMLINK_NOFOLLOW) == 0 &&
            ::fstatat(fd, to, &newEntry, AT_SYMLINK_NOFOLLOW) == 0 && oldEntry.st_dev == newEntry.st_dev &&
            oldEntry.st_ino == newEntry.st_ino && oldEntry.st_nlink > 1) {
            (void)::unlinkat(fd, to, 0);
        }
        return fromErrno(error);
    }
    return kRenamed;
}

// Where a plain rename onto an existing name fails (an SFTP server without posix-rename answers EPERM then),
// it is the no-replace rename; a failure with the name taken is the taken-name path.
RenameOutcome NoReplaceRenamer::plainRename(const char* from, const char* to) {
    const int fd = m_folder.descriptor();
    if (::renameat(fd, from, fd, to) == 0) {
        return kRenamed;
    }
    const int error = errno;
    struct stat there {};
    if (::fstatat(fd, to, &there, AT_SYMLINK_NOFOLLOW) == 0) {
        return {RenameResult::TargetExists, {}};
    }
    return fromErrno(error);
}

// Without an atomic no-replace rename, the new name is taken first by a file of our own, created exclusively:
// a file that appears afterwards cannot take the name, and one that was there makes the claim fail. The claim
// holds the command's mark, by which a claim left by a kill is known again (content is the only proof: modes
// are lost on FAT, exFAT and CIFS, and an empty file is anybody's), and it is held open until the rename is
// over. The rename replaces only that claim, after checking that the name still holds it. A claim whose
// rename failed is removed only while the name still shows the command's mark, never a file another program
// put there in the meantime (sshfs's rename workaround moves the claim aside for a moment).
RenameOutcome NoReplaceRenamer::claimThenRename(const char* from, const char* to) {
    const int fd = m_folder.descriptor();
    UniqueFd claim(::openat(fd, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!claim.isOpen()) {
        return fromErrno(errno);
    }
    struct stat ours {};
    if (!writeMark(claim.get(), m_mark)) {
        const int error = errno;
        // Created a moment ago and unmarked: it goes only while the name still shows the very file held open.
        if (isStillTheClaim(fd, to, claim.get(), ours)) {
            (void)::unlinkat(fd, to, 0);
        }
        return fromErrno(error == 0 || error == EEXIST ? EIO : error);
    }
    if (!isStillTheClaim(fd, to, claim.get(), ours)) {
        // Another entry was put at the name: the name is theirs now.
        return {RenameResult::TargetExists, {}};
    }
    if (::renameat(fd, from, fd, to) != 0) {
        const int error = errno;
        (void)removeOwnEntry(fd, QByteArray(to), m_mark.id());
        return fromErrno(error == EEXIST || error == ENOTEMPTY ? EIO : error);
    }
    return kRenamed;
}

} // namespace filarion::platform
