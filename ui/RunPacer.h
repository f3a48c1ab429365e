#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Run.h"

#include <QObject>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace kordel {

// Keeps the window alive while a run blocks it, on the time of `time`: shows a busy cursor and lets
// the window repaint (at most every 50 ms, after `showProgress`), but lets no input, close request
// or settings change reach a handler until the run is over. Lives exactly as long as the run.
//
// Every wait ends at its deadline: repaints are done inside it where one still fits, never after.
class RunPacer final : public QObject, public Clock, public RunObserver {
public:
    // `showProgress` is given the pairs read so far and the seconds since the readings began.
    using Progress = std::function<void(std::int32_t pairs, double seconds)>;

    RunPacer(Clock& time, Progress showProgress);
    ~RunPacer() override;

    double now() override { return time_.now(); }
    void wait(std::int32_t milliseconds) override;
    void waitUntil(double deadline) override;
    void readingsStarted() override;
    void pairRead(std::int32_t pairs) override;

    // Whether the system announced a change of its settings during the run.
    bool localeChanged() const { return localeChanged_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void repaint();
    double typicalRepaint() const;

    Clock& time_;
    Progress showProgress_;
    double lastRepaint_;
    // What the last repaints took, in seconds, oldest overwritten first.
    std::array<double, 5> repaintCosts_{};
    std::size_t repaints_ = 0;
    std::optional<double> readingsStart_;
    std::int32_t pairs_ = 0;
    bool waitedSincePair_ = false;
    bool localeChanged_ = false;
};

} // namespace kordel
