#include "ui_core/commands.h"

#include "engine/rename_run.h"
#include "engine/undo_run.h"
#include "ui_core/command_dispatch.h"
#include "ui_core/texts.h"

namespace filarion::ui_core {

engine::RenameRequest renameRequestOf(const CommandInputs& inputs) {
    engine::RenameRequest request;
    request.Method = inputs.method;
    request.FindText = inputs.findText;
    request.ReplaceText = inputs.replaceText;
    request.PrefixText = inputs.prefixText;
    request.FillText = inputs.fillText;
    request.InsertText = inputs.insertText;
    request.PositionText = inputs.positionText;
    request.Folder = inputs.folder;
    request.Files = inputs.names;
    return request;
}

listing::FileListRequest fileListRequestOf(const CommandInputs& inputs) {
    listing::FileListRequest request;
    request.listName = inputs.listName;
    request.form = inputs.nameForm;
    request.patternText = inputs.patternText;
    request.folder = inputs.folder;
    request.files = inputs.names;
    return request;
}

WindowCommands::WindowCommands(engine::CommandServices& services, engine::RunEnvironment environment)
    : m_services(services), m_environment(std::move(environment)) {}

void WindowCommands::runButton(const CommandInputs& inputs) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return;
    }
    switch (commandForCaption(inputs.caption)) {
    case Command::Rename:
        engine::RenameFiles(renameRequestOf(inputs), m_services, m_environment);
        break;
    case Command::List:
        listing::MakeFileList(fileListRequestOf(inputs), m_services);
        break;
    case Command::None:
        break;
    }
}

void WindowCommands::previewRename(const CommandInputs& inputs, const ConfirmPreview& confirm) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return;
    }
    const engine::RenameRequest request = renameRequestOf(inputs);
    engine::RenamePreview preview;
    if (const std::optional<QString> message = engine::previewRename(request, preview, m_environment)) {
        m_services.showMessage(*message);
        return;
    }
    const PreviewChoice choice = confirm(std::move(preview));
    if (choice.confirmed && choice.table) {
        engine::renameTable(*choice.table, m_services, m_environment);
    } else if (choice.confirmed) {
        engine::RenameFiles(request, m_services, m_environment);
    }
}

void WindowCommands::undoLastRun(const QString& folder) {
    engine::undoLastRun(folder, m_services, m_environment);
}

} // namespace filarion::ui_core
