#include "platform/volumes.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace filarion::platform {

namespace {

bool isPseudoFileSystem(const QByteArray& type) {
    static constexpr std::array<const char*, 22> kPseudo = {
        "proc",     "sysfs",     "cgroup",     "cgroup2",   "devpts",      "mqueue",  "debugfs", "tracefs",
        "securityfs", "pstore",  "bpf",        "configfs",  "fusectl",     "hugetlbfs", "autofs", "binfmt_misc",
        "rpc_pipefs", "nsfs",    "efivarfs",   "selinuxfs", "fuse.gvfsd-fuse", "devtmpfs"};
    return std::any_of(kPseudo.begin(), kPseudo.end(), [&](const char* pseudo) { return type == pseudo; });
}

// Mounts under the kernel's and the session's own trees (/proc, /sys, /dev, /run) are no drives a user
// keeps files on, whatever their file system; removable media mounted under /run/media are.
bool isSystemMount(const QString& root) {
    for (const QStringView tree : {u"/proc", u"/sys", u"/dev", u"/run"}) {
        if (root == tree || root.startsWith(tree.toString() + u'/')) {
            return !(tree == u"/run" && root.startsWith(u"/run/media/"));
        }
    }
    return false;
}

bool lies(const QString& folder, const QString& root) {
    if (root == u'/') {
        return folder.startsWith(u'/');
    }
    return folder == root || (folder.startsWith(root) && folder.at(root.size()) == u'/');
}

} // namespace

std::vector<Volume> mountedVolumes() {
    std::vector<Volume> volumes;
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        if (!info.isValid() || !info.isReady() || isPseudoFileSystem(info.fileSystemType())) {
            continue;
        }
        QString root = info.rootPath();
        if (isSystemMount(root)) {
            continue;
        }
        if (std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.rootPath == root; })) {
            continue;
        }
        volumes.push_back({std::move(root), info.name()});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    return volumes;
}

QString volumeRootOf(const QString& folder, const std::vector<Volume>& volumes) {
    QString best;
    for (const Volume& volume : volumes) {
        if (lies(folder, volume.rootPath) && volume.rootPath.size() > best.size()) {
            best = volume.rootPath;
        }
    }
    return best.isEmpty() ? QStringLiteral("/") : best;
}

QString currentFolderOf(const QString& volumeRoot, const std::vector<Volume>& volumes) {
    const QString cwd = workingFolder();
    if (volumeRootOf(cwd, volumes) == volumeRoot) {
        return cwd;
    }
    return volumeRoot;
}

QString workingFolder() { return QDir::currentPath(); }

bool isReadableFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace filarion::platform
