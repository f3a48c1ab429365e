#pragma once

#include "acquisition/Clock.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>

namespace kordel {

// Real time, but a wait moves the clock on instead of sleeping: the line set-up's 1.2 s are left
// out of the figures. The runs timed on it have no pause.
class SetUpSkippingClock : public Clock {
public:
    double now() override { return Clock::now() + skipped_; }
    void waitUntil(double deadline) override { skipped_ += std::max(0.0, deadline - now()); }

private:
    double skipped_ = 0;
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
