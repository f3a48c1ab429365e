#include "ui/RunPacer.h"

#include <algorithm>
#include <utility>

namespace kordel {

namespace {

constexpr double HandOverInterval = 0.050; // seconds

void appendLines(ValueList& to, const ValueList& from, std::size_t first, std::size_t end) {
    for (std::size_t k = first; k < end; ++k) {
        to.append(from.line(k));
    }
}

} // namespace

RunPacer::RunPacer(Clock& time, const SharedState& run, const ValueList& list1,
                   const ValueList& list2, const std::atomic<bool>& stop,
                   std::function<void()> wake)
    : time_(time), run_(run), runList1_(list1), runList2_(list2), stop_(stop),
      wake_(std::move(wake)), lastHandOver_(time.now()) {}

void RunPacer::wait(std::int32_t milliseconds) {
    waitUntil(now() + milliseconds / 1000.0);
}

// A slice at a time, so that a stop ends the wait soon and the window hears of the set-up; the
// last slice ends at the deadline.
void RunPacer::waitUntil(double deadline) {
    while (!stop_.load() && now() < deadline) {
        time_.waitUntil(std::min(deadline, now() + HandOverInterval));
        handOverIfDue(now());
    }
}

void RunPacer::readingsStarted() {
    readingsStart_ = now();
}

void RunPacer::pairRead(std::int32_t pairs) {
    const double time = now();
    read_.pairs = pairs;
    read_.seconds = time - readingsStart_;
    handOverIfDue(time);
}

// Only news is handed over: the first time, and then new pairs.
void RunPacer::handOverIfDue(double time) {
    const bool news = !handedOverOnce_ || static_cast<std::size_t>(read_.pairs) > handedOver_;
    if (news && time - lastHandOver_ >= HandOverInterval) {
        lastHandOver_ = time;
        handOver();
    }
}

void RunPacer::handOver() {
    const auto pairs = static_cast<std::size_t>(read_.pairs);
    {
        const std::lock_guard lock(mutex_);
        progress_ = read_;
        progress_.total = run_.SampleCount;
        values1_.insert(values1_.end(), run_.Samples1.begin() + handedOver_,
                        run_.Samples1.begin() + pairs);
        values2_.insert(values2_.end(), run_.Samples2.begin() + handedOver_,
                        run_.Samples2.begin() + pairs);
        appendLines(lines1_, runList1_, handedOver_, pairs);
        appendLines(lines2_, runList2_, handedOver_, pairs);
    }
    handedOver_ = pairs;
    handedOverOnce_ = true;
    if (!woken_.exchange(true)) {
        wake_();
    }
}

RunPacer::Progress RunPacer::take(SharedState& shown, ValueList& list1, ValueList& list2) {
    std::vector<double> values1;
    std::vector<double> values2;
    ValueList lines1;
    ValueList lines2;
    Progress progress;
    {
        const std::lock_guard lock(mutex_);
        std::swap(values1, values1_);
        std::swap(values2, values2_);
        std::swap(lines1, lines1_);
        std::swap(lines2, lines2_);
        progress = progress_;
        woken_ = false;
    }
    shown.Samples1.insert(shown.Samples1.end(), values1.begin(), values1.end());
    shown.Samples2.insert(shown.Samples2.end(), values2.begin(), values2.end());
    appendLines(list1, lines1, 0, lines1.size());
    appendLines(list2, lines2, 0, lines2.size());
    return progress;
}

} // namespace kordel
