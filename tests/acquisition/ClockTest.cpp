#include "acquisition/Clock.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace kordel {
namespace {

constexpr double Tick = 1e-6;

// The clock's own waits over fake time: each look at the time moves it on by a tick, and a sleep
// ends `lateness` after the moment it was asked to.
class TickingClock : public Clock {
public:
    double now() override { return seconds += Tick; }

    double seconds = 1000;
    double lateness = 0;
    std::vector<double> sleeps; // the moments asked for

protected:
    bool sleepUntil(double moment) override {
        sleeps.push_back(moment);
        seconds = std::max(seconds, moment + lateness);
        return true;
    }
};

struct WaitCase {
    const char* name;
    std::function<void(Clock&)> wait;
    double deadline;
    bool sleeps;
};

void PrintTo(const WaitCase& wait, std::ostream* out) {
    *out << wait.name;
}

class ClockWait : public testing::TestWithParam<WaitCase> {};

// Most of the wait is one sleep that ends shortly before the deadline; the rest polls the clock
// up to the deadline, and no further.
TEST_P(ClockWait, SleepsToJustBeforeItsDeadlineThenEndsAtIt) {
    TickingClock clock;
    GetParam().wait(clock);
    const double deadline = GetParam().deadline;
    if (GetParam().sleeps) {
        ASSERT_EQ(clock.sleeps.size(), 1u);
        EXPECT_LT(clock.sleeps[0], deadline - 0.00005);
        EXPECT_GT(clock.sleeps[0], deadline - 0.002);
    } else {
        EXPECT_TRUE(clock.sleeps.empty());
    }
    EXPECT_GE(clock.seconds, std::min(deadline, 1000 + Tick));
    EXPECT_LE(clock.seconds, std::max(deadline, 1000.0) + 5 * Tick);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, ClockWait,
    testing::Values(WaitCase{"UntilADeadline", [](Clock& c) { c.waitUntil(1000.5); }, 1000.5, true},
                    WaitCase{"APause", [](Clock& c) { c.wait(250); }, 1000.25, true},
                    WaitCase{"ALongPause", [](Clock& c) { c.wait(30000); }, 1030, true},
                    WaitCase{"AShortOne", [](Clock& c) { c.waitUntil(1000.001); }, 1000.001, true},
                    WaitCase{"PastAlready", [](Clock& c) { c.waitUntil(999); }, 999, false},
                    WaitCase{"NoPause", [](Clock& c) { c.wait(0); }, 1000, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClockWait, AfterALateWakeTheNextSleepEndsEarlier) {
    TickingClock clock;
    clock.lateness = 0.001;
    clock.wait(100);
    const double secondDeadline = clock.seconds + 0.1;
    clock.wait(100);
    ASSERT_EQ(clock.sleeps.size(), 2u);
    const double firstLead = 1000.1 - clock.sleeps[0];
    EXPECT_GT(secondDeadline - clock.sleeps[1], firstLead + 0.0001);
}

// On the machine's own clock, however loaded: a wait never ends before its deadline.
TEST(MonotonicClock, NeverEndsAWaitBeforeItsDeadline) {
    Clock clock;
    for (const std::int32_t milliseconds : {0, 1, 3}) {
        const double deadline = clock.now() + milliseconds / 1000.0;
        clock.wait(milliseconds);
        EXPECT_GE(clock.now(), deadline) << milliseconds;
    }
    const double deadline = clock.now() + 0.002;
    clock.waitUntil(deadline);
    EXPECT_GE(clock.now(), deadline);
}

} // namespace
} // namespace kordel
