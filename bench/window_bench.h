#pragma once

#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// The names of the window measurements and of the floors they are compared with: the WorkingSet refresh
// alone on the same folder, in the same state (a first listing for the start-up, a re-read of a listed
// folder under the new pattern for the keystroke).
inline const std::string kWindowStartUpFloor = "WorkingSet refresh, start-up";
inline const std::string kWindowStartUp = "window start-up to first frame";
inline const std::string kWindowStartUpProcess = "window start-up (process)";
inline const std::string kWindowBothTabs = "window, both tabs drawn";
inline const std::string kWindowKeystrokeFloor = "WorkingSet refresh, keystroke";
inline const std::string kWindowKeystroke = "window pattern keystroke";

// The main window on a folder of n files: start-up to the first painted frame, and one keystroke in
// the pattern box (the re-read and redisplay it causes), each over fresh folders from the pool.
// Needs the offscreen platform (QT_QPA_PLATFORM=offscreen) or a display.
void benchWindow(BenchReport& report, InodePool& pool, int n, int runs);

// The child side of the start-up measurement, run as `filarion_bench --window-job RESULTFILE FOLDER`, the
// folder the window is to open on given as on the command line, in another working folder (without FOLDER:
// the working folder, as the program started in it). Writes "seconds cpuSeconds
// rows bothSeconds bothCpuSeconds peakKb" to RESULTFILE: the time from the QApplication's creation to the window's
// first painted frame, the file list's row count then, the time until the other tab has been chosen and drawn too, and
// the process's peak resident set at that point.
int runWindowJob(int argc, char* argv[]);

} // namespace filarion::bench
