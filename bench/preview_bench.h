#pragma once

#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// The rename preview dialog on a folder of n files, every one of which the preview renames: from the
// command until the dialog's table has been painted, against a WorkingSet refresh of the same folder.
inline const std::string kPreviewFloor = "WorkingSet refresh, preview folder";
inline const std::string kPreviewDialog = "preview dialog on screen";
// The same with the snapshot's look-ahead cache hints turned off, to measure what they save.

// Each run is a child process started in a fresh folder: the window opens on it, and the preview is timed from
// the command on; the peak resident set is that of the whole process. Needs the offscreen platform
// (QT_QPA_PLATFORM=offscreen) or a display.
void benchPreview(BenchReport& report, InodePool& pool, int n, int runs);

// The child side, run as `filarion_bench --preview-job RESULTFILE` in the folder: writes
// "seconds cpuSeconds rows peakKb" to RESULTFILE.
int runPreviewJob(int argc, char* argv[]);

} // namespace filarion::bench
