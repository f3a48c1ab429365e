#include "acquisition/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <sys/prctl.h>

namespace kordel {

namespace {

// Bounds of the time a wait spends polling the clock before its deadline, in seconds.
constexpr double LeastLead = 0.0001;
constexpr double MostLead = 0.002;

// The kernel may end a sleep up to the thread's timer slack late, 50 us by default: eight times
// per reading that would be a few per cent of a reading on a fast adapter.
class LeastTimerSlack {
public:
    LeastTimerSlack() : slack_(prctl(PR_GET_TIMERSLACK)) { prctl(PR_SET_TIMERSLACK, 1); }
    ~LeastTimerSlack() { prctl(PR_SET_TIMERSLACK, slack_); }
    LeastTimerSlack(const LeastTimerSlack&) = delete;
    LeastTimerSlack& operator=(const LeastTimerSlack&) = delete;

private:
    int slack_;
};

} // namespace

double Clock::now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

void Clock::wait(std::int32_t milliseconds) {
    waitUntil(now() + milliseconds / 1000.0);
}

// The kernel wakes a sleeper late, by a tenth of a millisecond on a quiet machine and by more on
// a busy one. So the sleep ends early, by twice the lateness seen of late, and the rest of the
// wait polls the clock: the wait ends at its deadline, not after. A short wait polls for a
// quarter of it at most: on a busy machine a thread that polls long loses the processor.
void Clock::waitUntil(double deadline) {
    const double start = now();
    const double wake = deadline - std::min(lead_, (deadline - start) / 4);
    if (start < wake) {
        const LeastTimerSlack slack;
        if (!sleepUntil(wake)) {
            return;
        }
        const double lateness = now() - wake;
        lead_ = std::clamp(lead_ + (2 * lateness - lead_) / 8, LeastLead, MostLead);
    }
    while (now() < deadline) {
    }
}

// An absolute sleep on the clock now() reads: a signal handled meanwhile resumes towards the
// same moment.
bool Clock::sleepUntil(double moment) {
    const double seconds = std::floor(moment);
    timespec until{};
    until.tv_sec = static_cast<time_t>(seconds);
    until.tv_nsec = static_cast<long>((moment - seconds) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
    return true;
}

Clock& monotonicClock() {
    static Clock clock;
    return clock;
}

} // namespace kordel
