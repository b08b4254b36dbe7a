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

// The probe's hidden files have fixed names and the claim's mark, so that the ones a kill left are known and
// removed by the next probe; a probe of another program in the folder at the same moment may lose its files to
// this one, and then finds no way (Unprobed), which is safe.
class ProbeFiles {
public:
    explicit ProbeFiles(int folder) : m_folder(folder) {
        for (int i = 0; i < 3; ++i) {
            m_names[i] = QByteArray(".filarion-probe-") + char('a' + i);
            removeIfLeft(i);
        }
    }
    ~ProbeFiles() {
        for (const QByteArray& name : m_names) {
            if (m_created) {
                (void)::unlinkat(m_folder, name.constData(), 0);
            }
        }
    }
    ProbeFiles(const ProbeFiles&) = delete;
    ProbeFiles& operator=(const ProbeFiles&) = delete;

    const char* name(int i) const { return m_names[i].constData(); }
    bool create(int i) {
        const int fd = ::openat(m_folder, name(i), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kClaimMode);
        m_created = m_created || fd >= 0;
        return fd >= 0 && ::close(fd) == 0;
    }
    bool exists(int i) const {
        struct stat st {};
        return ::fstatat(m_folder, name(i), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }

private:
    void removeIfLeft(int i) const {
        struct stat st {};
        if (::fstatat(m_folder, name(i), &st, AT_SYMLINK_NOFOLLOW) == 0 && bearsClaimMark(st)) {
            (void)::unlinkat(m_folder, name(i), 0);
        }
    }

    int m_folder;
    QByteArray m_names[3];
    bool m_created = false; // the names are this probe's own from then on
};

} // namespace

RenameWay probeRenameWay(const FolderHandle& folder) {
    if (!folder.isOpen()) {
        return RenameWay::Unprobed;
    }
    const int fd = folder.descriptor();
    // rclone's mount takes no hard link, replaces on a plain rename and uploads a claim after it closes: no
    // way there is safe, and no trial is needed to know it.
    if (claimIsUnsafe(fd)) {
        return RenameWay::Unsafe;
    }
    ProbeFiles files(fd);
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
    // A hard link refuses a taken name in one step wherever it works; it comes first.
    if (::linkat(fd, files.name(0), fd, files.name(2), 0) == 0) {
        return RenameWay::LinkOrClaim;
    }
    const int linkError = errno;
    if (::renameat(fd, files.name(0), fd, files.name(1)) != 0) {
        // Refused, and both names still there: the server does not replace.
        return files.exists(0) && files.exists(1) ? RenameWay::PlainRefuses : RenameWay::Unprobed;
    }
    // The plain rename replaced: only a claim is left.
    if (!isNoLinks(linkError)) {
        return RenameWay::Unsafe;
    }
    return RenameWay::LinkOrClaim;
}

RenameWay renameWayOf(const FolderHandle& folder) {
    return showsLinksAsCopies(folder) ? probeRenameWay(folder) : RenameWay::Unprobed;
}

bool bearsClaimMark(const struct stat& entry) {
    return S_ISREG(entry.st_mode) && entry.st_size == 0 && (entry.st_mode & 07777) == kClaimMode;
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
