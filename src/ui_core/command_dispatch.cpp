#include "ui_core/command_dispatch.h"

#include "ui_core/commands.h"
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

void WindowCommands::runButton(const CommandInputs& inputs) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return;
    }
    switch (commandForCaption(inputs.caption)) {
    case Command::Rename:
        (void)rename(inputs);
        break;
    case Command::List:
        (void)makeList(inputs);
        break;
    case Command::None:
        break;
    }
}

} // namespace filarion::ui_core
