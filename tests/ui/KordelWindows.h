#pragma once

#include "acquisition/FakeClock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "ui/USave.h"
#include "ui/Ungr.h"
#include "ui/Unit1.h"

#include <QTest>

namespace kordel::testing_support {

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
    FakeClock clock;
    SharedState state;
    TForm1 Form1{state, true, clock};
    TFSave FSave{Form1};
    TFNgr FNgr{Form1};
};

} // namespace kordel::testing_support
