#pragma once

#include "platform/folder_handle.h"

#include <QString>
#include <system_error>

namespace filarion::platform {

// The whole text of a GBK file of a held folder, decoded. Reached by its bare name in the folder and never
// through a link: an entry of that name that is a link or not a regular file is refused (ELOOP, EISDIR,
// EINVAL); a missing one is ENOENT. Never waits on a FIFO put there meanwhile.
std::error_code readGbkFile(const FolderHandle& folder, const QString& name, QString& text);

} // namespace filarion::platform
