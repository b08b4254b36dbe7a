#pragma once

#include "bench_options.h"
#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// Whole processes on the replace job: this program's and the programs that do the same job.
inline const std::string kOurJob = "replace job (process)";
inline const std::string kCliJob = "filarion-cli replace (process)";
inline const std::string kPerlRename = "perl rename (process)";
inline const std::string kMmv = "mmv (process)";

void benchProcesses(BenchReport& report, InodePool& pool, const Options& options, int n);

// The child side of "replace job (process)": reads the folder as the window does, renames, logs,
// and writes its own peak resident set, in kB, to the peak file.
int runReplaceJob(const std::string& folder, const std::string& peakFile);

} // namespace filarion::bench
