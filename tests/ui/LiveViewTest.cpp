#include "acquisition/RecordingBus.h"
#include "ui/KordelWindows.h"
#include "ui/ModalAnswer.h"

#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace kordel {
namespace {

using testing_support::KordelWindows;
using testing_support::ModalAnswer;
using testing_support::RecordingBus;

// What a run leaves behind in the plot image and its canvas, and what the user was told.
struct Outcome {
    QImage image;
    Canvas::PenStyle penStyle;
    QRgb penColor;
    QRgb brushColor;
    std::pair<std::int64_t, std::int64_t> position;
    QString error;
    std::size_t pairs;

    bool operator==(const Outcome&) const = default;
};

// What the window showed while the run lasted.
struct Seen {
    std::set<QString> captions;
    bool liveShown = false;
    bool plotCovered = false;
};

struct Scenario {
    const char* name;
    long failAfter;     // port accesses of the second run before the port fails; -1 never
    QString multiplier; // channel 2's, typed for the second run
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

// A first run draws a plot to keep or replace, then the second run of the scenario.
class LiveView : public testing::TestWithParam<Scenario> {
protected:
    Outcome runs(bool live, Seen& seen) {
        KordelWindows windows;
        TForm1& form = windows.Form1;
        RecordingBus bus;
        bus.inner = &windows.bus;
        const PortBusScope useRecording(bus);
        form.setLiveView(live);
        windows.run("30", "20");
        bus.log.clear();
        bus.failAfter = GetParam().failAfter;
        form.Edit4->setText(GetParam().multiplier);

        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            seen.captions.insert(form.windowTitle());
            seen.liveShown = seen.liveShown || form.Image2->isVisible();
        });
        watcher.start(0);
        ModalAnswer answer;
        windows.run("40", "20");
        watcher.stop();
        EXPECT_FALSE(form.Image2->isVisible());
        EXPECT_EQ(form.windowTitle(), "Демонстрационный режим: преобразователи смоделированы");

        const Canvas& canvas = form.canvas();
        return {canvas.image(),    canvas.penStyle(),  canvas.penColor(),  canvas.brushColor(),
                canvas.position(), answer.seen().text, form.list1().size()};
    }
};

TEST_P(LiveView, LeavesThePlotImageAndItsCanvasAsTheRunWithoutIt) {
    Seen without;
    Seen with;
    const Outcome plain = runs(false, without);
    const Outcome live = runs(true, with);
    EXPECT_TRUE(plain == live);
    EXPECT_FALSE(without.liveShown);
    const bool readsPairs = GetParam().multiplier == "1";
    EXPECT_EQ(with.liveShown, readsPairs);
    if (readsPairs) {
        const QRegularExpression progress(QStringLiteral(
            "^[1-3]?[0-9] / 40 \\([0-9]+ %\\), осталось 0:0[0-9], Esc — остановить$"));
        EXPECT_TRUE(
            std::any_of(with.captions.begin(), with.captions.end(), [&](const QString& caption) {
                return progress.match(caption).hasMatch() &&
                       !caption.startsWith(QStringLiteral("0 /"));
            }));
    }
}

// The second run fails in its 26th pair, or at its multiplier before any line is touched.
INSTANTIATE_TEST_SUITE_P(Runs, LiveView,
                         testing::Values(Scenario{"Completed", -1, "1"},
                                         Scenario{"PortFailsMidRun", 6 + 52 * 25 + 10, "1"},
                                         Scenario{"BadField", -1, "1.5"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace kordel
