#pragma once

#include "acquisition/FakeClock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "ui/USave.h"
#include "ui/Ungr.h"
#include "ui/Unit1.h"

#include <QTest>
#include <functional>
#include <mutex>

namespace kordel::testing_support {

// The fake clock of a window's run. Each wait first hands the turn to the window's thread and
// waits for it there: the window shows what the run has handed over, and `atWait`, when set,
// acts at that point of the run. The turn passes through `turn_` both ways, so the thread
// sanitizer sees that it does.
class WindowClock : public FakeClock {
public:
    void waitUntil(double deadline) override {
        { const std::lock_guard turn(turn_); }
        QMetaObject::invokeMethod(
            qApp,
            [this] {
                const std::lock_guard turn(turn_);
                if (atWait) {
                    atWait();
                }
            },
            Qt::BlockingQueuedConnection);
        { const std::lock_guard turn(turn_); }
        FakeClock::waitUntil(deadline);
    }

    std::function<void()> atWait;

private:
    std::mutex turn_;
};

// The three windows as start-up makes them, on the demo bus and a clock that never sleeps.
struct KordelWindows {
    KordelWindows() {
        Form1.setDialogs(FSave, FNgr);
        Form1.show();
    }

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
    TForm1 Form1{state, true, clock};
    TFSave FSave{Form1};
    TFNgr FNgr{Form1};
};

} // namespace kordel::testing_support
