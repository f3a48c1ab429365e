#pragma once

#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QWidget>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>

namespace kordel {

// Runs a window's run on a thread of its own while the window waits for it in an event loop
// with a busy cursor. No input, close request or settings change reaches a handler meanwhile,
// except what asks the run to stop: Esc, the window's exit button and a request to close the
// window. Lives exactly as long as the run.
class RunLoop final : public QObject {
public:
    RunLoop(QWidget& window, QWidget& exitButton);
    ~RunLoop() override;

    // Set once the run is to end after the pair being read.
    const std::atomic<bool>& stopFlag() const { return stop_; }
    void stop() { stop_ = true; }

    // Calls `run` on the run's thread and `showProgress` on this one whenever wake() was called;
    // returns once `run` has returned, with what it threw.
    std::exception_ptr exec(const std::function<void()>& run,
                            const std::function<void()>& showProgress);
    // From any thread. Through a pipe: nothing of Qt's passes between the threads.
    void wake();

    // Whether the system announced a change of its settings during the run.
    bool localeChanged() const { return localeChanged_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showWhatCame();
    bool asksToStop(const QObject* watched, const QEvent* event) const;

    QWidget& window_;
    QWidget& exitButton_;
    int wakeUp_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> woken_;
    QEventLoop loop_;
    std::function<void()> showProgress_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    bool localeChanged_ = false;
};

} // namespace kordel
