#pragma once

#include "bench_report.h"
#include "inode_pool.h"

#include <string>

namespace filarion::bench {

// The rename preview dialog on a folder of n files, every one of which the preview renames: from the
// command until the dialog's table has been painted, against a WorkingSet refresh of the same folder.
inline const std::string kPreviewFloor = "WorkingSet refresh, preview folder";
inline const std::string kPreviewDialog = "preview dialog on screen";

// Needs the offscreen platform (QT_QPA_PLATFORM=offscreen) or a display.
void benchPreview(BenchReport& report, InodePool& pool, int n, int runs);

} // namespace filarion::bench
