#include "ui_core/command_dispatch.h"

#include "ui_core/texts.h"

namespace filarion::ui_core {

Command commandForCaption(QStringView caption) {
    if (caption.compare(QStringView(texts::kCaptionRename), Qt::CaseInsensitive) == 0) {
        return Command::Rename;
    }
    if (caption.compare(QStringView(texts::kCaptionList), Qt::CaseInsensitive) == 0) {
        return Command::List;
    }
    return Command::None;
}

} // namespace filarion::ui_core
