#pragma once

#include "engine/command_services.h"
#include "engine/run_effects.h"

#include <QString>
#include <QStringView>

namespace filarion::engine {

// Carries out the decisions of one walk through its effects (the held folder and the open rename log, or a
// preview's snapshot), writing every event line, so that no rename happens without its line: once a line
// cannot be written, the user is told once and the context is stopped, and nothing more is renamed.
class RenameContext {
public:
    RenameContext(CommandServices& services, RunEffects& effects) : m_services(services), m_effects(effects) {}
    RenameContext(const RenameContext&) = delete;
    RenameContext& operator=(const RenameContext&) = delete;

    // The entry of the walk whose decision is carried out now; its events carry it.
    void beginEntry(int i) { m_entry = i; }

    // True once a log line could not be written; the walk must not rename anything after that.
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
    bool writeEventLine(EventKind kind, QStringView oldName, QStringView newName);
    // Tells the user once that the log cannot be written, and renames nothing more.
    void stop();

    CommandServices& m_services;
    RunEffects& m_effects;
    QString m_line; // reused for every event line
    int m_entry = -1;
    bool m_stopped = false;
};

} // namespace filarion::engine
