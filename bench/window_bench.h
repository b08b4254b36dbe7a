#pragma once

#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// The names of the window measurements.
inline const std::string kWindowStartUp = "window start-up to first frame";
inline const std::string kWindowKeystroke = "window pattern keystroke";

// The main window on a folder of n files: start-up to the first painted frame, and one keystroke in
// the pattern box (the re-read and redisplay it causes), each over fresh folders from the pool.
void benchWindow(BenchReport& report, InodePool& pool, int n, int runs);

// The child side of the start-up measurement, run as `filarion_bench --window-job FOLDER`.
int runWindowJob(int argc, char* argv[]);

} // namespace filarion::bench
