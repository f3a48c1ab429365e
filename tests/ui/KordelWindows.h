#pragma once

#include "acquisition/FakeClock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "ui/MainWindows.h"

#include <QSocketNotifier>
#include <QTest>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace kordel::testing_support {

// The fake clock of a window's run. Each wait first hands the turn to the window's thread and
// waits for it there: the window shows what the run has handed over, and `atWait`, when set,
// acts at that point of the run. The turn is asked for through a pipe and passed back through
// a mutex, nothing of Qt's, so the thread sanitizer sees every hand-over.
class WindowClock : public FakeClock {
public:
    WindowClock() {
        [[maybe_unused]] const int made = pipe2(ask_, O_CLOEXEC | O_NONBLOCK);
        asked_ = std::make_unique<QSocketNotifier>(ask_[0], QSocketNotifier::Read);
        QObject::connect(asked_.get(), &QSocketNotifier::activated, [this] { takeTurn(); });
    }
    ~WindowClock() override {
        asked_.reset();
        close(ask_[0]);
        close(ask_[1]);
    }

    double now() override {
        if (freeRunning) {
            seconds += 0.001;
        }
        return FakeClock::now();
    }

    void waitUntil(double deadline) override {
        if (freeRunning) {
            FakeClock::waitUntil(deadline);
            return;
        }
        std::unique_lock lock(mutex_);
        turnAsked_ = true;
        [[maybe_unused]] const ssize_t written = write(ask_[1], "t", 1);
        turnDone_.wait(lock, [this] { return !turnAsked_; });
        lock.unlock();
        FakeClock::waitUntil(deadline);
    }

    std::function<void()> atWait;
    // Set: the run does not wait for the window, and every look at the clock moves it on by a
    // millisecond, as if the readings took time.
    bool freeRunning = false;

private:
    void takeTurn() {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(ask_[0], &byte, 1);
        QCoreApplication::processEvents(); // what the run handed over before it asked
        const std::lock_guard lock(mutex_);
        if (atWait) {
            atWait();
        }
        turnAsked_ = false;
        turnDone_.notify_all();
    }

    int ask_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> asked_;
    std::mutex mutex_;
    std::condition_variable turnDone_;
    bool turnAsked_ = false;
};

// The three windows as start-up makes them, on the demo bus and a clock that never sleeps.
struct KordelWindows {
    KordelWindows() { Form1.show(); }

    // Types N and the pause, then presses Start.
    void run(const QString& count, const QString& pause = QStringLiteral("0")) {
        Form1.Edit1->setText(count);
        Form1.Edit2->setText(pause);
        QTest::mouseClick(Form1.SpeedButton1, Qt::LeftButton);
    }

    DemoBus bus;
    PortBusScope useBus{bus};
    WindowClock clock;
    SharedState state;
    MainWindows windows{state, true, clock};
    TForm1& Form1 = windows.Form1;
    TFSave& FSave = windows.FSave;
    TFNgr& FNgr = windows.FNgr;
};

} // namespace kordel::testing_support
