#include "engine/undo_run.h"

#include "engine/last_run_lines.h"
#include "engine/name_list.h"
#include "engine/rename_run.h"
#include "engine/run_debris.h"
#include "engine/run_log.h"
#include "engine/texts.h"
#include "platform/file_rename.h"
#include "platform/folder_snapshot.h"
#include "platform/write_ahead_file.h"

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
    Foreign,    // no split names a file of the folder: another program's line, or one of another folder
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
    int splits = 0;
    int fits = 0;
    bool refused = false;
    bool sameNameSplit = false; // at most one split, the one in the middle, reads a name that stayed
    bool sameNameFits = false;
    bool notDone = false;
    bool namesAFile = false;
    forEachSplit(body, QStringView(texts::kRenamedTo), [&](QStringView oldName, QStringView newName) {
        ++splits;
        const bool oldIsFile = snapshot.isFile(oldName);
        const bool newIsFile = snapshot.isFile(newName);
        // A '?' stands in the log for a character it cannot hold: such a line may name a file as well.
        namesAFile = namesAFile || snapshot.contains(oldName) || snapshot.contains(newName) || oldName.contains(u'?') ||
                     newName.contains(u'?');
        if (oldName == newName) {
            sameNameSplit = true;
            sameNameFits = oldIsFile;
        } else if (snapshot.isOneEntry(oldName, newName)) {
            // Two names of one entry (a letter case the file system ignores) are never two files: the file
            // system took the rename as a taken name, and the line's file is still under its old name.
            notDone = notDone || oldIsFile;
        } else if (newIsFile && !snapshot.contains(oldName)) {
            ++fits;
            refused = refused || !mayTakeBack(newName, oldName, programName);
            step = {newName, oldName};
        } else if (oldIsFile && !snapshot.contains(newName)) {
            notDone = true;
        }
        return true;
    });
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
    if (notDone) {
        return DoneReading::NotDone;
    }
    return namesAFile ? DoneReading::NoFit : DoneReading::Foreign;
}

// The names the plan looks up, in the order it looks them up, read from the log ahead of the plan by a reader
// of their own: of each done line of the last run, the name the file bears now and the name it goes back to,
// where both are ASCII (their bytes in the log are the names' bytes). What they give only brings names into the
// cache: a log changed between the two readings costs time and nothing else.
class NamesAhead {
public:
    NamesAhead() : m_log(LastRunLines::Reading::BytesOnly) {
        platform::GbkEncoder encoder;
        m_renamedTo = encoder.encode(QStringView(texts::kRenamedTo));
        m_doneEnd = encoder.encode(QStringView(texts::kLineDone)).size();
    }

    [[nodiscard]] std::error_code open(const platform::FolderHandle& folder) { return m_log.open(folder); }

    bool next(QByteArrayView& name) {
        if (!m_former.isEmpty()) {
            name = std::exchange(m_former, {});
            return true;
        }
        while (m_log.previous()) {
            if (!m_log.endsAsDone()) {
                continue;
            }
            QByteArrayView former;
            QByteArrayView current;
            forEachSplit(m_log.bytes().chopped(m_doneEnd), QByteArrayView(m_renamedTo),
                         [&](QByteArrayView oldName, QByteArrayView newName) {
                             former = oldName;
                             current = newName;
                             return false; // the first reading: the one a line of names of ASCII has
                         });
            if (isAscii(former) && isAscii(current)) {
                m_former = former; // valid until the next line is read
                name = current;
                return true;
            }
        }
        return false;
    }

private:
    static bool isAscii(QByteArrayView bytes) {
        return !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    }

    LastRunLines m_log;
    QByteArray m_renamedTo;
    qsizetype m_doneEnd = 0;
    QByteArrayView m_former; // the name the plan looks up after the one given last
};

