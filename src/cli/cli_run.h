#pragma once

#include "cli/cli_arguments.h"
#include "cli/terminal_services.h"

namespace filarion::cli {

// The exit statuses.
inline constexpr int kStatusDone = 0;    // done, nothing matched included
inline constexpr int kStatusRefused = 1; // refused before any rename
inline constexpr int kStatusStopped = 2; // stopped after some renames, or some files not renamed

// Runs the command the arguments ask for (Action::Run) through the window's core: the working set read as the
// window reads it, then the one verb. Returns the exit status.
int runCommand(const CliArguments& arguments, TerminalServices& services);

} // namespace filarion::cli
