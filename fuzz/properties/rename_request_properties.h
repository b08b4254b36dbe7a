#pragma once

#include "engine/rename_request.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace filarion::fuzz {

// Checks ValidateRenameRequest for the request; other is a second request whose fields stand in for
// those of the methods that are not selected. Also checks isIntegerText and parseInsertPosition on the
// request's position text. Empty when every property holds, otherwise the first that fails.
QString checkRenameRequest(const engine::RenameRequest& request, const engine::RenameRequest& other);

QString checkRenameRequestInput(const std::uint8_t* data, std::size_t size);

} // namespace filarion::fuzz
