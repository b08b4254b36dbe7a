#pragma once

#include <QString>

#include <vector>

namespace filarion::platform {

// A mounted volume of a real file system: what the drive list offers.
struct Volume {
    QString rootPath; // absolute, "/" for the root file system, no trailing separator otherwise
    QString name;     // the volume's label, may be empty
};

// The mounted, valid and ready volumes, pseudo file systems (proc, sysfs, cgroup, ...) left out,
// sorted by root path.
std::vector<Volume> mountedVolumes();

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
