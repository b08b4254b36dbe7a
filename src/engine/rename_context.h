#pragma once

#include "engine/command_services.h"
#include "engine/run_effects.h"

#include <QSet>
#include <QString>
#include <QStringView>
#include <algorithm>
#include <functional>
#include <vector>

namespace filarion::engine {

// A rename the walk will ask for at an entry after the current one, known ahead because the steps' decisions
// never depend on what a rename did. Rename is false where the entry ends a batch's look-ahead (an entry
// whose decision writes a line of another kind, or the end of the list), and `skip` where it is passed
// over or left as it is.
struct ComingRename {
    bool rename = false;
    bool skip = false;
    QString oldName;
    QString newName;
};

// Carries out the decisions of one walk through its effects (the held folder and the open rename log, or a
// preview's snapshot), writing every event line, so that no rename happens without its line: once a line
// cannot be written, the user is told once and the context is stopped, and nothing more is renamed.
//
// Where the effects take batches, the done lines of the coming renames are written ahead as one batch and
// committed before the first of them: the batch grows while renames succeed and shrinks after one fails.
// The messages, their order and the log's final bytes are those of one line at a time.
class RenameContext {
public:
    // Tells what the walk will ask for at an entry after the current one.
    using LookAhead = std::function<ComingRename(int entry)>;

    RenameContext(CommandServices& services, RunEffects& effects, LookAhead lookAhead = {})
        : m_services(services), m_effects(effects), m_lookAhead(std::move(lookAhead)),
          m_limit(std::min(effects.batchLimit(), kFirstBatch)) {}
    RenameContext(const RenameContext&) = delete;
    RenameContext& operator=(const RenameContext&) = delete;

    // The entry of the walk whose decision is carried out now; its events carry it.
    void beginEntry(int i) { m_entry = i; }

    // The new name decided ahead for the current entry, where a batch holds it; null otherwise.
    const QString* decidedAhead() const;

    // True once a log line could not be written; the walk must not rename anything after that.
    bool stopped() const { return m_stopped; }

    // Renames oldName to newName within the folder, never replacing an entry, and logs the outcome. The
    // done line is written and committed first; only then is the file renamed. When the rename does not
    // happen the done line (and the later ones of its batch) is cut off again and, for a taken name, the
    // message is shown and the name-taken line written; for any other failure the failed line. Where the
    // lines cannot be cut off whole (another program wrote after them), they stay, and the refusal line
    // follows them. Identical names succeed without touching the disk. A line that cannot be written or
    // committed stops the run before anything more is touched.
    void ApplyRename(const QString& oldName, const QString& newName);

    // The replace method's refusal of an empty name part: the message, then the illegal line with the
    // extension as the new name.
    void refuseEmptyName(const QString& oldName, QStringView extension);

private:
    // Small at first, so that a run whose first names are taken writes few lines twice.
    static constexpr int kFirstBatch = 16;
    static constexpr int kGrowth = 2;

    struct Pending {
        int entry;
        QString oldName;
        QString newName;
    };

    // Writes and commits the done lines of the batch that starts at the current entry; false when the
    // context stopped.
    bool writeBatch(const QString& oldName, const QString& newName);
    // False when the line could not be written; the context is stopped then.
    bool writeEventLine(EventKind kind, QStringView oldName, QStringView newName);
    // Tells the user once that the log cannot be written, and renames nothing more.
    void stop();

    CommandServices& m_services;
    RunEffects& m_effects;
    LookAhead m_lookAhead;
    int m_limit;
    std::vector<Pending> m_batch; // the renames whose done lines are on record, in order
    QSet<QString> m_given;        // the new names of the batch's renames
    std::size_t m_next = 0;       // the first of them not yet renamed
    bool m_linesStay = false;     // the batch's lines could not be cut off: they stand for its renames
    std::vector<QString> m_lines;
    std::vector<RunEvent> m_events;
    QString m_line; // reused for every event line
    int m_entry = -1;
    bool m_stopped = false;
};

} // namespace filarion::engine
