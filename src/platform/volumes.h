#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <vector>

namespace filarion::platform {

// A mounted volume of a real file system: what the drive list offers.
struct Volume {
    QString rootPath; // absolute, "/" for the root file system, no trailing separator otherwise
    QString name;     // the volume's label, may be empty
};

// The volumes of the process's mount table, /proc/self/mountinfo, as volumesFromMountTable gives them. Only
// the table and the device names are read: no mounted file system is asked anything, so a mount that does
// not answer (a stopped FUSE daemon, a lost network server) cannot block the caller.
std::vector<Volume> mountedVolumes();

// The volumes that a mount table in the format of /proc/<pid>/mountinfo describes, sorted by root path: of
// the mounts on one folder only the last, which hides the others; pseudo file systems (proc, sysfs, cgroup,
// autofs, ...) and the mounts under /proc, /sys, /dev and /run (but /run/media) left out. The root folder
// "/" is always one, even when it is no mount point of its own (a chroot, a build root). `labelOf` gives the
// label of a mount's source (a device path), or "".
std::vector<Volume> volumesFromMountTable(QByteArrayView table,
                                          const std::function<QString(const QByteArray& source)>& labelOf = {});

// The root of the volume that holds the folder: the longest root path that is a prefix of it.
QString volumeRootOf(const QString& folder, const std::vector<Volume>& volumes);

// A volume's current folder: the process's working folder when it lies on that volume,
// otherwise the volume's root.
QString currentFolderOf(const QString& volumeRoot, const std::vector<Volume>& volumes);

// The process's working folder.
QString workingFolder();

// True when the folder can be opened and read.
bool isReadableFolder(const QString& folder);

} // namespace filarion::platform
