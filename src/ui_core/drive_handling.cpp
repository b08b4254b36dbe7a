#include "ui_core/drive_handling.h"

#include <algorithm>

namespace filarion::ui_core {

DriveHandling::DriveHandling(const VolumeSource& source) : m_source(source), m_volumes(source.volumes()) {}

QString DriveHandling::driveOf(const QString& folder) const {
    const QString root = platform::volumeRootOf(folder, m_volumes);
    const bool offered = std::any_of(m_volumes.begin(), m_volumes.end(),
                                     [&](const platform::Volume& volume) { return volume.rootPath == root; });
    return offered ? root : QString();
}

DriveView DriveHandling::change(const QString& chosen, const QString& shown) const {
    DriveView view{chosen, shown};
    // The first pass is the user's change, the second the nested one that putting the drive back raises.
    // The second pass ends the chain: its drive is that of the folder it leaves shown.
    for (int pass = 0; pass < 2; ++pass) {
        const QString current = platform::currentFolderOf(view.drive, m_volumes);
        if (m_source.isReadable(current)) {
            view.folder = current;
        }
        const QString drive = driveOf(view.folder);
        if (drive.isEmpty() || drive == view.drive) {
            break;
        }
        view.drive = drive;
    }
    return view;
}

} // namespace filarion::ui_core