// The last run of the log: the lines after its last header, read from the last to the first, each
// reversible one played back on the snapshot so that the next one is read against the folder as it will be.
// Nothing when the log has no header; a read error leaves the plan empty and the reader's error set.
UndoPlan planUndo(LastRunLines& log, platform::FolderSnapshot& snapshot, QStringView programName) {
    UndoPlan plan;
    // Only the done lines at the log's end, the last batch, may have been written ahead of renames that a
    // kill stopped.
    bool last = true;
    while (log.previous()) {
        const LogLineReader::Kind kind = log.kind();
        // A line that is no done line names no rename; only a done line that names a file of the folder and
        // cannot be taken back counts as a file not restored.
        LineReading reading = LineReading::Nothing;
        UndoStep step;
        if (kind == LogLineReader::Kind::Done && !log.withdrawn()) {
            switch (readDoneLine(log.doneText(), snapshot, programName, step)) {
            case DoneReading::Reversible:
                reading = LineReading::Reversible;
                break;
            case DoneReading::Stayed:
            case DoneReading::Foreign:
                break;
            case DoneReading::Refused:
            case DoneReading::Ambiguous:
                reading = LineReading::LeftAlone;
                break;
            case DoneReading::NotDone:
                reading = last || log.endsAsRefusal() ? LineReading::Nothing : LineReading::LeftAlone;
                break;
            case DoneReading::NoFit:
                reading = log.endsAsRefusal() ? LineReading::Nothing : LineReading::LeftAlone;
                break;
            }
        }
        last = last && reading == LineReading::Nothing && kind == LogLineReader::Kind::Done && !log.endsAsRefusal();
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
    return log.reachedHeader() ? plan : UndoPlan{}; // no header: no run to take back
}

} // namespace

void undoLastRun(const QString& folderPath, CommandServices& services, const RunEnvironment& environment) {
    const QString logMessage = QString::fromUtf16(texts::kLogNotWritable);
    platform::FolderHandle folder;
    // Held, and locked, from before the log is read to its last line: no other run or undo writes a line
    // between the reading and the renames it plans.
    platform::WriteAheadFile log;
    std::error_code logError;
    UndoPlan plan;
    LeftClaims claims;
    {
        // Closed before the renames: the log is open only for the run's own writing then.
        LastRunLines reader;
        std::error_code error = folder.open(folderPath);
        // What is known without a test; the folder's own test comes after the Yes, as every change does.
        if (!error && platform::knownRenameWay(folder) == platform::RenameWay::Unsafe) {
            services.showMessage(QString::fromUtf16(texts::kNoSafeRename));
            return;
        }
        if (!error) {
            error = reader.open(folder);
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
        // A claim that a kill left goes after the Yes; the plan sees the folder as it will be then.
        claims = findLeftClaims(folder);
        for (const LeftClaim& claim : claims) {
            snapshot.forget(claim.name);
        }
        // Only on a local disk: elsewhere a second reading of the log would cross the network again, for
        // look-ups that are made in memory anyway.
        if (!platform::showsLinksAsCopies(folder) && !namesAhead.open(folder)) {
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
        platform::RenameWay way = platform::RenameWay::Unprobed;
        if (!readyForRenames(folder, claims, way)) {
            services.showMessage(QString::fromUtf16(texts::kNoSafeRename));
            return;
        }
        if (writeRunHeader(environment, log)) {
            services.showMessage(logMessage);
            return;
        }
        platform::NoReplaceRenamer renamer(folder, way);
        DiskEffects effects(renamer, log, environment.largestBatch);
        // The undo's own step: each planned file back to its former name, nothing passed over.
        stopped = walkRenames(plan.currentNames, plan.formerNames, services, effects);
        notRestored += count - effects.renamed();
        (void)finishRunLog(folder, log);
    }
    // A stopped undo has told the user already, with the log message.
    if (!stopped && notRestored > 0) {
        services.showMessage(QString::fromUtf16(texts::kUndoIncomplete).arg(notRestored));
    }
}

} // namespace filarion::engine
