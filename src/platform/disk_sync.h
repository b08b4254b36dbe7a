#pragma once

#include "platform/folder_handle.h"

#include <system_error>

namespace filarion::platform {

// Puts the held folder's entries on the disk (fsync of the folder): the renames, creations and removals
// made in it so far survive a power cut once this returns without error.
[[nodiscard]] std::error_code syncFolder(const FolderHandle& folder);

} // namespace filarion::platform
