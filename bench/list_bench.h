#pragma once

#include "bench_options.h"
#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// MakeFileList against the list file floor, in this process.
inline const std::string kListFileFloor = "list file floor";
inline const std::string kMakeFileList = "MakeFileList";

void benchListFile(BenchReport& report, InodePool& pool, const Options& options, int n);

} // namespace filarion::bench
