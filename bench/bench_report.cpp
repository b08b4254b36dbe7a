#include "bench_report.h"

#include <algorithm>
#include <cstdio>

namespace filarion::bench {

namespace {

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t size = values.size();
    return size % 2 == 1 ? values[size / 2] : (values[size / 2 - 1] + values[size / 2]) / 2;
}

// "-" for a figure that is not there.
std::string figure(double value, const char* format) {
    if (value <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

constexpr const char* kLineFormat = "%-30s %7d %9s %9s %9s %6s %9s %6s  %-29s %7s %6s  %s\n";
constexpr const char* kHeadFormat = "%-30s %7s %9s %9s %9s %6s %9s %6s  %-29s %7s %6s  %s\n";

} // namespace

SampleStats summarize(const std::vector<Sample>& samples) {
    SampleStats stats;
    if (samples.empty()) {
        return stats;
    }
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Sample& sample : samples) {
        wall.push_back(sample.seconds);
        cpu.push_back(sample.cpuSeconds);
    }
    stats.runs = static_cast<int>(samples.size());
    stats.min = *std::min_element(wall.begin(), wall.end());
    stats.max = *std::max_element(wall.begin(), wall.end());
    stats.median = medianOf(wall);
    stats.cpuMedian = medianOf(cpu);
    return stats;
}

void BenchReport::printHeader() const {
    std::printf("times in ms, medians and extremes of the runs; ratio: median / median of the floor in \"to\";\n"
                "cpu: median processor time (user + system) and its ratio; x/file: cost per file / at the "
                "smallest N\n\n");
    std::printf(kHeadFormat, "measurement", "N", "median", "min", "max", "ratio", "cpu", "ratio", "to", "us/file",
                "x/file", "note");
    std::fflush(stdout);
}

const BenchReport::Entry* BenchReport::find(const std::string& name, int n, EntryKind kind) const {
    for (const Entry& entry : m_entries) {
        if (entry.name == name && entry.n == n && entry.kind == kind) {
            return &entry;
        }
    }
    return nullptr;
}

BenchReport::Ratio BenchReport::ratio(const std::string& name, const std::string& against, int n) const {
    const Entry* a = find(name, n);
    const Entry* b = find(against, n);
    if (a == nullptr || b == nullptr || b->stats.median <= 0) {
        return {};
    }
    return {a->stats.median / b->stats.median, b->stats.cpuMedian > 0 ? a->stats.cpuMedian / b->stats.cpuMedian : 0};
}

double BenchReport::perFileScale(const std::string& name, int n) const {
    const Entry* smallest = nullptr;
    for (const Entry& entry : m_entries) {
        if (entry.name == name && entry.kind == EntryKind::Time && entry.stats.runs > 0 &&
            (smallest == nullptr || entry.n < smallest->n)) {
            smallest = &entry;
        }
    }
    const Entry* at = find(name, n);
    if (smallest == nullptr || at == nullptr || smallest->n == n || smallest->stats.median <= 0) {
        return 0;
    }
    return (at->stats.median / at->n) / (smallest->stats.median / smallest->n);
}

int BenchReport::largestN() const {
    int largest = 0;
    for (const Entry& entry : m_entries) {
        largest = std::max(largest, entry.n);
    }
    return largest;
}

void BenchReport::add(const std::string& name, int n, const std::vector<Sample>& samples, const std::string& floorName,
                      const std::string& note) {
    Entry entry;
    entry.name = name;
    entry.n = n;
    entry.stats = summarize(samples);
    entry.floorName = floorName;
    entry.note = note;
    m_entries.push_back(entry);

    const Ratio toFloor = floorName.empty() ? Ratio{} : ratio(name, floorName, n);
    const SampleStats& stats = entry.stats;
    std::printf(kLineFormat, name.c_str(), n, figure(stats.median * 1e3, "%.1f").c_str(),
                figure(stats.min * 1e3, "%.1f").c_str(), figure(stats.max * 1e3, "%.1f").c_str(),
                figure(toFloor.wall, "%.3f").c_str(), figure(stats.cpuMedian * 1e3, "%.1f").c_str(),
                figure(toFloor.cpu, "%.3f").c_str(), floorName.empty() ? "(floor)" : floorName.c_str(),
                figure(n > 0 ? stats.median * 1e6 / n : 0, "%.2f").c_str(),
                figure(perFileScale(name, n), "%.2f").c_str(), note.c_str());
    std::fflush(stdout);
}

void BenchReport::compare(const std::string& name, const std::string& measured, const std::string& against, int n) {
    const Ratio between = ratio(measured, against, n);
    if (between.wall <= 0) {
        addMissing(name, n, "needs both " + measured + " and " + against);
        return;
    }
    std::printf(kLineFormat, name.c_str(), n, "", "", "", figure(between.wall, "%.3f").c_str(), "",
                figure(between.cpu, "%.3f").c_str(), against.c_str(), "", "", "");
    std::fflush(stdout);
}

void BenchReport::addMemory(const std::string& name, int n, long kilobytes) {
    Entry entry;
    entry.name = name;
    entry.n = n;
    entry.kind = EntryKind::Memory;
    entry.kilobytes = kilobytes;
    m_entries.push_back(entry);
    if (kilobytes > 0) {
        std::printf("%-30s %7d %9.1f MB peak resident set (the largest of the runs)\n", name.c_str(), n,
                    static_cast<double>(kilobytes) / 1024);
    } else {
        std::printf("%-30s %7d %9s peak resident set not reported\n", name.c_str(), n, "-");
    }
    std::fflush(stdout);
}

void BenchReport::addMissing(const std::string& name, int n, const std::string& why) {
    Entry entry;
    entry.name = name;
    entry.n = n;
    entry.kind = EntryKind::Missing;
    m_entries.push_back(entry);
    std::printf("%-30s %7d %9s  not measured: %s\n", name.c_str(), n, "-", why.c_str());
    std::fflush(stdout);
}

std::string BenchReport::doubt(const std::string& name, int n) const {
    const Entry* entry = find(name, n);
    if (entry == nullptr || entry->stats.runs == 0) {
        return "no figure for " + name;
    }
    return entry->note;
}

int BenchReport::printTargets(const std::vector<Target>& targets) const {
    const int largest = largestN();
    std::printf("\ntargets at N=%d unless another N is given (met or missed by the median time; the processor-time "
                "figure beside it)\n",
                largest);
    int failed = 0; // not measured or not verified; a missed limit is a finding, not a failed measurement
    for (const Target& target : targets) {
        const int n = target.n > 0 ? target.n : largest;
        Ratio measured;
        std::string what;
        // Every measurement the figure is computed from; the first doubt about any of them fails the target.
        std::vector<std::pair<std::string, int>> sources{{target.name, n}};
        switch (target.kind) {
        case Target::Kind::RatioToFloor:
            if (const Entry* entry = find(target.name, n); entry != nullptr && !entry->floorName.empty()) {
                measured = ratio(target.name, entry->floorName, n);
                sources.emplace_back(entry->floorName, n);
            }
            what = target.name + " / its floor";
            break;
        case Target::Kind::RatioBetween:
            measured = ratio(target.name, target.against, n);
            sources.emplace_back(target.against, n);
            what = target.name + " / " + target.against;
            break;
        case Target::Kind::MedianSeconds:
            if (const Entry* entry = find(target.name, n); entry != nullptr && entry->stats.runs > 0) {
                measured = {entry->stats.median, entry->stats.cpuMedian};
            }
            what = target.name + ", median s";
            break;
        case Target::Kind::PerFileScale:
            measured.wall = perFileScale(target.name, n);
            for (const Entry& entry : m_entries) {
                if (entry.name == target.name && entry.kind == EntryKind::Time && entry.n != n) {
                    sources.emplace_back(entry.name, entry.n);
                }
            }
            what = target.name + ", cost per file / at the smallest N";
            break;
        case Target::Kind::PeakMb:
            if (const Entry* entry = find(target.name, n, EntryKind::Memory); entry != nullptr) {
                measured.wall = static_cast<double>(entry->kilobytes);
            }
            what = target.name + ", peak resident MB";
            measured.wall /= 1024;
            break;
        case Target::Kind::PeakRatio: {
            const Entry* entry = find(target.name, n, EntryKind::Memory);
            const Entry* against = find(target.against, n, EntryKind::Memory);
            if (entry != nullptr && against != nullptr && against->kilobytes > 0) {
                measured.wall = static_cast<double>(entry->kilobytes) / static_cast<double>(against->kilobytes);
            }
            what = target.name + " / " + target.against + ", peak resident set";
            break;
        }
        }
        if (target.n > 0) {
            what += ", N=" + std::to_string(target.n);
        }
        std::string why;
        for (const auto& [name, size] : sources) {
            why = doubt(name, size);
            if (!why.empty()) {
                break;
            }
        }
        const std::string cpu = measured.cpu > 0 ? "cpu " + figure(measured.cpu, "%.3f") : "";
        if (measured.wall <= 0) {
            ++failed;
            std::printf("  %-66s %10s %-10s (limit %g)  FAILED: not measured%s\n", what.c_str(), "-", "", target.limit,
                        why.empty() ? "" : (" (" + why + ")").c_str());
        } else if (!why.empty()) {
            ++failed;
            std::printf("  %-66s %10.3f %-10s (limit %g)  FAILED: not verified (%s)\n", what.c_str(), measured.wall,
                        cpu.c_str(), target.limit, why.c_str());
        } else if (measured.wall <= target.limit) {
            std::printf("  %-66s %10.3f %-10s (limit %g)  met\n", what.c_str(), measured.wall, cpu.c_str(),
                        target.limit);
        } else {
            std::printf("  %-66s %10.3f %-10s (limit %g)  MISSED by %.0f%%\n", what.c_str(), measured.wall, cpu.c_str(),
                        target.limit, (measured.wall / target.limit - 1) * 100);
        }
    }
    std::fflush(stdout);
    return failed;
}

} // namespace filarion::bench
