#include "engine/rename_table.h"

#include "engine/rename_preview.h"
#include "engine/run_debris.h"
#include "engine/run_log.h"
#include "engine/texts.h"
#include "platform/rename_probe.h"
#include "platform/write_ahead_file.h"

namespace filarion::engine {

namespace {

// A table's renames played on the snapshot: each step's outcome is recorded, nothing is written.
class TablePreviewEffects final : public RunEffects {
public:
    TablePreviewEffects(platform::FolderSnapshot& snapshot, std::vector<platform::RenameResult>& outcomes)
        : m_snapshot(snapshot), m_outcomes(outcomes) {}

    platform::RenameResult rename(const QString& oldName, const QString& newName) override {
        const platform::RenameResult result = m_snapshot.rename(oldName, newName);
        m_outcomes.push_back(result);
        return result;
    }
    std::error_code writeLine(const RunEvent& /*event*/) override { return {}; }
    std::error_code retractLine() override { return {}; }

private:
    platform::FolderSnapshot& m_snapshot;
    std::vector<platform::RenameResult>& m_outcomes;
};

// The refusal of a table whose row is in error: the first such row and why.
std::optional<QString> refusalOf(const std::vector<TableRowState>& states) {
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (isRowError(states[i])) {
            return QString::fromUtf16(texts::kTableRefused).arg(qsizetype(i) + 1).arg(rowStateText(states[i]));
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> previewTable(const RenameTable& table, TablePreview& preview,
                                    const RunEnvironment& environment) {
    preview = {};
    const QString logName = QString::fromUtf16(texts::kLogFileName);
    platform::FolderHandle folder;
    TableChecker checker;
    if (folder.open(table.Folder) || !platform::WriteAheadFile::isAppendable(folder, logName) || checker.take(folder)) {
        return QString::fromUtf16(texts::kLogNotWritable);
    }
    // Writes nothing, as the methods' preview: no test of the folder's rename way (see previewRename).
    if (platform::knownRenameWay(folder) == platform::RenameWay::Unsafe) {
        return QString::fromUtf16(texts::kNoSafeRename);
    }
    preview.errors = checker.check(table, environment.programName, preview.states);
    if (preview.errors > 0) {
        return std::nullopt;
    }
    preview.plan = checker.plan(table, preview.states);
    TablePreviewEffects effects(checker.snapshot(), preview.outcomes);
    PreviewServices services(preview.messages);
    (void)walkRenames(preview.plan.from, preview.plan.to, services, effects);
    return std::nullopt;
}

void renameTable(const RenameTable& table, CommandServices& services, const RunEnvironment& environment) {
    // The log is locked before the folder is read, so that no other run changes the names between the checks
    // and the renames.
    platform::FolderHandle folder;
    platform::WriteAheadFile log;
    platform::RenameWay way = platform::RenameWay::Unprobed;
    if (!openRunFolder(table.Folder, services, folder, log, way)) {
        return;
    }
    TableChecker checker;
    if (const std::error_code taken = checker.take(folder)) {
        (void)log.close();
        services.showMessage(runLogMessage(taken));
        return;
    }
    std::vector<TableRowState> states;
    if (checker.check(table, environment.programName, states) > 0) {
        services.showMessage(*refusalOf(states));
        return;
    }
    const TablePlan plan = checker.plan(table, states);
    const BusyScope busy(services);
    if (writeRunHeader(environment, log)) {
        services.showMessage(QString::fromUtf16(texts::kLogNotWritable));
        return;
    }
    platform::NoReplaceRenamer renamer(folder, way);
    DiskEffects effects(renamer, log, environment.largestBatch);
    (void)walkRenames(plan.from, plan.to, services, effects);
    (void)finishRunLog(folder, log);
}

} // namespace filarion::engine
