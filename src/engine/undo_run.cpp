#include "engine/undo_run.h"

#include "engine/name_list.h"
#include "engine/rename_run.h"
#include "engine/run_debris.h"
#include "engine/run_log.h"
#include "engine/texts.h"
#include "platform/file_rename.h"
#include "platform/folder_snapshot.h"
#include "platform/gbk_append_file.h"
#include "platform/reverse_line_reader.h"

#include <QSet>
#include <algorithm>
#include <utility>
#include <vector>

namespace filarion::engine {

namespace {

// Both names lie in the text of the line being read.
struct UndoStep {
    QStringView currentName; // the new name of the run's line, which the file bears now
    QStringView formerName;  // the old name it goes back to
};

struct UndoPlan {
    // In the order they are taken back: the names the files bear now, and the names they go back to.
    NameList currentNames;
    NameList formerNames;
    int leftAlone = 0; // done lines that identify no single file
};

enum class LineReading : std::uint8_t {
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

bool holdsControlCharacter(QStringView name) {
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// Names the undo never renames from or to: the log, the program's own file, a hidden name (outside any
// working set, so no run renamed it). Nor does it give a file a name that the log could not hold exactly
// ('?') or that holds a line break or another control character.
bool mayTakeBack(QStringView current, QStringView former, QStringView programName) {
    return !IsSkippedEntry(current, programName) && !IsSkippedEntry(former, programName) && !former.startsWith(u'.') &&
           !current.startsWith(u'.') && !current.contains(u'?') && !former.contains(u'?') &&
           !holdsControlCharacter(former);
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
        if (oldName == newName) {
            sameNameSplit = true;
            sameNameFits = snapshot.isFile(oldName);
            continue;
        }
        if (snapshot.isFile(newName) && !snapshot.contains(oldName)) {
            ++fits;
            refused = refused || !mayTakeBack(newName, oldName, programName);
            step = {newName, oldName};
        } else if (snapshot.isFile(oldName) && !snapshot.contains(newName)) {
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

// The names the plan looks up, in the order it looks them up, read from the log ahead of the plan by a reader
// of their own: of each done line of the last run, the name the file bears now and the name it goes back to,
// where both are ASCII (their bytes in the log are the names' bytes). What they give only brings names into the
// cache: a log changed between the two readings costs time and nothing else.
class NamesAhead {
public:
    NamesAhead() {
        platform::GbkEncoder encoder;
        m_renamedTo = encoder.encode(QStringView(texts::kRenamedTo));
        m_done = encoder.encode(QStringView(texts::kLineDone));
        m_header = encoder.encode(QStringView(texts::kLogHeaderEnd));
    }

    [[nodiscard]] std::error_code open(const platform::FolderHandle& folder, const QString& name) {
        return m_log.open(folder, name);
    }

    bool next(QByteArrayView& name) {
        if (!m_former.isEmpty()) {
            name = std::exchange(m_former, {});
            return true;
        }
        while (!m_end && m_log.previous()) {
            const QByteArrayView line = m_log.line();
            m_end = line.endsWith(m_header);
            const qsizetype split = line.indexOf(m_renamedTo);
            if (m_end || m_log.isCut() || split <= 0 || !line.endsWith(m_done)) {
                continue;
            }
            const QByteArrayView former = line.first(split);
            const QByteArrayView current = line.sliced(split + m_renamedTo.size()).chopped(m_done.size());
            if (isAscii(former) && isAscii(current)) {
                m_former = former; // valid until the next line is read
                name = current;
                return true;
            }
        }
        m_end = true;
        return false;
    }

private:
    static bool isAscii(QByteArrayView bytes) {
        return !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    }

    platform::ReverseLineReader m_log;
    QByteArray m_renamedTo;
    QByteArray m_done;
    QByteArray m_header;
    QByteArrayView m_former; // the name the plan looks up after the one given last
    bool m_end = false;      // the run's header or the log's start was reached
};

// The last run of the log: the lines after its last header, read from the last to the first, each
// reversible one played back on the snapshot so that the next one is read against the folder as it will be.
// Nothing when the log has no header; a read error leaves the plan empty and the reader's error set.
UndoPlan planUndo(platform::ReverseLineReader& log, platform::FolderSnapshot& snapshot, QStringView programName) {
    UndoPlan plan;
    LogLineReader reader;
    // Only the done lines at the log's end, the last batch, may have been written ahead of renames that a
    // kill stopped.
    bool last = true;
    plan.leftAlone = log.endsTorn() ? 1 : 0;
    // The refusals read so far: a done line followed by the refusal of the same two names was left standing
    // where its run could not cut it off, and is no rename.
    QSet<QByteArray> refusals;
    const qsizetype doneEnding = platform::GbkEncoder().encode(QStringView(texts::kLineDone)).size();
    while (log.previous()) {
        const LogLineReader::Kind kind = reader.read(log.line(), log.isCut());
        if (kind == LogLineReader::Kind::Header) {
            return plan;
        }
        if (!reader.refusalBody().isEmpty()) {
            refusals.insert(reader.refusalBody().toByteArray());
        }
        LineReading reading = kind == LogLineReader::Kind::Refusal ? LineReading::Nothing : LineReading::LeftAlone;
        UndoStep step;
        if (kind == LogLineReader::Kind::Done && refusals.remove(log.line().chopped(doneEnding).toByteArray())) {
            reading = LineReading::Nothing;
        } else if (kind == LogLineReader::Kind::Done) {
            switch (readDoneLine(reader.doneText(), snapshot, programName, step)) {
            case DoneReading::Reversible:
                reading = LineReading::Reversible;
                break;
            case DoneReading::Stayed:
                reading = LineReading::Nothing;
                break;
            case DoneReading::Refused:
            case DoneReading::Ambiguous:
                break;
            case DoneReading::NotDone:
                reading = last || reader.endsAsRefusal() ? LineReading::Nothing : LineReading::LeftAlone;
                break;
            case DoneReading::NoFit:
                reading = reader.endsAsRefusal() ? LineReading::Nothing : LineReading::LeftAlone;
                break;
            }
        }
        last = last && reading == LineReading::Nothing && kind == LogLineReader::Kind::Done && !reader.endsAsRefusal();
        switch (reading) {
        case LineReading::Nothing:
            break;
        case LineReading::LeftAlone:
            ++plan.leftAlone;
            break;
        case LineReading::Reversible:
            snapshot.rename(step.currentName, step.formerName);
            plan.currentNames.append(step.currentName);
            plan.formerNames.append(step.formerName);
            break;
        }
    }
    return {}; // no header: no run to take back
}

} // namespace

void undoLastRun(const QString& folderPath, CommandServices& services, const RunEnvironment& environment) {
    const QString logName = QString::fromUtf16(texts::kLogFileName);
    const QString logMessage = QString::fromUtf16(texts::kLogNotWritable);
    platform::FolderHandle folder;
    platform::RenameWay way = platform::RenameWay::Unprobed;
    // Held, and locked, from before the log is read to its last line: no other run or undo writes a line
    // between the reading and the renames it plans.
    platform::GbkAppendFile log;
    std::error_code logError;
    UndoPlan plan;
    {
        // Closed before the renames: the log is open only for the run's own writing then.
        platform::ReverseLineReader reader;
        std::error_code error = folder.open(folderPath);
        if (!error && !readyForRenames(folder, way)) {
            services.showMessage(QString::fromUtf16(texts::kNoSafeRename));
            return;
        }
        if (!error) {
            error = reader.open(folder, logName);
        }
        if (error == std::errc::no_such_file_or_directory && folder.isOpen()) {
            services.showMessage(QString::fromUtf16(texts::kNothingToUndo));
            return;
        }
        if (!error) {
            logError = openLockedRunLog(folder, log);
            if (logError == std::errc::resource_unavailable_try_again) {
                services.showMessage(runLogMessage(logError));
                return;
            }
        }
        NamesAhead namesAhead; // outlives the snapshot that reads it
        platform::FolderSnapshot snapshot;
        if (error || snapshot.take(folder)) {
            services.showMessage(logMessage);
            return;
        }
        // Only on a local disk: elsewhere a second reading of the log would cross the network again, for
        // look-ups that are made in memory anyway.
        if (way == platform::RenameWay::Unprobed && !namesAhead.open(folder, logName)) {
            snapshot.expectLookUps([&namesAhead](QByteArrayView& name) { return namesAhead.next(name); });
        }
        plan = planUndo(reader, snapshot, environment.programName);
        if (reader.error()) {
            services.showMessage(logMessage);
            return;
        }
    }
    if (plan.currentNames.isEmpty()) {
        services.showMessage(QString::fromUtf16(texts::kNothingToUndo));
        return;
    }
    if (logError) {
        services.showMessage(logMessage);
        return;
    }
    const qsizetype count = plan.currentNames.size();
    if (!services.askYesNo(QString::fromUtf16(texts::kUndoQuestion).arg(count))) {
        return;
    }

    qsizetype notRestored = plan.leftAlone;
    bool stopped = false;
    {
        const BusyScope busy(services);
        if (writeRunHeader(environment, log)) {
            services.showMessage(logMessage);
            return;
        }
        platform::NoReplaceRenamer renamer(folder, way);
        DiskEffects effects(renamer, log, environment.largestBatch);
        // The undo's own step: each planned file back to its former name, nothing passed over.
        stopped = walkEntries(
            plan.currentNames, [](const QString&) { return false; },
            [&](int i, const QString&) {
                const QStringView former = plan.formerNames.at(i);
                return StepDecision::renameTo(QString::fromRawData(former.data(), former.size()));
            },
            services, effects);
        notRestored += count - effects.renamed();
        (void)finishRunLog(folder, log);
    }
    // A stopped undo has told the user already, with the log message.
    if (!stopped && notRestored > 0) {
        services.showMessage(QString::fromUtf16(texts::kUndoIncomplete).arg(notRestored));
    }
}

} // namespace filarion::engine
