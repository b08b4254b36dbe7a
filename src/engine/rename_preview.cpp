#include "engine/rename_preview.h"

#include "engine/rename_run.h"
#include "engine/run_debris.h"
#include "engine/texts.h"
#include "platform/folder_snapshot.h"
#include "platform/rename_probe.h"
#include "platform/write_ahead_file.h"

namespace filarion::engine {

namespace {

// The run's effects played on a snapshot: each event fills the row of its entry.
class PreviewEffects final : public RunEffects {
public:
    PreviewEffects(platform::FolderSnapshot& snapshot, PreviewRows& rows) : m_snapshot(snapshot), m_rows(rows) {}

    platform::RenameResult rename(const QString& oldName, const QString& newName) override {
        return m_snapshot.rename(oldName, newName);
    }

    std::error_code writeLine(const RunEvent& event) override {
        const auto row = static_cast<std::size_t>(event.entry);
        m_rows.setNewName(row, event.newName);
        switch (event.kind) {
        case EventKind::Done:
            m_rows.setResult(row, event.oldName == event.newName ? PreviewResult::SameName : PreviewResult::Renamed);
            break;
        case EventKind::NameTaken:
            m_rows.setResult(row, PreviewResult::NameTaken);
            break;
        case EventKind::Illegal:
            m_rows.setResult(row, PreviewResult::EmptyName);
            break;
        case EventKind::Failed:
            m_rows.setResult(row, PreviewResult::Refused);
            break;
        }
        return {};
    }

    // The row is written again by the line of what did happen.
    std::error_code retractLine() override { return {}; }

    void passOver(int entry) override { m_rows.setResult(static_cast<std::size_t>(entry), PreviewResult::Skipped); }

private:
    platform::FolderSnapshot& m_snapshot;
    PreviewRows& m_rows;
};

} // namespace

void PreviewRows::reset(const NameList& oldNames) {
    m_oldNames = oldNames;
    m_newNames = {};
    m_newNames.reserve(oldNames.size(), oldNames.text().size());
    m_newAt.assign(static_cast<std::size_t>(oldNames.size()), kOldName);
    m_results.assign(static_cast<std::size_t>(oldNames.size()), PreviewResult::Unchanged);
}

// A row's lines all carry the same new name, and rows are written in order: a name is appended only when it
// is not the row's already.
void PreviewRows::setNewName(std::size_t i, QStringView newName) {
    if (newName == this->newName(i)) {
        return;
    }
    if (newName == oldName(i)) {
        m_newAt[i] = kOldName;
        return;
    }
    m_newAt[i] = static_cast<std::uint32_t>(m_newNames.size());
    m_newNames.append(newName);
}

std::optional<QString> previewRename(const RenameRequest& request, RenamePreview& preview,
                                     const RunEnvironment& environment) {
    preview = {};
    if (std::optional<QString> message = ValidateRenameRequest(request)) {
        return message;
    }
    const QString logName = QString::fromUtf16(texts::kLogFileName);
    platform::FolderHandle folder;
    platform::FolderSnapshot snapshot;
    // The folder holds the working set's files at least, their names most likely in one byte a unit, and a few
    // more entries.
    const auto entries = std::size_t(request.Files.size());
    const auto units = std::size_t(request.Files.text().size());
    snapshot.expectSize(entries + entries / 16 + 64, units + units / 16 + 4096);
    if (folder.open(request.Folder) || !platform::WriteAheadFile::isAppendable(folder, logName) ||
        snapshot.take(folder)) {
        return QString::fromUtf16(texts::kLogNotWritable);
    }
    // The preview writes nothing, so it makes no test of the folder's rename way: where the mount's type or a
    // command of this session found none safe, it says so as the run would; elsewhere it previews as the run
    // goes where the way is safe, and the run's own test decides.
    if (platform::knownRenameWay(folder) == platform::RenameWay::Unsafe) {
        return QString::fromUtf16(texts::kNoSafeRename);
    }
    snapshot.addFile(logName);
    // The run removes the claims a killed rename left before its first rename.
    for (const LeftClaim& claim : findLeftClaims(folder)) {
        snapshot.forget(claim.name);
    }

    preview.rows.reset(request.Files);
    snapshot.expectWalk(request.Files.text(), request.Files.starts());
    PreviewEffects effects(snapshot, preview.rows);
    PreviewServices services(preview.messages);
    renameEntries(request, environment.programName, services, effects);
    preview.rows.squeeze();
    return std::nullopt;
}

} // namespace filarion::engine
