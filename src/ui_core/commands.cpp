#include "ui_core/commands.h"

#include "engine/rename_run.h"
#include "engine/table_file.h"
#include "engine/undo_run.h"
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

namespace {

// Passes everything on to the services and keeps what tells how the command ended: every message a command
// shows is a refusal before any rename, or comes with renames left undone; a refused rename is noted as such.
class EndRecorder final : public engine::CommandServices {
public:
    explicit EndRecorder(engine::CommandServices& services) : m_services(services) {}

    void showMessage(const QString& text) override {
        m_told = true;
        m_services.showMessage(text);
    }
    bool askYesNo(const QString& text) override {
        const bool yes = m_services.askYesNo(text);
        m_declined = m_declined || !yes;
        return yes;
    }
    void setProgress(int value) override { m_services.setProgress(value); }
    void enterBusy() override { m_services.enterBusy(); }
    void leaveBusy() override { m_services.leaveBusy(); }
    void refreshFileList() override { m_services.refreshFileList(); }
    void noteRename(QStringView oldName, QStringView newName, engine::RenameOutcome outcome) override {
        (outcome == engine::RenameOutcome::Renamed ? m_renamed : m_notRenamed) = true;
        m_services.noteRename(oldName, newName, outcome);
    }

    CommandEnd end() const {
        if (m_notRenamed || (m_renamed && m_told)) {
            return CommandEnd::Incomplete;
        }
        return m_told || m_declined ? CommandEnd::Refused : CommandEnd::Done;
    }

private:
    engine::CommandServices& m_services;
    bool m_told = false;
    bool m_declined = false;
    bool m_renamed = false;
    bool m_notRenamed = false;
};

} // namespace

WindowCommands::WindowCommands(engine::CommandServices& services, engine::RunEnvironment environment)
    : m_services(services), m_environment(std::move(environment)) {}

CommandEnd WindowCommands::rename(const CommandInputs& inputs) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return CommandEnd::Done;
    }
    EndRecorder recorder(m_services);
    engine::RenameFiles(renameRequestOf(inputs), recorder, m_environment);
    return recorder.end();
}

CommandEnd WindowCommands::previewRename(const CommandInputs& inputs, const ConfirmPreview& confirm) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return CommandEnd::Done;
    }
    const engine::RenameRequest request = renameRequestOf(inputs);
    engine::RenamePreview preview;
    if (const std::optional<QString> message = engine::previewRename(request, preview, m_environment)) {
        m_services.showMessage(*message);
        return CommandEnd::Refused;
    }
    const PreviewChoice choice = confirm(std::move(preview));
    if (!choice.confirmed) {
        return CommandEnd::Done;
    }
    EndRecorder recorder(m_services);
    if (choice.table) {
        engine::renameTable(*choice.table, recorder, m_environment);
    } else {
        engine::RenameFiles(request, recorder, m_environment);
    }
    return recorder.end();
}

CommandEnd WindowCommands::makeList(const CommandInputs& inputs) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return CommandEnd::Done;
    }
    EndRecorder recorder(m_services);
    listing::MakeFileList(fileListRequestOf(inputs), recorder);
    return recorder.end();
}

CommandEnd WindowCommands::undoLastRun(const QString& folder) {
    EndRecorder recorder(m_services);
    engine::undoLastRun(folder, recorder, m_environment);
    return recorder.end();
}

CommandEnd WindowCommands::renameTableFile(const CommandInputs& inputs, const QString& tableFile) {
    if (inputs.names.isEmpty()) {
        m_services.showMessage(QString::fromUtf16(texts::kNoFiles));
        return CommandEnd::Done;
    }
    engine::RenameTable table;
    if (const std::optional<QString> message =
            engine::readTableRequest(inputs.folder, inputs.names, tableFile, table)) {
        m_services.showMessage(*message);
        return CommandEnd::Refused;
    }
    EndRecorder recorder(m_services);
    engine::renameTable(table, recorder, m_environment);
    return recorder.end();
}

} // namespace filarion::ui_core
