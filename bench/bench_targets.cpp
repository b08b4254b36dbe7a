#include "bench_targets.h"

#include "list_bench.h"
#include "preview_bench.h"
#include "process_bench.h"
#include "rename_bench.h"
#include "table_bench.h"
#include "undo_bench.h"
#include "window_bench.h"

#include <algorithm>
#include <utility>

namespace filarion::bench {

std::vector<Target> targets(const Options& options, int& leftOut) {
    using Kind = Target::Kind;
    std::vector<std::pair<std::string, Target>> all; // each with the group that measures it
    for (const std::string& method : kMethodNames) {
        all.push_back({"rename", {Kind::RatioToFloor, method, 1.10, {}}});
    }
    all.push_back({"process", {Kind::RatioBetween, kOurJob, 0.999, kPerlRename}});
    all.push_back({"process", {Kind::RatioBetween, kOurJob, 0.999, kMmv}});
    // The command line as a whole process, its output and log included: 0.9 of each peer or better.
    all.push_back({"process", {Kind::RatioBetween, kCliJob, 0.90, kPerlRename}});
    all.push_back({"process", {Kind::RatioBetween, kCliJob, 0.90, kMmv}});
    all.push_back({"rename", {Kind::RatioToFloor, kRefresh, 1.30, {}}});
    all.push_back({"list", {Kind::MedianSeconds, kMakeFileList, 0.100, {}}});
    for (const std::string& method : kMethodNames) {
        all.push_back({"rename", {Kind::PerFileScale, method, 1.20, {}}});
    }
    all.push_back({"process", {Kind::PerFileScale, kOurJob, 1.20, {}}});
    all.push_back({"rename", {Kind::PerFileScale, kRefresh, 1.20, {}}});
    all.push_back({"list", {Kind::PerFileScale, kMakeFileList, 1.20, {}}});
    all.push_back({"process", {Kind::PeakMb, kOurJob, 60.0, {}}});
    all.push_back({"window", {Kind::RatioToFloor, kWindowKeystroke, 1.50, {}}});
    // The goals of the million files: the preview, the start-up, the window, the list export and the undo.
    all.push_back({"window", {Kind::RatioToFloor, kPreviewDialog, 2.0, {}, 100000}});
    all.push_back({"window", {Kind::MedianSeconds, kPreviewDialog, 0.6, {}, 200000}});
    all.push_back({"window", {Kind::RatioToFloor, kWindowStartUp, 1.3, {}, 100000}});
    all.push_back({"window", {Kind::MedianSeconds, kWindowBothTabs, 1.0, {}, 1000000}});
    all.push_back({"window", {Kind::PeakMb, kWindowBothTabs, 100.0, {}, 1000000}});
    all.push_back({"list", {Kind::RatioToFloor, kMakeFileList, 1.2, {}, 100000}});
    all.push_back({"undo", {Kind::MedianSeconds, kUndoPlan, 2.0, {}, 1000000}});
    // The undo's memory must not grow with the log: the same last run after seven earlier ones.
    all.push_back({"undo", {Kind::PeakRatio, kUndoPlanLongLog, 1.1, kUndoPlan, 1000000}});
    // Cost per file from the smallest size to the largest.
    for (const std::string& name : {kWindowStartUp, kWindowBothTabs, kPreviewDialog, kUndoPlan}) {
        all.push_back({name == kUndoPlan ? "undo" : "window", {Kind::PerFileScale, name, 1.20, {}}});
    }

    // The table of new names at 100,000 rows: its run near the floor, an edit checked within 0.1 s, a paste and
    // an import of every row within one refresh.
    all.push_back({"table", {Kind::RatioToFloor, kTableRun, 1.10, {}, 100000}});
    all.push_back({"table", {Kind::MedianSeconds, kTableRecheck, 0.100, {}, 100000}});
    all.push_back({"table", {Kind::RatioBetween, kTablePaste, 1.0, kTableRefresh, 100000}});
    all.push_back({"table", {Kind::RatioBetween, kTableImport, 1.0, kTableRefresh, 100000}});

    std::vector<Target> list;
    for (auto& [group, target] : all) {
        // A target without its own size holds at the largest size its group measures.
        int at = target.n;
        int sizes = 0;
        for (const int n : options.sizes) {
            if (options.measures(group, n)) {
                ++sizes;
                at = target.n > 0 ? at : n;
            }
        }
        const bool measured = std::find(options.sizes.begin(), options.sizes.end(), at) != options.sizes.end() &&
                              options.measures(group, at);
        if (measured && (target.kind != Kind::PerFileScale || sizes > 1)) {
            target.n = at;
            list.push_back(std::move(target));
        }
    }
    leftOut = static_cast<int>(all.size() - list.size());
    return list;
}

} // namespace filarion::bench
