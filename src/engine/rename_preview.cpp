#include "engine/rename_preview.h"

#include "engine/rename_run.h"
#include "engine/texts.h"
#include "platform/folder_snapshot.h"
#include "platform/gbk_text.h"

namespace filarion::engine {

namespace {

// The run's effects played on a snapshot: each event fills the row of its entry.
class PreviewEffects final : public RunEffects {
public:
    PreviewEffects(platform::FolderSnapshot& snapshot, std::vector<PreviewRow>& rows)
        : m_snapshot(snapshot), m_rows(rows) {}

    platform::RenameResult rename(const QString& oldName, const QString& newName) override {
        return m_snapshot.rename(oldName, newName);
    }

    std::error_code writeLine(const RunEvent& event) override {
        PreviewRow& row = m_rows[static_cast<std::size_t>(event.entry)];
        row.newName = event.newName.toString();
        switch (event.kind) {
        case EventKind::Done:
            row.result = event.oldName == event.newName ? PreviewResult::SameName : PreviewResult::Renamed;
            break;
        case EventKind::NameTaken:
            row.result = PreviewResult::NameTaken;
            break;
        case EventKind::Illegal:
            row.result = PreviewResult::EmptyName;
            break;
        case EventKind::Failed:
            row.result = PreviewResult::Refused;
            break;
        }
        return {};
    }

    // The row is written again by the line of what did happen.
    std::error_code retractLine() override { return {}; }

    void passOver(int entry) override { m_rows[static_cast<std::size_t>(entry)].result = PreviewResult::Skipped; }

private:
    platform::FolderSnapshot& m_snapshot;
    std::vector<PreviewRow>& m_rows;
};

// The window's side of a preview: messages are recorded, nothing is shown, nothing is asked.
class PreviewServices final : public CommandServices {
public:
    explicit PreviewServices(QStringList& messages) : m_messages(messages) {}

    void showMessage(const QString& text) override { m_messages.push_back(text); }
    bool askYesNo(const QString& /*text*/) override { return false; }
    void setProgress(int /*value*/) override {}
    void enterBusy() override {}
    void leaveBusy() override {}
    void refreshFileList() override {}

private:
    QStringList& m_messages;
};

} // namespace

std::optional<QString> previewRename(const RenameRequest& request, RenamePreview& preview,
                                     const RunEnvironment& environment) {
    preview = {};
    if (std::optional<QString> message = ValidateRenameRequest(request)) {
        return message;
    }
    const QString logName = QString::fromUtf16(texts::kLogFileName);
    platform::FolderHandle folder;
    platform::FolderSnapshot snapshot;
    if (folder.open(request.Folder) || !platform::GbkAppendFile::isAppendable(folder, logName) ||
        snapshot.take(folder)) {
        return QString::fromUtf16(texts::kLogNotWritable);
    }
    snapshot.addFile(logName);

    preview.rows.resize(static_cast<std::size_t>(request.Files.size()));
    for (qsizetype i = 0; i < request.Files.size(); ++i) {
        PreviewRow& row = preview.rows[static_cast<std::size_t>(i)];
        row.oldName = request.Files[i];
        row.newName = row.oldName;
    }
    PreviewEffects effects(snapshot, preview.rows);
    PreviewServices services(preview.messages);
    renameEntries(request, environment.programName, services, effects);
    return std::nullopt;
}

} // namespace filarion::engine
