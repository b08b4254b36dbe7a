#include "platform/volumes.h"

#include "platform/unique_fd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace filarion::platform {

using namespace Qt::StringLiterals;

namespace {

bool isPseudoFileSystem(const QByteArray& type) {
    static constexpr std::array<const char*, 24> kPseudo = {
        "proc",       "sysfs",  "cgroup",   "cgroup2",   "devpts",          "mqueue",    "debugfs", "tracefs",
        "securityfs", "pstore", "bpf",      "configfs",  "fusectl",         "hugetlbfs", "autofs",  "binfmt_misc",
        "rpc_pipefs", "nsfs",   "efivarfs", "selinuxfs", "fuse.gvfsd-fuse", "devtmpfs",  "rootfs",  "nfsd"};
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

// The kernel writes a blank, tab, line feed and backslash in a mount table field as a backslash and three
// octal digits.
QByteArray unescapeField(QByteArrayView field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            bytes.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            bytes.append(field[i]);
        }
    }
    return bytes;
}

struct Mount {
    QByteArray type;
    QByteArray source;
};

// udev names the links in /dev/disk/by-label after the labels, with unsafe bytes written as \xHH.
QString decodeLabel(const QByteArray& linkName) {
    QByteArray bytes;
    for (qsizetype i = 0; i < linkName.size(); ++i) {
        bool ok = false;
        const int byte = i + 3 < linkName.size() && linkName[i] == '\\' && linkName[i + 1] == 'x'
                             ? linkName.mid(i + 2, 2).toInt(&ok, 16)
                             : 0;
        if (ok) {
            bytes.append(char(byte));
            i += 3;
        } else {
            bytes.append(linkName[i]);
        }
    }
    return QString::fromUtf8(bytes);
}

// The labels of the block devices by their device paths. Only /dev is read, never a mounted file system.
std::map<QString, QString> deviceLabels() {
    std::map<QString, QString> labels;
    const QDir byLabel(u"/dev/disk/by-label"_s);
    for (const QFileInfo& link : byLabel.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty()) {
            labels.emplace(device, decodeLabel(QFile::encodeName(link.fileName())));
        }
    }
    return labels;
}

} // namespace

std::vector<Volume> volumesFromMountTable(QByteArrayView table,
                                          const std::function<QString(const QByteArray& source)>& labelOf) {
    // Keyed by mount point, so that a later mount on the same folder replaces the one it hides.
    std::map<QString, Mount> mounts;
    for (const QByteArray& line : table.toByteArray().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const auto separator =
            std::find(fields.begin() + std::min<qsizetype>(6, fields.size()), fields.end(), QByteArray("-"));
        if (fields.size() < 7 || std::distance(separator, fields.end()) < 3) {
            continue;
        }
        mounts[QFile::decodeName(unescapeField(fields[4]))] = {unescapeField(separator[1]),
                                                               unescapeField(separator[2])};
    }
    std::vector<Volume> volumes;
    for (const auto& [root, mount] : mounts) {
        if (root == u'/' || (root.startsWith(u'/') && !isPseudoFileSystem(mount.type) && !isSystemMount(root))) {
            volumes.push_back({root, labelOf ? labelOf(mount.source) : QString()});
        }
    }
    if (volumes.empty() || volumes.front().rootPath != u'/') {
        volumes.insert(volumes.begin(), {u"/"_s, {}});
    }
    return volumes;
}

std::vector<Volume> mountedVolumes() {
    QFile table(u"/proc/self/mountinfo"_s);
    const QByteArray text = table.open(QIODevice::ReadOnly) ? table.readAll() : QByteArray();
    std::map<QString, QString> labels;
    bool labelsRead = false;
    return volumesFromMountTable(text, [&](const QByteArray& source) {
        if (!source.startsWith("/dev/")) {
            return QString();
        }
        if (!labelsRead) {
            labels = deviceLabels();
            labelsRead = true;
        }
        const QString device = QFileInfo(QFile::decodeName(source)).canonicalFilePath();
        const auto found = labels.find(device);
        return found == labels.end() ? QString() : found->second;
    });
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
    QString cwd = workingFolder();
    if (volumeRootOf(cwd, volumes) == volumeRoot) {
        return cwd;
    }
    return volumeRoot;
}

QString workingFolder() {
    return QDir::currentPath();
}

bool isReadableFolder(const QString& folder) {
    return UniqueFd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)).isOpen();
}

} // namespace filarion::platform
