// Real runs, the window's and the one without, killed with SIGKILL at random moments: each
// journal must then hold every pair read up to a second before the kill, exactly, and recovery
// must write the files Save would have written for its pairs.
#include "acquisition/Converter.h"
#include "acquisition/Run.h"
#include "acquisition/ports/DemoBus.h"
#include "app/HeadlessRun.h"
#include "common/NumberText.h"
#include "journal/Recovery.h"
#include "output/RunPlot.h"
#include "output/SaveSteps.h"
#include "support/Files.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace kordel {
namespace {

using testing_support::contentOf;
using Moment = std::chrono::steady_clock::time_point;
using std::chrono::milliseconds;

constexpr int Kills = 50;
// More than either run reads before its kill, so that none ends by itself.
const std::string Pairs = "3000000";

// What a run's standard output showed until its kill: a newline for each pair read.
struct Killed {
    struct Arrival {
        Moment at;
        std::size_t lines; // so far
    };
    std::vector<Arrival> arrivals;
    Moment killedAt;
    bool endedByItself = false;

    // Pairs that had been read by `moment`, as far as the output had told by then.
    std::size_t readBy(Moment moment) const {
        std::size_t lines = 0;
        for (const Arrival& arrival : arrivals) {
            lines = arrival.at <= moment ? arrival.lines : lines;
        }
        return lines;
    }

    // When the output had told of the `pairs`-th pair; nothing when it never did.
    std::optional<Moment> toldOf(std::size_t pairs) const {
        for (const Arrival& arrival : arrivals) {
            if (arrival.lines >= pairs) {
                return arrival.at;
            }
        }
        return std::nullopt;
    }
};

Killed runAndKill(const std::vector<std::string>& arguments, const QString& state,
                  milliseconds after) {
    int out[2];
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        setenv("XDG_STATE_HOME", state.toLocal8Bit().constData(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("LC_ALL", "C", 1);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    Killed killed;
    const Moment deadline = std::chrono::steady_clock::now() + after;
    std::size_t lines = 0;
    std::vector<char> chunk(1 << 16);
    for (Moment now = std::chrono::steady_clock::now(); now < deadline;
         now = std::chrono::steady_clock::now()) {
        pollfd readable{out[0], POLLIN, 0};
        const auto left = std::chrono::ceil<milliseconds>(deadline - now).count();
        if (poll(&readable, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        const ssize_t got = read(out[0], chunk.data(), chunk.size());
        if (got <= 0) {
            killed.endedByItself = true;
            break;
        }
        lines += static_cast<std::size_t>(std::count(chunk.data(), chunk.data() + got, '\n'));
        killed.arrivals.push_back({std::chrono::steady_clock::now(), lines});
    }
    kill(child, SIGKILL);
    killed.killedAt = std::chrono::steady_clock::now();
    waitpid(child, nullptr, 0);
    close(out[0]);
    return killed;
}

// The files Save writes for the first `pairs` demo pairs, taken in `elapsed` seconds.
void saveDemoRun(std::size_t pairs, double elapsed, const std::string& basePath) {
    SharedState state;
    applyDefaults(state, PlotImageSize.width(), PlotImageSize.height());
    ValueList lists[2];
    std::vector<double>* series[] = {&state.Samples1, &state.Samples2};
    for (std::size_t k = 0; k < pairs; ++k) {
        for (int channel = 0; channel < 2; ++channel) {
            const double value = channelValue(
                DemoBus::demoCode(channel == 0 ? 75 : 50, static_cast<std::int64_t>(k)), 1);
            series[channel]->push_back(value);
            lists[channel].append(generalText(value));
        }
    }
    state.SampleCount = static_cast<std::int32_t>(pairs);
    state.Elapsed = elapsed;
    const QImage plot = plotOfRun(state, '.');
    saveRun(basePath, "demo", SaveChoice{}, {lists[0], lists[1], plot});
}

struct FrontEnd {
    const char* name;
    std::vector<std::string> (*arguments)(const std::string& pause);
};

void PrintTo(const FrontEnd& front, std::ostream* out) {
    *out << front.name;
}

class KilledRun : public testing::TestWithParam<FrontEnd> {};

TEST_P(KilledRun, LeavesAJournalWithEveryPairReadUpToASecondBefore) {
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> killAfter(400, 2600);
    const char* const pauses[] = {"0", "1", "2"};
    std::size_t worstPairs = 0;
    double worstMs = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", kill " + std::to_string(kill));
        const QTemporaryDir state;
        const std::string pause = pauses[random() % 3];
        const Killed killed =
            runAndKill(GetParam().arguments(pause), state.path(), milliseconds(killAfter(random)));
        ASSERT_FALSE(killed.endedByItself);
        const std::size_t required = killed.readBy(killed.killedAt - std::chrono::seconds(1));
        const std::string directory = QDir(state.path()).filePath("kordel").toStdString();
        const std::optional<std::string> path = interruptedJournal(directory);
        if (required == 0 && (!path || std::filesystem::file_size(*path) < 64)) {
            continue; // killed before a pair could be required, maybe while the header went out
        }
        ASSERT_TRUE(path);
        const JournalContent journal = readJournal(*path);
        ASSERT_GE(journal.pairs(), required) << "pause " << pause;
        for (std::size_t k = 0; k < journal.pairs(); ++k) {
            ASSERT_EQ(journal.codes[2 * k], DemoBus::demoCode(75, static_cast<std::int64_t>(k)));
            ASSERT_EQ(journal.codes[2 * k + 1],
                      DemoBus::demoCode(50, static_cast<std::int64_t>(k)));
        }
        const std::size_t told = killed.readBy(killed.killedAt);
        if (told > journal.pairs()) {
            worstPairs = std::max(worstPairs, told - journal.pairs());
            const std::chrono::duration<double, std::milli> lost =
                killed.killedAt - *killed.toldOf(journal.pairs() + 1);
            worstMs = std::max(worstMs, lost.count());
        }

        if (journal.pairs() == 0) {
            continue;
        }
        const QString recovered = QDir(state.path()).filePath("recovered");
        const QString expected = QDir(state.path()).filePath("expected");
        const int null = open("/dev/null", O_WRONLY);
        EXPECT_EQ(
            recoverWithoutWindow(parseCommandLine({"--recover", "--save", recovered.toStdString()}),
                                 directory, {null, null}),
            0);
        close(null);
        saveDemoRun(journal.pairs(), journal.elapsed, expected.toStdString());
        for (const char* suffix : {"(1).txt", "(2).txt", ".bmp"}) {
            ASSERT_EQ(contentOf(recovered + suffix), contentOf(expected + suffix)) << suffix;
        }
    }
    std::cout << GetParam().name << ": worst loss of " << Kills << " kills: " << worstPairs
              << " pairs, " << worstMs << " ms\n";
}

INSTANTIATE_TEST_SUITE_P(
    FrontEnds, KilledRun,
    testing::Values(FrontEnd{"Window",
                             [](const std::string& pause) {
                                 return std::vector<std::string>{KORDEL_WINDOW_RUN, Pairs, pause};
                             }},
                    FrontEnd{"Headless", [](const std::string& pause) {
                                 return std::vector<std::string>{KORDEL_PROGRAM, "--demo",
                                                                 "--samples",    Pairs,
                                                                 "--pause",      pause};
                             }}));

} // namespace
} // namespace kordel

// The plot of a recovered run needs fonts, and so an application; no display is needed.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
