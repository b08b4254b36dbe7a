#include "engine/undo_run.h"

#include "engine/rename_context.h"
#include "engine/texts.h"
#include "platform/file_rename.h"
#include "platform/folder_snapshot.h"
#include "platform/gbk_read.h"
#include "platform/gbk_text.h"

#include <vector>

namespace filarion::engine {

namespace {

struct UndoStep {
    QString currentName; // the new name of the run's line, which the file bears now
    QString formerName;  // the old name it goes back to
};

struct UndoPlan {
    std::vector<UndoStep> steps; // in the order they are taken back
    int leftAlone = 0;           // done lines that identify no single file
};

enum class LineReading : std::uint8_t { NotReversible, Reversible, LeftAlone };

// Reads one done line's text without its ending against the snapshot as it stands at that line's turn.
LineReading readDoneLine(QStringView body, const platform::FolderSnapshot& snapshot, UndoStep& step) {
    if (body.contains(u'?')) {
        return LineReading::LeftAlone;
    }
    const QStringView renamedTo(texts::kRenamedTo);
    int splits = 0;
    int renameFits = 0;
    bool sameNameSplit = false; // at most one split, the one in the middle, reads a name that stayed
    bool sameNameFits = false;
    for (qsizetype at = body.indexOf(renamedTo); at >= 0; at = body.indexOf(renamedTo, at + 1)) {
        const QStringView oldName = body.first(at);
        const QStringView newName = body.sliced(at + renamedTo.size());
        if (oldName.isEmpty() || newName.isEmpty()) {
            continue;
        }
        ++splits;
        QString former = oldName.toString();
        if (oldName == newName) {
            sameNameSplit = true;
            sameNameFits = snapshot.isFile(former);
            continue;
        }
        QString current = newName.toString();
        if (snapshot.isFile(current) && !snapshot.contains(former)) {
            ++renameFits;
            step = {std::move(current), std::move(former)};
        }
    }
    if (splits == 1 && sameNameSplit) {
        return LineReading::NotReversible; // its only reading is a name that stayed as it was
    }
    if (renameFits + (sameNameFits ? 1 : 0) != 1) {
        return LineReading::LeftAlone;
    }
    return renameFits == 1 ? LineReading::Reversible : LineReading::NotReversible;
}

// The last run of the log text: the lines after its last header line, read from the last to the first, each
// reversible one played back on the snapshot so that the next one is read against the folder as it will be.
UndoPlan planUndo(QStringView log, platform::FolderSnapshot& snapshot) {
    UndoPlan plan;
    const QStringView lineEnd(u"\r\n");
    std::vector<QStringView> lines;
    qsizetype start = 0;
    for (qsizetype end = log.indexOf(lineEnd); end >= 0; end = log.indexOf(lineEnd, start)) {
        lines.push_back(log.sliced(start, end - start));
        start = end + lineEnd.size();
    }
    const bool torn = start < log.size();
    qsizetype first = 0;
    bool headed = false;
    for (qsizetype i = static_cast<qsizetype>(lines.size()) - 1; i >= 0; --i) {
        if (lines[static_cast<std::size_t>(i)].endsWith(QStringView(texts::kLogHeaderEnd))) {
            first = i + 1;
            headed = true;
            break;
        }
    }
    if (!headed) {
        return plan;
    }
    plan.leftAlone += torn ? 1 : 0;
    for (qsizetype i = static_cast<qsizetype>(lines.size()) - 1; i >= first; --i) {
        const QStringView line = lines[static_cast<std::size_t>(i)];
        if (line.endsWith(QStringView(texts::kLineNameTaken)) || line.endsWith(QStringView(texts::kLineIllegal)) ||
            line.endsWith(QStringView(texts::kLineFailed))) {
            continue; // nothing was renamed
        }
        UndoStep step;
        const LineReading reading =
            line.endsWith(QStringView(texts::kLineDone))
                ? readDoneLine(line.chopped(QStringView(texts::kLineDone).size()), snapshot, step)
                : LineReading::LeftAlone;
        if (reading == LineReading::LeftAlone) {
            ++plan.leftAlone;
        } else if (reading == LineReading::Reversible) {
            snapshot.rename(step.currentName, step.formerName);
            plan.steps.push_back(std::move(step));
        }
    }
    return plan;
}

// The real run's effects, counting the renames that happened.
class CountingEffects final : public RunEffects {
public:
    CountingEffects(platform::RenameFolder& folder, platform::GbkAppendFile& log) : m_disk(folder, log) {}

    platform::RenameResult rename(const QString& oldName, const QString& newName) override {
        const platform::RenameResult result = m_disk.rename(oldName, newName);
        m_renamed += result == platform::RenameResult::Renamed ? 1 : 0;
        return result;
    }
    std::error_code writeLine(const RunEvent& event) override { return m_disk.writeLine(event); }

    qsizetype renamed() const { return m_renamed; }

private:
    DiskEffects m_disk;
    qsizetype m_renamed = 0;
};

} // namespace

void UndoLastRun(const QString& folderPath, CommandServices& services, const RunEnvironment& environment) {
    const QString logName = QString::fromUtf16(texts::kLogFileName);
    const QString logMessage = QString::fromUtf16(texts::kLogNotWritable);
    platform::FolderHandle folder;
    QString text;
    std::error_code error = folder.open(folderPath);
    if (!error) {
        error = platform::readGbkFile(folder, logName, text);
    }
    if (error == std::errc::no_such_file_or_directory && folder.isOpen()) {
        services.showMessage(QString::fromUtf16(texts::kNothingToUndo));
        return;
    }
    platform::FolderSnapshot snapshot;
    if (error || snapshot.take(folder)) {
        services.showMessage(logMessage);
        return;
    }
    const UndoPlan plan = planUndo(text, snapshot);
    if (plan.steps.empty()) {
        services.showMessage(QString::fromUtf16(texts::kNothingToUndo));
        return;
    }
    if (!platform::isAppendable(folder, logName)) {
        services.showMessage(logMessage);
        return;
    }
    const qsizetype count = static_cast<qsizetype>(plan.steps.size());
    if (!services.askYesNo(QString::fromUtf16(texts::kUndoQuestion).arg(count))) {
        return;
    }

    qsizetype notRestored = plan.leftAlone;
    bool stopped = false;
    {
        const BusyScope busy(services);
        platform::GbkAppendFile log;
        QString header = environment.stamp ? environment.stamp() : QString();
        header.append(QStringView(texts::kLogHeaderEnd));
        error = log.open(folder, logName);
        if (!error) {
            error = log.writeLine(header);
        }
        if (error) {
            services.showMessage(logMessage);
            return;
        }
        platform::RenameFolder renamer(folder);
        CountingEffects effects(renamer, log);
        RenameRequest request;
        request.Folder = folderPath;
        RenameContext run(request, RunValues{}, services, effects);
        ProgressTicker progress(services, count);
        for (qsizetype i = 0; i < count && !run.stopped(); ++i) {
            progress.tick(i);
            run.beginEntry(static_cast<int>(i));
            const UndoStep& step = plan.steps[static_cast<std::size_t>(i)];
            run.ApplyRename(step.currentName, step.formerName);
        }
        notRestored += count - effects.renamed();
        stopped = run.stopped();
        (void)log.close();
    }
    // A stopped undo has told the user already, with the log message.
    if (!stopped && notRestored > 0) {
        services.showMessage(QString::fromUtf16(texts::kUndoIncomplete).arg(notRestored));
    }
}

} // namespace filarion::engine
