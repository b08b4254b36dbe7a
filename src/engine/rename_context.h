#pragma once

#include "engine/command_services.h"
#include "engine/rename_request.h"
#include "engine/run_effects.h"
#include "engine/run_values.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// What the per-file steps of one run share: the request, the pre-scan's values and the run's effects (the
// held folder and the open rename log, or a preview's snapshot). It writes every event line, so no rename
// happens without its line: once a line cannot be written, the user is told once and the context is
// stopped, and nothing more is renamed.
class RenameContext {
public:
    RenameContext(const RenameRequest& request, const RunValues& values, CommandServices& services,
                  RunEffects& effects);
    RenameContext(const RenameContext&) = delete;
    RenameContext& operator=(const RenameContext&) = delete;

    const RenameRequest& request() const { return m_request; }
    const RunValues& values() const { return m_values; }

    // The entry of the working set whose step runs now; its events carry it.
    void beginEntry(int i) { m_entry = i; }

    // True once a log line could not be written; the run must not rename anything after that.
    bool stopped() const { return m_stopped; }

    // Renames oldName to newName within the folder, never replacing an entry, and logs the outcome. The
    // done line is written first; only then is the file renamed. When the rename does not happen the done
    // line is cut off again and, for a taken name, the message is shown and the name-taken line written;
    // for any other failure the failed line. Identical names succeed without touching the disk. A line
    // that cannot be written or cut off stops the run before anything more is touched.
    void ApplyRename(const QString& oldName, const QString& newName);

    // The replace method's refusal of an empty name part: the message, then the illegal line with the
    // extension as the new name.
    void refuseEmptyName(const QString& oldName, QStringView extension);

private:
    // False when the line could not be written; the context is stopped then.
    bool writeEventLine(EventKind kind, QStringView oldName, QStringView newName, QStringView ending);
    // Tells the user once that the log cannot be written, and renames nothing more.
    void stop();

    const RenameRequest& m_request;
    const RunValues m_values;
    CommandServices& m_services;
    RunEffects& m_effects;
    QString m_line; // reused for every event line
    int m_entry = -1;
    bool m_stopped = false;
};

// The walk of a run over its working set, after the log took the header: the pre-scan, then every entry in
// list order, the progress bar moved for each, the skipped ones passed over and every other handed to the
// selected method's step, until the context stops. A run and a preview both walk through here.
void renameEntries(const RenameRequest& request, QStringView programName, CommandServices& services,
                   RunEffects& effects);

} // namespace filarion::engine
