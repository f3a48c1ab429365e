#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Run.h"

#include <QObject>
#include <functional>

namespace kordel {

// Keeps the window alive while a run blocks it, on the time of `time`: shows a busy cursor and lets
// the window repaint (at most every 50 ms, after `showProgress`), but lets no input, close request
// or settings change reach a handler until the run is over. Lives exactly as long as the run.
class RunPacer final : public QObject, public Clock, public RunObserver {
public:
    RunPacer(Clock& time, std::function<void()> showProgress);
    ~RunPacer() override;

    double now() override { return time_.now(); }
    void wait(std::int32_t milliseconds) override;
    void pairRead(std::int32_t pairs) override;

    // Whether the system announced a change of its settings during the run.
    bool localeChanged() const { return localeChanged_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void repaintIfDue();

    Clock& time_;
    std::function<void()> showProgress_;
    double lastRepaint_;
    bool localeChanged_ = false;
};

} // namespace kordel
