#pragma once

#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// The undo of a replace run that renamed all n files of a folder: from the command until its question is
// asked (the log read back, the plan made on a snapshot of the folder), against a WorkingSet refresh of
// the same folder. The run itself is set-up, not timed; the undo runs in a child process started in the
// folder, which holds the folder's working set as the window would, and reports its peak resident set.
inline const std::string kUndoFloor = "WorkingSet refresh, undo folder";
inline const std::string kUndoPlan = "undo plan and question";
inline const std::string kUndoPlanLongLog = "undo plan, log of 8 runs";
// The plan with the snapshot's look-ahead cache hints turned off, to measure what they save.

void benchUndo(BenchReport& report, InodePool& pool, int n, int runs);

// The child side, run as `filarion_bench --undo-job RESULTFILE` in the folder: writes
// "seconds cpuSeconds questions messages peakKb" to RESULTFILE.
int runUndoJob(int argc, char* argv[]);

} // namespace filarion::bench
