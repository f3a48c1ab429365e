#pragma once

#include "acquisition/Clock.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <string>

namespace kordel {

// Real time, but the line set-up's 1.2 s of waits are left out of the figures.
class SetUpSkippingClock : public SteadyClock {
public:
    void wait(std::int32_t) override {}
};

// The peak is counted afresh from here on, so earlier benchmarks in this process don't count.
inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

inline double peakMemoryMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

inline double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace kordel
