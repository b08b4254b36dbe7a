#pragma once

#include "platform/volumes.h"
#include "ui_core/volume_source.h"

#include <QStringList>
#include <vector>

namespace filarion::test {

// A drive list made up by a test: the volumes it names, real folders or not. A folder is readable when it
// can really be read and is not named in `unreadable` (a drive that is there but not ready).
class ListedVolumes : public ui_core::VolumeSource {
public:
    std::vector<platform::Volume> list;
    QStringList unreadable;

    std::vector<platform::Volume> volumes() const override { return list; }
    bool isReadable(const QString& folder) const override {
        return !unreadable.contains(folder) && platform::isReadableFolder(folder);
    }
};

} // namespace filarion::test
