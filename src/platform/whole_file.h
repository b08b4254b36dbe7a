#pragma once

#include <QByteArray>
#include <QString>
#include <system_error>

namespace filarion::platform {

// Reads a whole regular file of at most `limit` bytes (a file longer than that: file_too_large), following
// no link at its own name.
[[nodiscard]] std::error_code readWholeFile(const QString& path, qsizetype limit, QByteArray& bytes);

} // namespace filarion::platform
