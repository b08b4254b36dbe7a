// filarion_bench: measures the rename run, the folder listing and the list export against floors
// measured in the same run, and the whole replace job against the programs that do the same job.
// Every measured run works on a fresh folder of N files, set up outside the timed region.

#include "bench_options.h"
#include "bench_report.h"
#include "bench_targets.h"
#include "inode_pool.h"
#include "list_bench.h"
#include "preview_bench.h"
#include "process_bench.h"
#include "rename_bench.h"
#include "table_bench.h"
#include "undo_bench.h"
#include "window_bench.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace filarion::bench {
namespace {

int runBenchmarks(int argc, char* argv[]) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        return usage();
    }
    std::sort(options.sizes.begin(), options.sizes.end());
    InodePool pool(options.base);
    pool.ensure(options.sizes.back());
    std::printf("filarion_bench: %d runs per measurement, each on a fresh folder in %s\n", options.runs,
                options.base.c_str());
    BenchReport report;
    report.printHeader();
    for (const int n : options.sizes) {
        if (options.measures("rename", n)) {
            benchRename(report, pool, options, n);
        }
        if (options.measures("process", n)) {
            benchProcesses(report, pool, options, n);
        }
        if (options.measures("list", n)) {
            benchListFile(report, pool, options, n);
        }
        if (options.measures("window", n)) {
            benchWindow(report, pool, n, options.runs);
        }
        if (options.measures("window", n) || options.measures("preview", n)) {
            benchPreview(report, pool, n, options.runs);
        }
        if (options.measures("undo", n)) {
            benchUndo(report, pool, n, options.runs);
        }
        if (options.measures("table", n)) {
            benchTable(report, pool, options, n);
        }
    }
    int leftOut = 0;
    const int failed = report.printTargets(targets(options, leftOut));
    if (leftOut > 0) {
        std::printf("  (%d more left out: their groups were not run, or a single size gives no cost per file)\n",
                    leftOut);
    }
    if (failed > 0) {
        std::printf("filarion_bench: %d target%s not measured or not verified\n", failed, failed == 1 ? "" : "s");
        return 1;
    }
    return 0;
}

} // namespace
} // namespace filarion::bench

int main(int argc, char* argv[]) {
    using namespace filarion::bench;
    if (argc == 4 && std::strcmp(argv[1], "--replace-job") == 0) {
        return runReplaceJob(argv[2], argv[3]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--window-job") == 0) {
        return runWindowJob(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--preview-job") == 0) {
        return runPreviewJob(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--undo-job") == 0) {
        return runUndoJob(argc, argv);
    }
    return runBenchmarks(argc, argv);
}
