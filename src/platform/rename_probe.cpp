#include "platform/rename_probe.h"

#include "platform/file_writes.h"
#include "platform/own_files.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

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

// The probe's hidden files are named and marked with the command's id: the ones a kill left are known by both
// and removed under the next command's lock (removeLeftProbeFiles), and two commands that probe one folder at
// once (from two clients of a NAS) never touch each other's files.
class ProbeFiles {
public:
    explicit ProbeFiles(const FolderHandle& folder) : m_folder(folder) {
        for (int i = 0; i < 3; ++i) {
            m_names[i] = probeFileName(m_mark.id(), i);
        }
    }
    ~ProbeFiles() {
        for (const QByteArray& name : m_names) {
            (void)removeOwnFile(m_folder, QString::fromLatin1(name), m_mark.id());
        }
    }
    ProbeFiles(const ProbeFiles&) = delete;
    ProbeFiles& operator=(const ProbeFiles&) = delete;

    const char* name(int i) const { return m_names[i].constData(); }
    bool create(int i) {
        const UniqueFd fd(
            ::openat(m_folder.descriptor(), name(i), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        return fd.isOpen() && writeMark(fd.get(), m_mark);
    }
    bool exists(int i) const {
        struct stat st {};
        return ::fstatat(m_folder.descriptor(), name(i), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }

private:
    const FolderHandle& m_folder;
    CommandMark m_mark;
    QByteArray m_names[3];
};

// The ways found, by file system, for the preview: it writes nothing, so it tests nothing itself.
std::mutex g_waysMutex;
std::map<dev_t, RenameWay> g_ways;

dev_t deviceOf(int folder) {
    struct stat st {};
    return ::fstat(folder, &st) == 0 ? st.st_dev : dev_t(0);
}

RenameWay remembered(int folder, RenameWay way) {
    const std::lock_guard<std::mutex> lock(g_waysMutex);
    g_ways[deviceOf(folder)] = way;
    return way;
}

RenameWay probe(const FolderHandle& folder) {
    const int fd = folder.descriptor();
    ProbeFiles files(folder);
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
    return isNoLinks(linkError) ? RenameWay::LinkOrClaim : RenameWay::Unsafe;
}

} // namespace

RenameWay probeRenameWay(const FolderHandle& folder) {
    if (!folder.isOpen()) {
        return RenameWay::Unprobed;
    }
    // rclone's mount takes no hard link, replaces on a plain rename and uploads a claim after it closes: no
    // way there is safe, and no trial is needed to know it.
    if (claimIsUnsafe(folder.descriptor())) {
        return remembered(folder.descriptor(), RenameWay::Unsafe);
    }
    return remembered(folder.descriptor(), probe(folder));
}

RenameWay renameWayOf(const FolderHandle& folder) {
    return showsLinksAsCopies(folder) ? probeRenameWay(folder) : RenameWay::Unprobed;
}

std::optional<RenameWay> knownRenameWay(const FolderHandle& folder) {
    if (!folder.isOpen() || !showsLinksAsCopies(folder)) {
        return RenameWay::Unprobed;
    }
    if (claimIsUnsafe(folder.descriptor())) {
        return RenameWay::Unsafe;
    }
    const std::lock_guard<std::mutex> lock(g_waysMutex);
    const auto found = g_ways.find(deviceOf(folder.descriptor()));
    return found == g_ways.end() ? std::nullopt : std::optional<RenameWay>(found->second);
}

bool showsLinksAsCopies(const FolderHandle& folder) {
    return folder.isOpen() && !isOnLocalDisk(folder.descriptor());
}

} // namespace filarion::platform
