#pragma once

#include "stopwatch.h"

#include <string>
#include <vector>

namespace filarion::bench {

// The median, fastest and slowest of a measurement's runs, and the median processor time, in seconds.
struct SampleStats {
    double median = 0;
    double min = 0;
    double max = 0;
    double cpuMedian = 0;
    int runs = 0;
};

SampleStats summarize(const std::vector<Sample>& samples);

// A goal a measurement at one n (the largest measured when none is given) should meet. It is met only when every figure
// it is computed from was measured and the runs behind it were verified to have done their work.
struct Target {
    enum class Kind {
        RatioToFloor,  // median / its floor's median <= limit
        RatioBetween,  // median / the median of `against` <= limit
        MedianSeconds, // median <= limit
        PerFileScale,  // cost per file at the largest n / at the smallest n <= limit
        PeakMb,        // peak resident set, in MB, <= limit
        PeakRatio,     // peak resident set / that of `against` <= limit
    };
    Kind kind;
    std::string name;
    double limit;
    std::string against;
    int n = 0; // 0: the largest n measured
};

// Collects the measurements of one bench run and prints one line per measurement as it comes in,
// then the targets at the end.
class BenchReport {
public:
    void printHeader() const;

    // A measurement of n files. floorName names the floor it is compared with, measured earlier for
    // the same n; empty for a floor itself. A note is printed at the end of the line.
    void add(const std::string& name, int n, const std::vector<Sample>& samples, const std::string& floorName,
             const std::string& note = {});
    // The ratio of two medians already added, for comparisons that are not against a floor.
    void compare(const std::string& name, const std::string& measured, const std::string& against, int n);
    // A peak resident set size, in kilobytes.
    void addMemory(const std::string& name, int n, long kilobytes);
    // A measurement that could not be taken, and why.
    void addMissing(const std::string& name, int n, const std::string& why);

    // The targets at the largest n, each with its figure and whether it is met. Returns how many failed:
    // not measured, or computed from a run that did not do its work. A missed limit is printed, not counted.
    int printTargets(const std::vector<Target>& targets) const;

private:
    enum class EntryKind { Time, Memory, Missing };
    struct Entry {
        std::string name;
        int n = 0;
        EntryKind kind = EntryKind::Time;
        SampleStats stats;
        std::string floorName;
        long kilobytes = 0;
        std::string note; // empty when the runs were verified
    };
    struct Ratio {
        double wall = 0; // 0: not measured
        double cpu = 0;
    };

    const Entry* find(const std::string& name, int n, EntryKind kind = EntryKind::Time) const;
    Ratio ratio(const std::string& name, const std::string& against, int n) const;
    // Cost per file at n divided by the cost per file at the smallest n measured, or 0.
    double perFileScale(const std::string& name, int n) const;
    int largestN() const;
    // Why a figure of the named measurement at n cannot be trusted, or empty: the note of its runs (which
    // is empty when they were verified), or that it has no figure.
    std::string doubt(const std::string& name, int n) const;

    std::vector<Entry> m_entries;
};

} // namespace filarion::bench
