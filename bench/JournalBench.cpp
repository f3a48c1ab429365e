// Million-pair demo runs with the journal and without it, in the window and without one, taken
// in turns after a first run: the quickest of five of each in real and in processor time, and
// the least peak memory. Without it means a journal whose folder cannot be
// made, so the run writes none.
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "app/HeadlessRun.h"
#include "bench/PeakMemory.h"
#include "journal/JournalFile.h"
#include "ui/MainWindows.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace kordel {
namespace {

const std::string Nowhere = "/dev/null/kordel";
constexpr int Rounds = 5;

double processorSeconds() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

struct Quickest {
    void take(const std::function<void()>& run) {
        resetPeakMemory();
        const double start = processorSeconds();
        seconds = std::min(seconds, secondsOf(run));
        processor = std::min(processor, processorSeconds() - start);
        peak = std::min(peak, peakMemoryMegabytes());
    }

    double seconds = std::numeric_limits<double>::infinity();
    double processor = std::numeric_limits<double>::infinity();
    double peak = std::numeric_limits<double>::infinity();
};

void report(benchmark::State& bench, const std::string& front, const Quickest& with,
            const Quickest& without) {
    bench.counters[front + "_with_s"] = with.seconds;
    bench.counters[front + "_without_s"] = without.seconds;
    bench.counters[front + "_overhead_pct"] = (with.seconds / without.seconds - 1) * 100;
    bench.counters[front + "_processor_overhead_pct"] =
        (with.processor / without.processor - 1) * 100;
    bench.counters[front + "_peak_with_MB"] = with.peak;
    bench.counters[front + "_peak_without_MB"] = without.peak;
}

void windowRounds(benchmark::State& bench, const std::string& journals) {
    DemoBus bus;
    const PortBusScope useBus(bus);
    SetUpSkippingClock clock;
    SharedState state;
    MainWindows windows(state, true, clock);
    TForm1& form = windows.Form1;
    form.show();
    form.Edit1->setText(QStringLiteral("1000000"));
    form.Edit2->setText(QStringLiteral("0"));
    JournalFile journal(journals, "--demo");
    JournalFile none(Nowhere, "--demo");
    Quickest with;
    Quickest without;
    const auto start = [&] { QTest::mouseClick(form.SpeedButton1, Qt::LeftButton); };
    // Every run counted follows one of the other kind, as its lists are still held when it starts.
    form.setJournal(none);
    start();
    for (int round = 0; round < 2 * Rounds; ++round) {
        const bool journalled = round % 2 == 0;
        form.setJournal(journalled ? journal : none);
        (journalled ? with : without).take(start);
    }
    report(bench, "window", with, without);
}

void headlessRounds(benchmark::State& bench, const QString& journals) {
    QTemporaryDir folder;
    const std::string name = QDir(folder.path()).filePath("run").toStdString();
    const CommandLine line = parseCommandLine({"--demo", "--samples", "1000000", "--save", name});
    const int null = open("/dev/null", O_WRONLY);
    DemoBus bus;
    const PortBusScope useBus(bus);
    SetUpSkippingClock clock;
    StopRequest stop;
    Quickest with;
    Quickest without;
    const auto run = [&] { measureWithoutWindow(line, clock, stop, {null, null}); };
    qputenv("XDG_STATE_HOME", "/dev/null");
    run();
    for (int round = 0; round < 2 * Rounds; ++round) {
        const bool journalled = round % 2 == 0;
        qputenv("XDG_STATE_HOME", journalled ? journals.toLocal8Bit() : QByteArray("/dev/null"));
        (journalled ? with : without).take(run);
    }
    close(null);
    report(bench, "headless", with, without);
}

void BM_JournalOverhead(benchmark::State& bench) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    QTemporaryDir journals;
    for (auto _ : bench) {
        windowRounds(bench, QDir(journals.path()).filePath("kordel").toStdString());
        headlessRounds(bench, journals.path());
    }
    qputenv("XDG_STATE_HOME", saved);
}
BENCHMARK(BM_JournalOverhead)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
} // namespace kordel
