#include "engine/rename_run.h"

#include "engine/fill_method.h"
#include "engine/insert_method.h"
#include "engine/prefix_method.h"
#include "engine/rename_context.h"
#include "engine/replace_method.h"
#include "engine/run_debris.h"
#include "engine/texts.h"
#include "platform/file_rename.h"
#include "platform/write_ahead_file.h"

namespace filarion::engine {

namespace {

RenameStep stepOf(RenameMethod method) {
    switch (method) {
    case RenameMethod::Replace:
        return &RenameWithReplace;
    case RenameMethod::Prefix:
        return &RenameWithPrefix;
    case RenameMethod::Fill:
        return &RenameWithFill;
    case RenameMethod::Insert:
        return &RenameWithInsert;
    }
    return &RenameWithReplace;
}

} // namespace

bool walkEntries(const NameList& names, const std::function<bool(const QString&)>& passOver,
                 const std::function<StepDecision(int, const QString&)>& decide, CommandServices& services,
                 RunEffects& effects) {
    const auto count = static_cast<int>(names.size());
    // What the walk will ask for at a later entry: the steps decide from the names alone.
    RenameContext run(services, effects, [&](int j) {
        ComingRename coming;
        if (j >= count) {
            return coming;
        }
        const QStringView view = names.at(j);
        const QString name = QString::fromRawData(view.data(), view.size());
        coming.skip = true;
        if (passOver(name)) {
            return coming;
        }
        StepDecision decision = decide(j, name);
        coming.skip = decision.kind == StepDecision::Kind::Leave;
        coming.rename = decision.kind == StepDecision::Kind::Rename;
        if (coming.rename) {
            coming.oldName = name;
            coming.newName = std::move(decision.newName);
        }
        return coming;
    });
    ProgressTicker progress(services, count);
    for (int i = 0; i < count && !run.stopped(); ++i) {
        progress.tick(i);
        // The entry's name without a copy of its own: a batch of any size makes no string per entry.
        const QStringView view = names.at(i);
        const QString name = QString::fromRawData(view.data(), view.size());
        if (passOver(name)) {
            effects.passOver(i);
            continue;
        }
        run.beginEntry(i);
        if (const QString* ahead = run.decidedAhead()) {
            const QString newName = *ahead; // the batch that holds it may be cut meanwhile
            run.ApplyRename(name, newName);
            continue;
        }
        const StepDecision decision = decide(i, name);
        switch (decision.kind) {
        case StepDecision::Kind::Leave:
            break;
        case StepDecision::Kind::RefuseEmptyName:
            run.refuseEmptyName(name, decision.newName);
            break;
        case StepDecision::Kind::Rename:
            run.ApplyRename(name, decision.newName);
            break;
        }
    }
    return run.stopped();
}

bool walkRenames(const NameList& from, const NameList& to, CommandServices& services, RunEffects& effects) {
    return walkEntries(
        from, [](const QString&) { return false; },
        [&to](int i, const QString&) {
            const QStringView name = to.at(i);
            return StepDecision::renameTo(QString::fromRawData(name.data(), name.size()));
        },
        services, effects);
}

bool openRunFolder(const QString& path, CommandServices& services, platform::FolderHandle& folder,
                   platform::WriteAheadFile& log, platform::RenameWay& way) {
    // Nothing is renamed unless the log takes the run's header: a rename must never go unrecorded. The log
    // and every rename are reached through the one held folder, and the log's lock keeps any other run or
    // undo out of it until the last line.
    std::error_code error = folder.open(path);
    way = platform::RenameWay::Unprobed;
    // A mount that tells no rename there is safe is refused before anything is written, the log included.
    if (!error && platform::knownRenameWay(folder) == platform::RenameWay::Unsafe) {
        services.showMessage(QString::fromUtf16(texts::kNoSafeRename));
        return false;
    }
    if (!error) {
        error = openLockedRunLog(folder, log);
    }
    if (error) {
        services.showMessage(runLogMessage(error));
        return false;
    }
    // Under the log's lock, before the header hides the last run's lines: what a killed command left, then the
    // folder's own test of its rename way.
    if (!readyForRenames(folder, findLeftClaims(folder), way)) {
        (void)log.close();
        services.showMessage(QString::fromUtf16(texts::kNoSafeRename));
        return false;
    }
    return true;
}

void renameEntries(const RenameRequest& request, QStringView programName, CommandServices& services,
                   RunEffects& effects) {
    const RunValues values = scanWorkingSet(request.Files, programName);
    const StepInput input{request, values};
    const RenameStep step = stepOf(request.Method);
    (void)walkEntries(
        request.Files, [&](const QString& name) { return IsSkippedEntry(name, programName); },
        [&](int i, const QString& name) { return step(input, i, name); }, services, effects);
}

void RenameFiles(const RenameRequest& request, CommandServices& services, const RunEnvironment& environment) {
    if (const std::optional<QString> message = ValidateRenameRequest(request)) {
        services.showMessage(*message);
        return;
    }
    const BusyScope busy(services);

    platform::FolderHandle folder;
    platform::WriteAheadFile log;
    platform::RenameWay way = platform::RenameWay::Unprobed;
    if (!openRunFolder(request.Folder, services, folder, log, way)) {
        return;
    }
    if (writeRunHeader(environment, log)) {
        (void)log.close();
        services.showMessage(QString::fromUtf16(texts::kLogNotWritable));
        return;
    }
    platform::NoReplaceRenamer renamer(folder, way);
    DiskEffects effects(renamer, log, environment.largestBatch);
    renameEntries(request, environment.programName, services, effects);
    // Every line went out before its rename; the run is done once the log and the folder are on the disk. A
    // failure of that last sync leaves nothing to do differently: every line is in the file already.
    (void)finishRunLog(folder, log);
}

} // namespace filarion::engine
