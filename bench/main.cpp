#include "bench/SummaryReporter.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Fonts and windows need an application; there is no display.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The runs' journals go to a folder of this process's own.
    QTemporaryDir journals;
    qputenv("XDG_STATE_HOME", journals.path().toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    kordel::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
