#pragma once

#include "platform/file_rename.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <system_error>
#include <vector>

namespace filarion::engine {

// The kinds of event line, by their ending.
enum class EventKind : std::uint8_t {
    Done,      // "！": renamed, or a new name identical to the old one
    NameTaken, // "，因重名未执行！"
    Illegal,   // "，因非法未执行！": the replace method's empty name part
    Failed,    // "，因出错未执行！"
};

// One event line of a run and what it tells: the entry of the working set it belongs to, its kind and its
// two names; line is the whole line as the log receives it.
struct RunEvent {
    int entry = -1;
    EventKind kind = EventKind::Done;
    QStringView oldName;
    QStringView newName;
    QStringView line;
};

// The two things a run does to the world: rename within the working folder and append a line to the rename
// log. A run has them done on the disk; a preview plays them on a snapshot of the folder and records them.
// Everything else (the pre-scan, the methods, the messages and their order) is one code path for both.
class RunEffects {
public:
    virtual ~RunEffects() = default;

    // Renames oldName to newName within the working folder, never replacing an entry; identical names succeed
    // without touching anything.
    virtual platform::RenameResult rename(const QString& oldName, const QString& newName) = 0;
    // Appends the event's line to the log; an error when the line did not reach the OS whole.
    virtual std::error_code writeLine(const RunEvent& event) = 0;
    // Takes the line of the last writeLine back out of the log: a done line written ahead of a rename that
    // then did not happen. An error when it could not be taken back whole.
    virtual std::error_code retractLine() = 0;
    // The most done lines the walk may write ahead of their renames as one batch; 1: each line just before
    // its rename.
    virtual int batchLimit() const { return 1; }
    // Appends the lines of a batch in order; `written` is the number that went out whole, and none after them
    // did.
    virtual std::error_code writeLines(const std::vector<RunEvent>& events, qsizetype& written) {
        written = 0;
        for (const RunEvent& event : events) {
            if (const std::error_code error = writeLine(event)) {
                return error;
            }
            ++written;
        }
        return {};
    }
    // Makes the lines written so far durable; no rename they announce happens before.
    virtual std::error_code commitLines() { return {}; }
    // Takes the last `count` lines written back out of the log, all or none: the done lines of a batch from
    // a rename that did not happen on. An error when they could not be taken back whole.
    virtual std::error_code retractLines(qsizetype count) {
        return count == 1 ? retractLine() : std::make_error_code(std::errc::invalid_argument);
    }
    // The walk passed over the entry without a step: the program's own file or the rename log.
    virtual void passOver(int /*entry*/) {}
};

} // namespace filarion::engine
