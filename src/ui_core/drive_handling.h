#pragma once

#include "platform/volumes.h"
#include "ui_core/volume_source.h"

#include <QString>
#include <vector>

namespace filarion::ui_core {

// What the drive list and the folder list show.
struct DriveView {
    QString drive;  // the root path of the selected volume
    QString folder; // the folder list's current folder
};

// The drive list's logic: the drives on offer, each drive's current folder, and the drive handling with its
// silent fallback. The volumes are read once, when the object is made.
class DriveHandling {
public:
    explicit DriveHandling(const VolumeSource& source);

    const std::vector<platform::Volume>& volumes() const { return m_volumes; }

    // The drive that holds the folder; "" when no volume is a prefix of it.
    QString driveOf(const QString& folder) const;

    // driTrim_Change: the drive `chosen` was selected while the folder list showed `shown`. The folder list
    // moves to the chosen drive's current folder when that can be read. Then the drive list is put on the
    // drive of the folder now shown; when that is another drive than the chosen one (it could not be read),
    // putting it back is itself a drive change and runs once more, nested, for that drive. Nothing is
    // reported.
    DriveView change(const QString& chosen, const QString& shown) const;

private:
    const VolumeSource& m_source;
    std::vector<platform::Volume> m_volumes;
};

} // namespace filarion::ui_core
