#include "process_bench.h"

#include "bench_cases.h"
#include "bench_services.h"
#include "child_process.h"
#include "engine/rename_run.h"
#include "rename_bench.h"
#include "scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

std::string perlRenameProgram() {
    for (const char* name : {"file-rename", "prename"}) {
        std::string path = findProgram(name);
        if (!path.empty()) {
            return path;
        }
    }
    return {};
}

} // namespace

// Whole processes on the replace job, each compared with the rename floor of this process: their
// ratios include starting the process.
void benchProcesses(BenchReport& report, InodePool& pool, const Options& options, int n) {
    const JobCheck tagged(NameShape::Tagged, n);
    const std::string self = ownProgramPath();
    const std::string perl = perlRenameProgram();
    const std::string mmv = findProgram("mmv");
    const std::string peakFile = pool.base() + "/peak.txt";
    long ourPeakKb = 0;

    // "{}" in the arguments stands for the folder. ours: the job writes its peak; logs: it keeps the log.
    auto processCase = [&](const std::string& name, const std::vector<std::string>& arguments, bool ours, bool logs) {
        return Case(name, kRenameFloor, [&, arguments, ours, logs](int, std::vector<Sample>& samples) {
            const ScratchFolder folder(pool, NameShape::Tagged, n);
            std::vector<std::string> argv = arguments;
            std::replace(argv.begin(), argv.end(), std::string("{}"), folder.path());
            const ChildRun run = runChild(argv, folder.path());
            samples.push_back({run.seconds, run.cpuSeconds});
            if (ours) {
                ourPeakKb = std::max(ourPeakKb, std::atol(readWhole(peakFile).c_str()));
            }
            std::string note = tagged.verify(folder, logs, false);
            if (run.exitCode != 0) {
                note += (note.empty() ? "" : "; ") + std::string("exit code ") + std::to_string(run.exitCode);
            }
            return note;
        });
    };
    std::vector<Case> cases;
    cases.push_back(processCase(kOurJob, {self, "--replace-job", "{}", peakFile}, true, true));
    // The command line as a user runs it: the whole program, its output (to /dev/null) and the log included.
    cases.push_back(processCase(kCliJob, {FILARION_CLI, "replace", "{}", "-p", "*.*", "cad", "zet"}, false, true));
    if (!perl.empty()) {
        // The names reach one perl process on its standard input: 100,000 names do not fit on one
        // command line.
        cases.push_back(processCase(
            kPerlRename, {"/bin/sh", "-c", "find . -maxdepth 1 -type f -print0 | " + perl + " -0 's/cad/zet/'"}, false,
            false));
    }
    if (!mmv.empty()) {
        cases.push_back(processCase(kMmv, {mmv, "*cad*", "#1zet#2"}, false, false));
    }
    runRounds(cases, options.runs);
    reportCases(report, cases, n);
    if (perl.empty()) {
        report.addMissing(kPerlRename, n, "perl rename (Debian package rename) is not installed");
    } else {
        report.compare(kOurJob + " / perl", kOurJob, kPerlRename, n);
        report.compare(kCliJob + " / perl", kCliJob, kPerlRename, n);
    }
    if (mmv.empty()) {
        report.addMissing(kMmv, n, "mmv is not installed");
    } else {
        report.compare(kOurJob + " / mmv", kOurJob, kMmv, n);
        report.compare(kCliJob + " / mmv", kCliJob, kMmv, n);
    }
    report.addMemory(kOurJob, n, ourPeakKb);
    ::unlink(peakFile.c_str());
}

int runReplaceJob(const std::string& folder, const std::string& peakFile) {
    {
        ui_core::WorkingSet set = readWorkingSet(folder, u"*.*"_s);
        BenchServices services;
        engine::RenameFiles(makeRequest(engine::RenameMethod::Replace, set), services);
    }
    const std::string status = readWhole("/proc/self/status");
    const std::size_t at = status.find("VmHWM:");
    std::ofstream(peakFile) << (at == std::string::npos ? 0 : std::atol(status.c_str() + at + 6)) << '\n';
    return 0;
}

} // namespace filarion::bench
