#include "engine/undo_run.h"

#include "engine/rename_context.h"
#include "engine/texts.h"
#include "platform/file_rename.h"
#include "platform/folder_snapshot.h"
#include "platform/gbk_read.h"
#include "platform/gbk_text.h"

#include <QStringDecoder>
#include <algorithm>
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

enum class LineReading : std::uint8_t {
    Header,     // the last run starts after it
    Nothing,    // a line of no rename: a refusal, a name that stayed, a rename written ahead and never done
    Reversible, // a rename that identifies one file
    LeftAlone,  // a line that no single reading fits, or one that undo must not act on
};

// How the text of a done line without its ending reads against the snapshot.
enum class DoneReading : std::uint8_t {
    Reversible, // exactly one split names a file under the new name with the old name free
    Stayed,     // its only reading is a name that stayed as it was
    Refused,    // one split fits, but the undo may not take it back
    Ambiguous,  // several splits fit
    NoFit,      // no split fits
    NotDone,    // no split fits, and one names a file still under its old name with the new name free
};

// Names the undo never renames from or to: the log, the program's own file. Nor does it give a file a name
// that no run could have taken it from (hidden, so outside any working set) or that the log could not hold
// exactly ('?').
bool mayTakeBack(QStringView current, QStringView former, QStringView programName) {
    return !IsSkippedEntry(current, programName) && !IsSkippedEntry(former, programName) && !former.startsWith(u'.') &&
           !current.contains(u'?') && !former.contains(u'?');
}

DoneReading readDoneLine(QStringView body, const platform::FolderSnapshot& snapshot, QStringView programName,
                         UndoStep& step) {
    const QStringView renamedTo(texts::kRenamedTo);
    int splits = 0;
    int fits = 0;
    bool refused = false;
    bool sameNameSplit = false; // at most one split, the one in the middle, reads a name that stayed
    bool sameNameFits = false;
    bool notDone = false;
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
            ++fits;
            refused = refused || !mayTakeBack(current, former, programName);
            step = {std::move(current), std::move(former)};
        } else if (snapshot.isFile(former) && !snapshot.contains(current)) {
            notDone = true;
        }
    }
    if (splits == 1 && sameNameSplit) {
        return DoneReading::Stayed;
    }
    if (fits + (sameNameFits ? 1 : 0) > 1) {
        return DoneReading::Ambiguous;
    }
    if (fits == 1) {
        return refused ? DoneReading::Refused : DoneReading::Reversible;
    }
    if (sameNameFits) {
        return DoneReading::Stayed;
    }
    return notDone ? DoneReading::NotDone : DoneReading::NoFit;
}

// Reads the lines of the rename log as the undo needs them: decoded from GBK, and only where they survive
// decoding and encoding unchanged (bytes that are no GBK, from bit rot or by hand, are never a name).
class LogLineReader {
public:
    LogLineReader() : m_decoder("GBK", QStringConverter::Flag::Stateless) {
        m_headerEnd = m_encoder.encode(QStringView(texts::kLogHeaderEnd));
        for (const char16_t* ending : {texts::kLineNameTaken, texts::kLineIllegal, texts::kLineFailed}) {
            m_refusals.push_back(m_encoder.encode(QStringView(ending)));
        }
    }

    // The reading of one line; `last` for the last whole line of the log, the only one that a killed run
    // may have written ahead of a rename that did not happen.
    LineReading read(QByteArrayView bytes, bool cut, bool last, const platform::FolderSnapshot& snapshot,
                     QStringView programName, UndoStep& step) {
        if (cut) {
            return isRefusal(bytes) ? LineReading::Nothing : LineReading::LeftAlone;
        }
        if (bytes.endsWith(m_headerEnd)) {
            return LineReading::Header;
        }
        if (bytes.isEmpty()) {
            return LineReading::LeftAlone;
        }
        const QString text = m_decoder.decode(bytes);
        m_check.resize(0);
        m_encoder.append(text, m_check);
        const QStringView done(texts::kLineDone);
        if (m_check == bytes && text.endsWith(done)) {
            switch (readDoneLine(QStringView(text).chopped(done.size()), snapshot, programName, step)) {
            case DoneReading::Reversible:
                return LineReading::Reversible;
            case DoneReading::Stayed:
                return LineReading::Nothing;
            case DoneReading::Refused:
            case DoneReading::Ambiguous:
                return LineReading::LeftAlone;
            case DoneReading::NotDone:
                if (last) {
                    return LineReading::Nothing;
                }
                break;
            case DoneReading::NoFit:
                break;
            }
        }
        return isRefusal(bytes) ? LineReading::Nothing : LineReading::LeftAlone;
    }

private:
    bool isRefusal(QByteArrayView bytes) const {
        return std::any_of(m_refusals.begin(), m_refusals.end(),
                           [&](const QByteArray& ending) { return bytes.endsWith(ending); });
    }

    platform::GbkEncoder m_encoder;
    QStringDecoder m_decoder;
    QByteArray m_headerEnd;
    std::vector<QByteArray> m_refusals;
    QByteArray m_check;
};

// The last run of the log: the lines after its last header, read from the last to the first, each
// reversible one played back on the snapshot so that the next one is read against the folder as it will be.
// Nothing when the log has no header; a read error leaves the plan empty and the reader's error set.
UndoPlan planUndo(platform::ReverseLineReader& log, platform::FolderSnapshot& snapshot, QStringView programName) {
    UndoPlan plan;
    LogLineReader reader;
    bool last = !log.endsTorn();
    plan.leftAlone = log.endsTorn() ? 1 : 0;
    while (log.previous()) {
        UndoStep step;
        const LineReading reading = reader.read(log.line(), log.isCut(), last, snapshot, programName, step);
        last = false;
        switch (reading) {
        case LineReading::Header:
            return plan;
        case LineReading::Nothing:
            break;
        case LineReading::LeftAlone:
            ++plan.leftAlone;
            break;
        case LineReading::Reversible:
            snapshot.rename(step.currentName, step.formerName);
            plan.steps.push_back(std::move(step));
            break;
        }
    }
    return {}; // no header: no run to take back
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
    std::error_code retractLine() override { return m_disk.retractLine(); }

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
    platform::ReverseLineReader reader;
    std::error_code error = folder.open(folderPath);
    if (!error) {
        error = reader.open(folder, logName);
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
    const UndoPlan plan = planUndo(reader, snapshot, environment.programName);
    if (reader.error()) {
        services.showMessage(logMessage);
        return;
    }
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
