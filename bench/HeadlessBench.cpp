// A million-pair demo run without a window, saved to files: in this process on the clock the
// window's run uses, and as the program itself, start-up and line set-up included.
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "app/HeadlessRun.h"
#include "bench/PeakMemory.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>

namespace kordel {
namespace {

const std::string Pairs = "1000000";

void BM_HeadlessMillionPairRun(benchmark::State& bench) {
    QTemporaryDir folder;
    const std::string name = QDir(folder.path()).filePath("run").toStdString();
    const CommandLine line = parseCommandLine({"--demo", "--samples", Pairs, "--save", name});
    const int null = open("/dev/null", O_WRONLY);
    resetPeakMemory();
    DemoBus bus;
    const PortBusScope useDemo(bus);
    SetUpSkippingClock clock;
    StopRequest stop;
    double runSeconds = 0;
    for (auto _ : bench) {
        runSeconds = secondsOf([&] {
            if (measureWithoutWindow(line, clock, stop, {null, null}) != 0) {
                bench.SkipWithError("the run failed");
            }
        });
    }
    close(null);
    bench.counters["run_to_files_s"] = runSeconds;
    bench.counters["peak_rss_MB"] = peakMemoryMegabytes();
}
BENCHMARK(BM_HeadlessMillionPairRun)->Unit(benchmark::kSecond)->Iterations(1);

void BM_HeadlessProgram(benchmark::State& bench) {
    QTemporaryDir folder;
    const std::string name = QDir(folder.path()).filePath("run").toStdString();
    rusage usage{};
    int status = -1;
    double wallSeconds = 0;
    for (auto _ : bench) {
        wallSeconds = secondsOf([&] {
            const pid_t child = fork();
            if (child == 0) {
                execl(KORDEL_PROGRAM, KORDEL_PROGRAM, "--demo", "--samples", Pairs.c_str(),
                      "--save", name.c_str(), static_cast<char*>(nullptr));
                _exit(127);
            }
            wait4(child, &status, 0, &usage);
        });
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        bench.SkipWithError("kordel failed");
    }
    bench.counters["wall_s"] = wallSeconds;
    bench.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_HeadlessProgram)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
} // namespace kordel
