#include "platform/rename_probe.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

constexpr long kFuseMagic = 0x65735546;
constexpr long kSmb2Magic = static_cast<long>(0xfe534d42);
constexpr long kCifsMagic = static_cast<long>(0xff534d42);

// The errors with which a file system (FAT, exFAT, FUSE, SFTP without the hardlink extension) says that it
// takes no hard link at all.
bool isNoLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == EXDEV || error == ENOSYS || error == EMLINK;
}

// The type of the mount that holds the folder, from the process's mount table ("fuse.rclone", "ext4").
QByteArray mountTypeOf(int folder) {
    struct stat st {};
    if (::fstat(folder, &st) != 0) {
        return {};
    }
    const QByteArray device = QByteArray::number(major(st.st_dev)) + ':' + QByteArray::number(minor(st.st_dev));
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray type;
    // The last mount of the device is the one that shows; the type follows the " - " separator.
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() > 2 && fields.at(2) == device && separator > 0 && separator + 1 < fields.size()) {
            type = fields.at(separator + 1);
        }
    }
    return type;
}

// A mount that writes a file's content to the remote only after it is closed would later put an empty claim
// over the photo renamed onto it.
bool claimIsUnsafe(int folder) {
    const QByteArray type = mountTypeOf(folder);
    return type.contains("rclone");
}

class ProbeFiles {
public:
    explicit ProbeFiles(int folder) : m_folder(folder) {
        const QByteArray stem = ".filarion-probe-" + QByteArray::number(::getpid()) + '-';
        for (int i = 0; i < 3; ++i) {
            m_names[i] = stem + QByteArray::number(reinterpret_cast<quintptr>(this) % 100000) + char('a' + i);
        }
    }
    ~ProbeFiles() {
        for (const QByteArray& name : m_names) {
            (void)::unlinkat(m_folder, name.constData(), 0);
        }
    }
    ProbeFiles(const ProbeFiles&) = delete;
    ProbeFiles& operator=(const ProbeFiles&) = delete;

    const char* name(int i) const { return m_names[i].constData(); }
    bool create(int i) const {
        const int fd = ::openat(m_folder, name(i), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        return fd >= 0 && ::close(fd) == 0;
    }
    bool exists(int i) const {
        struct stat st {};
        return ::fstatat(m_folder, name(i), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }

private:
    int m_folder;
    QByteArray m_names[3];
};

} // namespace

RenameWay probeRenameWay(const FolderHandle& folder) {
    if (!folder.isOpen()) {
        return RenameWay::Unprobed;
    }
    const int fd = folder.descriptor();
    const ProbeFiles files(fd);
    if (!files.create(0) || !files.create(1)) {
        return RenameWay::Unprobed;
    }
    // Onto a free name: the kernel itself answers EEXIST for a name it knows, whatever the file system takes.
    if (::renameat2(fd, files.name(0), fd, files.name(2), RENAME_NOREPLACE) == 0) {
        return RenameWay::NoReplace;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return RenameWay::Unprobed;
    }
    if (::renameat(fd, files.name(0), fd, files.name(1)) != 0) {
        // Refused, and both names still there: the server does not replace.
        return files.exists(0) && files.exists(1) ? RenameWay::PlainRefuses : RenameWay::Unprobed;
    }
    // The plain rename replaced: a link is needed, or a claim.
    if (::linkat(fd, files.name(1), fd, files.name(2), 0) == 0) {
        return RenameWay::LinkOrClaim;
    }
    if (!isNoLinks(errno) || claimIsUnsafe(fd)) {
        return RenameWay::Unsafe;
    }
    return RenameWay::LinkOrClaim;
}

bool bearsClaimMark(const struct stat& entry) {
    return S_ISREG(entry.st_mode) && entry.st_size == 0 && (entry.st_mode & 07777) == kClaimMode &&
           entry.st_mtim.tv_sec == kClaimTime;
}

bool showsLinksAsCopies(const FolderHandle& folder) {
    struct statfs fs {};
    if (::fstatfs(folder.descriptor(), &fs) != 0) {
        return false;
    }
    const auto type = static_cast<long>(fs.f_type);
    return type == kFuseMagic || type == NFS_SUPER_MAGIC || type == kSmb2Magic || type == kCifsMagic ||
           type == SMB_SUPER_MAGIC;
}

} // namespace filarion::platform
