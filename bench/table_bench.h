#pragma once

#include "bench_options.h"
#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// A table of new names at n rows, in this process: its run against the rename floor, an edit checked again, and a
// paste and an import of n names against one WorkingSet refresh of the same folder.
inline const std::string kTableFloor = "rename floor, table group";
inline const std::string kTableRun = "renameTable, every row a new name";
inline const std::string kTableShifted = "renameTable, one chain shifted by a row";
inline const std::string kTableRefresh = "WorkingSet refresh, table group";
inline const std::string kTableFirstCheck = "table first check (reads the folder)";
inline const std::string kTableRecheck = "table edit checked again";
inline const std::string kTablePaste = "table paste of every row";
inline const std::string kTableImport = "table import of every row";

void benchTable(BenchReport& report, InodePool& pool, const Options& options, int n);

} // namespace filarion::bench
