#include "ui_core/volume_source.h"

namespace filarion::ui_core {

std::vector<platform::Volume> SystemVolumeSource::volumes() const {
    return platform::mountedVolumes();
}

bool SystemVolumeSource::isReadable(const QString& folder) const {
    return platform::isReadableFolder(folder);
}

} // namespace filarion::ui_core
