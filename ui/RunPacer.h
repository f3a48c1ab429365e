#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Run.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace kordel {

// The clock and observer of a window's run, on the run's thread. Every 50 ms of `time` it hands
// the pairs read since the last time, their values and texts, to the window's thread and wakes
// it with `wake`; the window takes them. Its waits end at their deadline, or within 50 ms once
// `stop` is set.
class RunPacer final : public Clock, public RunObserver {
public:
    // What the window is told.
    struct Progress {
        std::int32_t pairs = 0; // read so far
        std::int32_t total = 0; // to be read
        double seconds = 0.0;   // from the start of the readings to the last pair read
    };

    // `run`, `list1` and `list2` are what the run writes; only the run's thread reads them.
    RunPacer(Clock& time, const SharedState& run, const ValueList& list1, const ValueList& list2,
             const std::atomic<bool>& stop, std::function<void()> wake);

    double now() override { return time_.now(); }
    void wait(std::int32_t milliseconds) override;
    void waitUntil(double deadline) override;
    void readingsStarted() override;
    void pairRead(std::int32_t pairs) override;

    // On the window's thread: appends the pairs handed over since the last call to the series
    // of `shown` and to the lists.
    Progress take(SharedState& shown, ValueList& list1, ValueList& list2);

private:
    void handOverIfDue(double time);
    void handOver();

    Clock& time_;
    const SharedState& run_;
    const ValueList& runList1_;
    const ValueList& runList2_;
    const std::atomic<bool>& stop_;
    std::function<void()> wake_;

    // The run's thread's own.
    double lastHandOver_;
    double readingsStart_ = 0.0;
    Progress read_;
    std::size_t handedOver_ = 0;
    bool handedOverOnce_ = false;

    // Handed over, not taken yet.
    std::mutex mutex_;
    Progress progress_;
    std::vector<double> values1_;
    std::vector<double> values2_;
    ValueList lines1_;
    ValueList lines2_;
    std::atomic<bool> woken_{false};
};

} // namespace kordel
