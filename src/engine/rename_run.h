#pragma once

#include "engine/command_services.h"
#include "engine/name_list.h"
#include "engine/rename_request.h"
#include "engine/rename_step.h"
#include "engine/run_log.h"
#include "platform/folder_handle.h"
#include "platform/rename_probe.h"
#include "platform/write_ahead_file.h"

#include <QString>
#include <QStringView>
#include <functional>

namespace filarion::engine {

// The one walk over a list of entries that the run, the preview and the undo share: for each entry in order
// the progress bar moves; an entry that passOver names is passed over (an event of the effects); every
// other gets its step's decision, which the walk carries out through ApplyRename and the effects, until a
// line cannot be written. True when it stopped for that (the user has been told). The name handed to passOver
// and decide lies in names' own text: valid during that call only.
bool walkEntries(const NameList& names, const std::function<bool(const QString&)>& passOver,
                 const std::function<StepDecision(int, const QString&)>& decide, CommandServices& services,
                 RunEffects& effects);

// walkEntries over renames given whole: entry i of `from` to entry i of `to`, nothing passed over (the undo's
// plan, a table's plan).
bool walkRenames(const NameList& from, const NameList& to, CommandServices& services, RunEffects& effects);

// The start that every command that renames shares, before its header: the folder held; refused where the
// mount tells that no rename there is safe, before anything is written; the log opened and locked (busy while
// another run or undo holds it); then, under that lock, what a killed command left removed and the folder's
// own test of its rename way. False when the command must end: the user has been told, nothing was renamed.
[[nodiscard]] bool openRunFolder(const QString& path, CommandServices& services, platform::FolderHandle& folder,
                                 platform::WriteAheadFile& log, platform::RenameWay& way);

// The rename run's walk, after the log took the header: the pre-scan, then every entry of the working set
// with the selected method's step, the program's own file and the rename log passed over.
void renameEntries(const RenameRequest& request, QStringView programName, CommandServices& services,
                   RunEffects& effects);

// The rename command: validates the request, then renames every entry of request.Files by the
// selected method, never replacing an existing entry, and appends the run to the folder's rename log.
// Reads nothing from the window; talks back only through the services. The log is locked from the header
// to the last line; while another run or undo holds it, the user is told so and nothing is touched. Every
// rename's line is on the disk before the rename, and the log and the folder are synced before the run
// ends. When the log cannot be opened or a line (the header included) cannot be written, the user is told
// once and nothing more is renamed; any other failed rename gets its line and the run goes on. The window
// always ends refreshed and restored.
void RenameFiles(const RenameRequest& request, CommandServices& services,
                 const RunEnvironment& environment = defaultRunEnvironment());

} // namespace filarion::engine
