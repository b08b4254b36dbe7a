// filarion_bench: measures the rename run, the folder listing and the list export against floors
// measured in the same run, and the whole replace job against the programs that do the same job.
// Every measured run works on a fresh folder of N files, set up outside the timed region.

#include "bench_report.h"
#include "bench_services.h"
#include "child_process.h"
#include "engine/rename_run.h"
#include "floors.h"
#include "inode_pool.h"
#include "listing/file_list_export.h"
#include "preview_bench.h"
#include "scratch_folder.h"
#include "stopwatch.h"
#include "ui_core/working_set.h"
#include "undo_bench.h"
#include "window_bench.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <unordered_set>
#include <utility>
#include <vector>

namespace filarion::bench {
namespace {

using namespace Qt::StringLiterals;

const std::string kRenameFloor = "rename floor";
const std::string kReaddirOrderFloor = "rename floor, readdir order";
const std::string kSyncedFloor = "rename floor, fdatasync per line";
const std::string kListingFloor = "listing floor";
const std::string kListFileFloor = "list file floor";
const std::string kRefresh = "WorkingSet refresh";
const std::string kMakeFileList = "MakeFileList";
const std::string kOurJob = "replace job (process)";
const std::string kPerlRename = "perl rename (process)";
const std::string kMmv = "mmv (process)";
const std::string kLogName = "QuillmarkLog.txt";
const std::vector<std::string> kMethodNames{"RenameFiles replace", "RenameFiles prefix", "RenameFiles fill",
                                            "RenameFiles insert"};

// The groups that measure every size; the others stop at this many files (a rename run of a million files
// takes half a minute, and what they measure grows no differently beyond it).
const std::set<std::string> kEverySize{"window", "preview", "undo"};
constexpr int kLargestRunSize = 100000;

struct Options {
    std::vector<int> sizes{10000, 100000, 200000, 1000000};
    int runs = 5;
    std::string base;
    std::set<std::string> groups{"rename", "process", "list", "window", "undo"};

    // Whether the group measures n files in this run.
    bool measures(const std::string& group, int n) const {
        return groups.count(group) != 0 && (n <= kLargestRunSize || kEverySize.count(group) != 0);
    }
};

QString qtPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

ui_core::WorkingSet readWorkingSet(const std::string& folder, const QString& pattern) {
    ui_core::WorkingSet set;
    set.setFolder(qtPath(folder));
    set.setPatternText(pattern);
    set.refresh();
    return set;
}

engine::RenameRequest makeRequest(engine::RenameMethod method, const ui_core::WorkingSet& set) {
    engine::RenameRequest request;
    request.Method = method;
    request.FindText = u"cad"_s;
    request.ReplaceText = u"zet"_s;
    request.PrefixText = u"zet"_s;
    request.FillText = u"0"_s;
    request.InsertText = u"zet"_s;
    request.PositionText = u"2"_s;
    request.Folder = set.folder();
    request.Files = set.nameList();
    return request;
}

// What a job should leave behind: every original name gone but those it leaves alone, and, for the
// jobs that keep a log, one log line per rename after the header.
class JobCheck {
public:
    JobCheck(NameShape shape, int n) {
        std::size_t longest = 0;
        for (int i = 0; i < n; ++i) {
            std::string name = scratchName(shape, i);
            longest = std::max(longest, name.size());
            m_originals.insert(std::move(name));
        }
        for (const std::string& name : m_originals) {
            m_longest += name.size() == longest ? 1 : 0;
        }
    }

    // Empty when the job did its work, else what is wrong. keepsLongest: the fill job, which leaves
    // the longest names as they are.
    std::string verify(const ScratchFolder& folder, bool keepsLog, bool keepsLongest) const {
        const int expected = static_cast<int>(m_originals.size()) - (keepsLongest ? m_longest : 0);
        int renamed = 0;
        for (const std::string& name : folder.entries()) {
            renamed += name != kLogName && m_originals.count(name) == 0 ? 1 : 0;
        }
        int logLines = 0;
        if (keepsLog) {
            const std::string log = readWhole(folder.path() + "/" + kLogName);
            for (std::size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) {
                ++logLines;
            }
        }
        if (renamed == expected && (!keepsLog || logLines == expected + 1)) {
            return {};
        }
        std::string what = "NOT DONE: " + std::to_string(renamed) + " of " + std::to_string(expected) + " renamed";
        if (keepsLog) {
            what += ", " + std::to_string(logLines) + " log lines";
        }
        return what;
    }

private:
    std::unordered_set<std::string> m_originals;
    int m_longest = 0;
};

// One measurement of a group: its runs, each on its own fresh folder.
struct Case {
    using Run = std::function<std::string(int round, std::vector<Sample>& samples)>; // returns a note
    Case(std::string caseName, std::string caseFloor, Run caseRun)
        : name(std::move(caseName)), floorName(std::move(caseFloor)), run(std::move(caseRun)) {}

