#include "engine/run_debris.h"

#include "engine/run_log.h"
#include "engine/run_values.h"
#include "engine/texts.h"
#include "platform/entry_pair.h"
#include "platform/reverse_line_reader.h"

namespace filarion::engine {

namespace {

// A kill leaves at most the rename in flight half done, and it lies among the log's last lines (those written
// ahead of their renames); the bound keeps a start cheap whatever the log holds.
constexpr int kLinesRead = 4096;

bool mayTouch(QStringView name) {
    return !name.isEmpty() && !name.startsWith(u'.') && !isLogFile(name);
}

struct LineDebris {
    platform::PairState state = platform::PairState::Other;
    QString oldName;
    QString newName;
    bool renamed = false; // a split reads as a rename that was made: every earlier line is settled
};

// Every split of the line at "改名为" is looked at; debris is taken only where exactly one split shows it.
LineDebris readLine(const platform::FolderHandle& folder, QStringView body) {
    const QStringView renamedTo(texts::kRenamedTo);
    LineDebris found;
    int debris = 0;
    for (qsizetype at = body.indexOf(renamedTo); at >= 0; at = body.indexOf(renamedTo, at + 1)) {
        const QStringView oldName = body.first(at);
        const QStringView newName = body.sliced(at + renamedTo.size());
        if (!mayTouch(oldName) || !mayTouch(newName) || oldName == newName) {
            continue;
        }
        const platform::PairState state = platform::examinePair(folder, oldName.toString(), newName.toString());
        if (state == platform::PairState::Renamed) {
            found.renamed = true;
        } else if (state == platform::PairState::TwoNames || state == platform::PairState::ClaimLeft) {
            ++debris;
            found.state = state;
            found.oldName = oldName.toString();
            found.newName = newName.toString();
        }
    }
    if (debris != 1) {
        found.state = platform::PairState::Other;
    }
    return found;
}

} // namespace

bool readyForRenames(const platform::FolderHandle& folder, platform::RenameWay& way) {
    way = platform::renameWayOf(folder);
    if (way == platform::RenameWay::Unsafe) {
        return false;
    }
    (void)clearRunDebris(folder);
    return true;
}

int clearRunDebris(const platform::FolderHandle& folder) {
    const QString logName = QString::fromUtf16(texts::kLogFileName);
    // Another run or undo of the folder holds the log: its renames are its own business.
    const platform::UniqueFd lock = platform::tryLockFile(folder, logName);
    platform::ReverseLineReader log;
    if (!lock.isOpen() || log.open(folder, logName)) {
        return 0;
    }
    LogLineReader reader;
    int removed = 0;
    for (int lines = 0; lines < kLinesRead && log.previous(); ++lines) {
        const LogLineReader::Kind kind = reader.read(log.line(), log.isCut());
        if (kind == LogLineReader::Kind::Header) {
            break;
        }
        if (kind != LogLineReader::Kind::Done) {
            continue;
        }
        const LineDebris line = readLine(folder, reader.doneText());
        if (line.state != platform::PairState::Other &&
            platform::removeDebris(folder, line.oldName, line.newName, line.state)) {
            ++removed;
        }
        if (line.renamed) {
            break;
        }
    }
    return removed;
}

} // namespace filarion::engine
