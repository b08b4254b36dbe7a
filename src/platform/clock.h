#pragma once

#include <QDateTime>
#include <QString>

namespace filarion::platform {

// The system locale's short date, a blank, and its time with seconds.
QString formatStamp(const QDateTime& moment);

// formatStamp of the current local time.
QString currentStamp();

} // namespace filarion::platform
