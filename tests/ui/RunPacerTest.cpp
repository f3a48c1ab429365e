#include "ui/RunPacer.h"

#include "acquisition/FakeClock.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <ostream>
#include <utility>
#include <vector>

namespace kordel {
namespace {

using testing_support::FakeClock;

struct Repaint {
    std::int32_t pairs;
    double seconds;
    double start;
    double end;
};

// A pacer on the fake clock whose repaints take `cost` seconds of it.
class Pacing : public testing::Test {
protected:
    FakeClock clock;
    double cost = 0;
    std::vector<Repaint> repaints;
    double slowOnce = 0; // the next repaint's cost instead, when set
    RunPacer pacer{clock, [this](std::int32_t pairs, double seconds) {
                       const double took = slowOnce > 0 ? std::exchange(slowOnce, 0.0) : cost;
                       repaints.push_back({pairs, seconds, clock.seconds, clock.seconds + took});
                       clock.seconds += took;
                   }};
};

struct PauseCase {
    std::int32_t warmUp; // ms waited before, so the pacer knows what a repaint takes
    std::int32_t pause;  // ms
    double cost;         // seconds per repaint
    std::size_t repaintsInPause;
};

void PrintTo(const PauseCase& c, std::ostream* out) {
    *out << c.pause << " ms after " << c.warmUp << " ms, repaints of " << c.cost << " s";
}

class PauseTest : public Pacing, public testing::WithParamInterface<PauseCase> {};

TEST_P(PauseTest, EndsAtItsDeadlineWithTheRepaintsInsideIt) {
    cost = GetParam().cost;
    pacer.wait(GetParam().warmUp);
    repaints.clear();
    const double deadline = clock.now() + GetParam().pause / 1000.0;
    pacer.wait(GetParam().pause);
    EXPECT_DOUBLE_EQ(clock.now(), deadline);
    EXPECT_EQ(repaints.size(), GetParam().repaintsInPause);
    for (const Repaint& repaint : repaints) {
        EXPECT_LE(repaint.end, deadline + 1e-12);
    }
    for (std::size_t k = 1; k < repaints.size(); ++k) {
        EXPECT_NEAR(repaints[k].start - repaints[k - 1].end, 0.050, 1e-9);
    }
}

// A repaint every 50 ms while the time left is twice the last one's: 50 + 57 k <= 986 gives 17
// of 7 ms in 1 s; in 130 ms the second 10 ms repaint starts 20 ms before the end, and in 120 ms
// it would start 10 ms before, too late; 60 ms after a 40 ms repaint leave 20 ms when the next
// is due, too little.
INSTANTIATE_TEST_SUITE_P(Cases, PauseTest,
                         testing::Values(PauseCase{0, 1000, 0.0, 20}, PauseCase{0, 1000, 0.007, 17},
                                         PauseCase{0, 130, 0.010, 2}, PauseCase{0, 120, 0.010, 1},
                                         PauseCase{100, 60, 0.040, 0}));

TEST_F(Pacing, ReadingsAndPauseMakeThePeriodWhateverTheRepaintsTake) {
    cost = 0.005;
    pacer.wait(1200);
    pacer.readingsStarted();
    const double start = clock.now();
    repaints.clear();
    for (std::int32_t pair = 1; pair <= 20; ++pair) {
        clock.seconds += 0.025; // the two readings
        pacer.pairRead(pair);
        pacer.wait(30);
    }
    EXPECT_NEAR(clock.now() - start, 20 * 0.055, 1e-9);
    ASSERT_FALSE(repaints.empty());
    EXPECT_GT(repaints.back().pairs, 15);
    for (const Repaint& repaint : repaints) {
        EXPECT_DOUBLE_EQ(repaint.seconds, repaint.start - start);
    }
}

TEST_F(Pacing, OneSlowRepaintDoesNotSilenceTheWindow) {
    cost = 0.005;
    pacer.wait(1200);
    slowOnce = 0.040;
    pacer.wait(100);
    repaints.clear();
    const double start = clock.now();
    for (int pause = 0; pause < 20; ++pause) {
        pacer.wait(30);
    }
    EXPECT_NEAR(clock.now(), start + 20 * 0.030, 1e-9);
    EXPECT_GE(repaints.size(), 10U);
}

TEST_F(Pacing, WithoutPauseRepaintsBetweenPairsEvery50Ms) {
    pacer.readingsStarted();
    for (std::int32_t pair = 1; pair <= 10; ++pair) {
        clock.seconds += 0.020;
        pacer.pairRead(pair);
    }
    ASSERT_EQ(repaints.size(), 3U);
    EXPECT_EQ(repaints[0].pairs, 3);
    EXPECT_EQ(repaints[1].pairs, 6);
    EXPECT_EQ(repaints[2].pairs, 9);
}

} // namespace
} // namespace kordel
