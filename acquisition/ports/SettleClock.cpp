#include "SettleClock.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace kordel {

namespace {

using std::chrono::nanoseconds;

constexpr long NanosecondsPerSecond = 1'000'000'000;

class MonotonicClock : public SettleClock {
public:
    nanoseconds now() override {
        timespec time{};
        clock_gettime(CLOCK_MONOTONIC, &time);
        return nanoseconds(static_cast<long long>(time.tv_sec) * NanosecondsPerSecond +
                           time.tv_nsec);
    }

    // An absolute deadline, so a signal that cuts the sleep short costs no extra time. The
    // kernel may end a sleep up to the thread's timer slack late, 50 us by default: eight
    // times per reading that would be a few per cent of a reading on a fast adapter.
    void sleepUntil(nanoseconds deadline) override {
        const timespec until{static_cast<time_t>(deadline.count() / NanosecondsPerSecond),
                             static_cast<long>(deadline.count() % NanosecondsPerSecond)};
        const int slack = prctl(PR_GET_TIMERSLACK);
        prctl(PR_SET_TIMERSLACK, 1);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
        prctl(PR_SET_TIMERSLACK, slack);
    }
};

} // namespace

SettleClock& systemSettleClock() {
    static MonotonicClock clock;
    return clock;
}

} // namespace kordel
