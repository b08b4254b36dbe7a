#include "rename_bench.h"

#include "bench_cases.h"
#include "bench_services.h"
#include "engine/rename_run.h"
#include "floors.h"
#include "stopwatch.h"

namespace filarion::bench {

namespace {

using namespace Qt::StringLiterals;

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

} // namespace

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

} // namespace filarion::bench