    std::string name;
    std::string floorName;
    Run run;
    std::vector<Sample> samples;
    std::string note;
};

// Runs the cases round by round, each once per round, starting each round with the next case, so
// that slow spells of a busy machine spread over all of them and no case always follows the same one.
void runRounds(std::vector<Case>& cases, int runs) {
    for (int round = 0; round < runs; ++round) {
        for (std::size_t k = 0; k < cases.size(); ++k) {
            Case& c = cases[(k + static_cast<std::size_t>(round)) % cases.size()];
            const std::string note = c.run(round, c.samples);
            if (c.note.empty()) {
                c.note = note;
            }
        }
    }
}

void reportCases(BenchReport& report, const std::vector<Case>& cases, int n) {
    for (const Case& c : cases) {
        report.add(c.name, n, c.samples, c.floorName, c.note);
    }
}

// The listing floor and the WorkingSet refresh, in turns first, on the folder the rename floor is
// about to work on: neither changes it.
class ListingBench {
public:
    explicit ListingBench(int n) : m_n(n) {}

    void measure(const ScratchFolder& folder, int round) {
        const std::string pattern = "*.jpg";
        ui_core::WorkingSet set;
        set.setFolder(qtPath(folder.path()));
        set.setPatternText(QString::fromStdString(pattern));
        int floorCount = 0;
        for (int k = 0; k < 2; ++k) {
            const Stopwatch watch;
            if ((k + round) % 2 == 0) {
                floorCount = listingFloor(folder.path(), pattern);
                m_floor.push_back(watch.elapsed());
            } else {
                set.refresh();
                m_refresh.push_back(watch.elapsed());
            }
        }
        if (m_note.empty() && (floorCount != m_n || set.count() != m_n)) {
            m_note = "NOT DONE: the floor listed " + std::to_string(floorCount) + ", the WorkingSet " +
                     std::to_string(set.count()) + " of " + std::to_string(m_n);
        }
    }

