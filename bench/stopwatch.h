#pragma once

#include <chrono>
#include <ctime>

namespace filarion::bench {

// One measured run: the time it took, and the processor time (user and system) it used. The second
// barely moves when other work shares the processors, so its ratios are steadier on a busy machine.
struct Sample {
    double seconds = 0;
    double cpuSeconds = 0;
};

// Times a stretch of this process.
class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()), m_cpuStart(cpuNow()) {}

    Sample elapsed() const {
        return {std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count(),
                cpuNow() - m_cpuStart};
    }

private:
    static double cpuNow() {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    }

    std::chrono::steady_clock::time_point m_start;
    double m_cpuStart;
};

} // namespace filarion::bench
