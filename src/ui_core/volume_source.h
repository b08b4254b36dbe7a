#pragma once

#include "platform/volumes.h"

#include <QString>
#include <vector>

namespace filarion::ui_core {

// Where the drive list gets its drives from, and whether a folder on them can be read.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;

    virtual std::vector<platform::Volume> volumes() const = 0;
    virtual bool isReadable(const QString& folder) const = 0;
};

// The mounted volumes of this machine.
class SystemVolumeSource : public VolumeSource {
public:
    std::vector<platform::Volume> volumes() const override;
    bool isReadable(const QString& folder) const override;
};

} // namespace filarion::ui_core
