#pragma once

#include "bench_options.h"
#include "bench_report.h"
#include "inode_pool.h"

#include <string>
#include <vector>

namespace filarion::bench {

// The rename floor and RenameFiles for each method, in this process, with the listing alongside.
inline const std::string kRenameFloor = "rename floor";
inline const std::string kReaddirOrderFloor = "rename floor, readdir order";
inline const std::string kSyncedFloor = "rename floor, fdatasync per line";
inline const std::string kListingFloor = "listing floor";
inline const std::string kRefresh = "WorkingSet refresh";
inline const std::vector<std::string> kMethodNames{"RenameFiles replace", "RenameFiles prefix", "RenameFiles fill",
                                                   "RenameFiles insert"};

void benchRename(BenchReport& report, InodePool& pool, const Options& options, int n);

} // namespace filarion::bench