    void report(BenchReport& report) const {
        report.add(kListingFloor, m_n, m_floor, {});
        report.add(kRefresh, m_n, m_refresh, kListingFloor, m_note);
    }

private:
    int m_n;
    std::vector<Sample> m_floor;
    std::vector<Sample> m_refresh;
    std::string m_note;
};

// The rename floor and RenameFiles for each method, in this process. The listing rides along.
void benchRename(BenchReport& report, InodePool& pool, const Options& options, int n) {
    const engine::RunEnvironment environment = engine::defaultRunEnvironment();
    const JobCheck tagged(NameShape::Tagged, n);
    const JobCheck numbered(NameShape::Numbered, n);
    ListingBench listing(n);
    std::vector<Case> cases;
    cases.emplace_back(kRenameFloor, std::string(), [&](int round, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        listing.measure(folder, round);
        const Stopwatch watch;
        renameFloor(folder.path(), RenameOrder::List);
        samples.push_back(watch.elapsed());
        return tagged.verify(folder, true, false);
    });
    // For comparison only: what renaming in the order readdir gives would save the kernel.
    cases.emplace_back(kReaddirOrderFloor, kRenameFloor, [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool, NameShape::Tagged, n);
        const Stopwatch watch;
        renameFloor(folder.path(), RenameOrder::Readdir);
        samples.push_back(watch.elapsed());
        return tagged.verify(folder, true, false);
    });
    // For comparison only: each line synced on its own before its rename, what the batches save. A sync per
    // file takes minutes at the larger sizes, so it is measured up to 10,000 files.
    if (n <= 10000) {
        cases.emplace_back(kSyncedFloor, kRenameFloor, [&](int, std::vector<Sample>& samples) {
            const ScratchFolder folder(pool, NameShape::Tagged, n);
            const Stopwatch watch;
            renameFloor(folder.path(), RenameOrder::List, LineSync::EveryLine);
            samples.push_back(watch.elapsed());
            return tagged.verify(folder, true, false);
        });
    }
    const engine::RenameMethod methods[] = {engine::RenameMethod::Replace, engine::RenameMethod::Prefix,
                                            engine::RenameMethod::Fill, engine::RenameMethod::Insert};
    for (std::size_t k = 0; k < kMethodNames.size(); ++k) {
        const engine::RenameMethod method = methods[k];
        // The fill job pads names of varying length; measured, its floor on those names costs the
        // same as the replace floor, so all methods share that one.
        const bool fill = method == engine::RenameMethod::Fill;
        cases.emplace_back(kMethodNames[k], kRenameFloor, [&, method, fill](int, std::vector<Sample>& samples) {
            const ScratchFolder folder(pool, fill ? NameShape::Numbered : NameShape::Tagged, n);
            // The window holds the working set when the command starts; the run's own listing is
            // the file list refresh at its end, timed with it.
            ui_core::WorkingSet set = readWorkingSet(folder.path(), u"*.*"_s);
            const engine::RenameRequest request = makeRequest(method, set);
            BenchServices services(&set);
            const Stopwatch watch;
            engine::RenameFiles(request, services, environment);
            samples.push_back(watch.elapsed());
            return (fill ? numbered : tagged).verify(folder, true, fill);
        });
    }
    runRounds(cases, options.runs);
    reportCases(report, cases, n);
    listing.report(report);
}

std::string perlRenameProgram() {
    for (const char* name : {"file-rename", "prename"}) {
        std::string path = findProgram(name);
        if (!path.empty()) {
            return path;
        }
    }
    return {};
}

// Whole processes on the replace job, each compared with the rename floor of this process: their
// ratios include starting the process.
void benchProcesses(BenchReport& report, InodePool& pool, const Options& options, int n) {
    const JobCheck tagged(NameShape::Tagged, n);
    const std::string self = ownProgramPath();
    const std::string perl = perlRenameProgram();
    const std::string mmv = findProgram("mmv");
    const std::string peakFile = pool.base() + "/peak.txt";
    long ourPeakKb = 0;

    // "{}" in the arguments stands for the folder.
    auto processCase = [&](const std::string& name, const std::vector<std::string>& arguments, bool ours) {
        return Case(name, kRenameFloor, [&, arguments, ours](int, std::vector<Sample>& samples) {
            const ScratchFolder folder(pool, NameShape::Tagged, n);
            std::vector<std::string> argv = arguments;
            std::replace(argv.begin(), argv.end(), std::string("{}"), folder.path());
            const ChildRun run = runChild(argv, folder.path());
            samples.push_back({run.seconds, run.cpuSeconds});
            if (ours) {
                ourPeakKb = std::max(ourPeakKb, std::atol(readWhole(peakFile).c_str()));
            }
            std::string note = tagged.verify(folder, ours, false);
            if (run.exitCode != 0) {
                note += (note.empty() ? "" : "; ") + std::string("exit code ") + std::to_string(run.exitCode);
            }
            return note;
        });
    };
    std::vector<Case> cases;
    cases.push_back(processCase(kOurJob, {self, "--replace-job", "{}", peakFile}, true));
    if (!perl.empty()) {
        // The names reach one perl process on its standard input: 100,000 names do not fit on one
        // command line.
        cases.push_back(
            processCase(kPerlRename,
                        {"/bin/sh", "-c", "find . -maxdepth 1 -type f -print0 | " + perl + " -0 's/cad/zet/'"}, false));
    }
    if (!mmv.empty()) {
        cases.push_back(processCase(kMmv, {mmv, "*cad*", "#1zet#2"}, false));
    }
    runRounds(cases, options.runs);
    reportCases(report, cases, n);
    if (perl.empty()) {
        report.addMissing(kPerlRename, n, "perl rename (Debian package rename) is not installed");
    } else {
        report.compare(kOurJob + " / perl", kOurJob, kPerlRename, n);
    }
    if (mmv.empty()) {
        report.addMissing(kMmv, n, "mmv is not installed");
    } else {
        report.compare(kOurJob + " / mmv", kOurJob, kMmv, n);
    }
    report.addMemory(kOurJob, n, ourPeakKb);
    ::unlink(peakFile.c_str());
}

int lineCount(const std::string& path) {
    const std::string text = readWhole(path);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

void benchListFile(BenchReport& report, InodePool& pool, const Options& options, int n) {
    std::vector<std::string> names;
    QStringList qtNames;
    for (int i = 0; i < n; ++i) {
        names.push_back(scratchName(NameShape::Tagged, i));
        qtNames.push_back(QString::fromStdString(names.back()));
    }
    const auto check = [n](const ScratchFolder& folder) {
        const int lines = lineCount(folder.path() + "/list.txt");
        return lines == n + 1 ? std::string()
                              : "NOT DONE: " + std::to_string(lines) + " of " + std::to_string(n + 1) + " lines";
    };
    std::vector<Case> cases;
    cases.emplace_back(kListFileFloor, std::string(), [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool);
        const Stopwatch watch;
        listFileFloor(folder.path(), "list.txt", names);
        samples.push_back(watch.elapsed());
        return check(folder);
    });
    cases.emplace_back(kMakeFileList, kListFileFloor, [&](int, std::vector<Sample>& samples) {
        const ScratchFolder folder(pool);
        listing::FileListRequest request;
        request.listName = u"list"_s;
        request.form = listing::NameForm::WithExtension;
        request.patternText = u"*.JPG"_s;
        request.folder = qtPath(folder.path());
        request.files = qtNames;
        // The file list refresh at the end is the WorkingSet refresh measured on its own; here it
        // does nothing.
        BenchServices services;
        const Stopwatch watch;
        listing::MakeFileList(request, services);
        samples.push_back(watch.elapsed());
        return check(folder);
    });
    runRounds(cases, options.runs);
    reportCases(report, cases, n);
}

// The child side of "replace job (process)": reads the folder as the window does, renames, logs,
// and writes its own peak resident set, in kB, to the peak file.
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

std::vector<int> parseSizes(const char* text) {
    std::vector<int> sizes;
    for (const char* at = text; *at != '\0';) {
        char* end = nullptr;
        const long value = std::strtol(at, &end, 10);
        if (end == at || value <= 0 || value > 10'000'000) {
            return {};
        }
        sizes.push_back(static_cast<int>(value));
        at = *end == ',' ? end + 1 : end;
    }
    return sizes;
}

int usage() {
    std::fputs("usage: filarion_bench [--dir FOLDER] [--runs R] [--sizes N,N...] [--groups G,G...]\n"
               "       groups: rename (with the listing), process, list, window (with the preview), preview, undo\n"
               "       rename, process and list measure sizes up to 100000 only; the default sizes are\n"
               "       10000,100000,200000,1000000 (leave the larger ones out with --sizes 10000,100000)\n"
               "       filarion_bench --replace-job FOLDER PEAKFILE | --window-job RESULTFILE\n"
               "       filarion_bench --preview-job RESULTFILE [--no-hints] | --undo-job RESULTFILE [--no-hints]\n",
               stderr);
    return 2;
}

// The targets that this run's options can measure: those of the groups chosen at the sizes they need, and the
// per-file scales only when more than one size is measured. leftOut: how many others there are.
std::vector<Target> targets(const Options& options, int& leftOut) {
    using Kind = Target::Kind;
    std::vector<std::pair<std::string, Target>> all; // each with the group that measures it
    for (const std::string& method : kMethodNames) {
        all.push_back({"rename", {Kind::RatioToFloor, method, 1.10, {}}});
    }
    all.push_back({"process", {Kind::RatioBetween, kOurJob, 0.999, kPerlRename}});
    all.push_back({"process", {Kind::RatioBetween, kOurJob, 0.999, kMmv}});
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

int runBenchmarks(int argc, char* argv[]) {
    Options options;
    char cwd[4096];
    options.base = std::string(::getcwd(cwd, sizeof cwd) != nullptr ? cwd : ".") + "/bench-work";
    for (int i = 1; i < argc; i += 2) {
        const std::string argument = argv[i];
        if (i + 1 >= argc) {
            return usage();
        }
        const char* value = argv[i + 1];
        if (argument == "--dir") {
            // The jobs run as child processes in their own folders, so every path handed to them must be
            // absolute.
            options.base = std::filesystem::absolute(value).lexically_normal().string();
        } else if (argument == "--runs") {
            options.runs = std::atoi(value);
        } else if (argument == "--sizes") {
            options.sizes = parseSizes(value);
        } else if (argument == "--groups") {
            options.groups.clear();
            const std::string list = value;
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t end = std::min(list.find(',', start), list.size());
                options.groups.insert(list.substr(start, end - start));
                start = end + 1;
            }
        } else {
            return usage();
        }
    }
    const std::set<std::string> known{"preview", "rename", "process", "list", "window", "undo"};
    if (options.runs < 1 || options.sizes.empty() || options.groups.empty() ||
        !std::includes(known.begin(), known.end(), options.groups.begin(), options.groups.end())) {
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
