#pragma once

#include <QStringView>
#include <cstdint>

namespace filarion::ui_core {

enum class Command : std::uint8_t { None, Rename, List };

// The command that the command button's caption names, compared as text with letter case ignored:
// the rename run for "确认改名&N", the list export for "生成清单&C".
Command commandForCaption(QStringView caption);

} // namespace filarion::ui_core
