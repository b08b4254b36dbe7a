#pragma once

#include "engine/command_services.h"
#include "engine/rename_request.h"

#include <QString>
#include <functional>

namespace filarion::engine {

// What a rename run takes from its surroundings besides the request.
struct RunEnvironment {
    // The program's own file name without its extension: every entry whose name part equals it
    // (letter case ignored) is skipped and not numbered.
    QString programName;
    // The date and time of the log's header line.
    std::function<QString()> stamp;
};

// The running program's name and the system clock.
RunEnvironment defaultRunEnvironment();

// The rename command: validates the request, then renames every entry of request.Files by the
// selected method, never replacing an existing entry, and appends the run to the folder's rename log.
// Reads nothing from the window; talks back only through the services. Every log line is handed to the OS
// before the next rename. When the log cannot be opened or a line (the header included) cannot be written,
// the user is told once and nothing more is renamed; any other failed rename gets its line and the run
// goes on. The window always ends refreshed and restored.
void RenameFiles(const RenameRequest& request, CommandServices& services,
                 const RunEnvironment& environment = defaultRunEnvironment());

} // namespace filarion::engine
