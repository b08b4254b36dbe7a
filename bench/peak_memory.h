#pragma once

#include <fstream>
#include <string>

namespace filarion::bench {

// The peak resident set of this process since it started or since resetPeakMemory(), in kB; 0 when the
// kernel does not tell.
inline long peakMemoryKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

// Starts the peak resident set over from the resident set now, so that the next peakMemoryKb() tells the
// peak of what runs in between.
inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5\n";
}

} // namespace filarion::bench
