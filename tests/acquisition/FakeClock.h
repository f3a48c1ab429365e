#pragma once

#include "acquisition/Clock.h"

#include <algorithm>
#include <vector>

namespace kordel::testing_support {

// Time that moves only when waited on (or advanced by hand); remembers every wait of a number of
// milliseconds and every deadline waited for, and counts the looks at it.
class FakeClock : public Clock {
public:
    double now() override {
        ++readings;
        return seconds;
    }
    void wait(std::int32_t milliseconds) override {
        waits.push_back(milliseconds);
        Clock::wait(milliseconds);
    }
    void waitUntil(double deadline) override {
        deadlines.push_back(deadline);
        seconds = std::max(seconds, deadline);
    }

    double seconds = 1000.0;
    std::vector<std::int32_t> waits;
    std::vector<double> deadlines; // in order, those of the waits above included
    int readings = 0;
};

} // namespace kordel::testing_support
