#include "app/HeadlessRun.h"

#include "acquisition/Run.h"
#include "app/RunProgress.h"
#include "common/Error.h"
#include "output/DecimalSeparator.h"
#include "output/RunPlot.h"
#include "output/SaveSteps.h"
#include "output/WriteAll.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <string_view>

namespace kordel {

namespace {

// Standard output is written out at least this often, and the progress shown no more often.
constexpr double UpdateInterval = 0.1;
constexpr std::size_t ChunkBytes = 1 << 16;

// Bytes for a file descriptor, written out a chunk at a time or when asked.
class DescriptorOutput {
public:
    explicit DescriptorOutput(int descriptor) : descriptor_(descriptor) {}

    bool isTerminal() const { return isatty(descriptor_) == 1; }
    bool pending() const { return !buffer_.empty(); }

    void append(std::string_view bytes) {
        buffer_.append(bytes);
        if (buffer_.size() >= ChunkBytes) {
            flush();
        }
    }

    void flush() {
        const bool written = writeAll(descriptor_, buffer_);
        buffer_.clear();
        if (!written) {
            throw Error("Stream write error");
        }
    }

private:
    int descriptor_;
    std::string buffer_;
};

// Follows the run: prints each complete pair when the pairs go to standard output, and shows
// the progress while standard error is a terminal.
class RunFollower : public RunObserver {
public:
    RunFollower(const SharedState& state, const ValueList& list1, const ValueList& list2,
                Clock& clock, DescriptorOutput& out, DescriptorOutput& err, bool printPairs)
        : state_(state), list1_(list1), list2_(list2), clock_(clock), out_(out), err_(err),
          printPairs_(printPairs), showProgress_(err.isTerminal()),
          shareTerminal_(showProgress_ && out.isTerminal()), start_(clock.now()),
          lastUpdate_(start_) {}

    // The pace counts from here: the line set-up before it says nothing of the pairs.
    void readingsStarted() override { readingsStart_ = clock_.now(); }

    void pairRead(std::int32_t pairs) override {
        if (!printPairs_ && !showProgress_) {
            return; // a save to files with nobody watching: nothing to do until the end
        }
        print(pairs);
        if (clock_.now() - lastUpdate_ >= UpdateInterval) {
            update(pairs);
        }
    }

    // The pairs the run kept that are not printed yet, and, after a run that did not fail, the
    // last progress.
    void finish(bool failed) {
        const auto pairs = static_cast<std::int32_t>(std::min(list1_.size(), list2_.size()));
        print(pairs);
        if (failed) {
            out_.flush();
        } else {
            update(pairs);
        }
        endProgress();
    }

    // Leaves the progress line so that a message can follow on a line of its own.
    void endProgress() {
        if (progressShown_) {
            progressShown_ = false;
            err_.append("\n");
            err_.flush();
        }
    }

private:
    void print(std::int32_t pairs) {
        for (; printPairs_ && printed_ < pairs; ++printed_) {
            const auto index = static_cast<std::size_t>(printed_);
            out_.append(list1_.line(index));
            out_.append("\t");
            out_.append(list2_.line(index));
            out_.append("\n");
        }
    }

    void update(std::int32_t pairs) {
        lastUpdate_ = clock_.now();
        if (shareTerminal_ && out_.pending()) {
            err_.append(display_.erase());
            err_.flush();
        }
        out_.flush();
        if (showProgress_) {
            const std::optional<double> left =
                timeLeft(pairs, state_.SampleCount, lastUpdate_ - readingsStart_);
            err_.append(display_.update(
                progressLine(pairs, state_.SampleCount, lastUpdate_ - start_, left)));
            err_.flush();
            progressShown_ = true;
        }
    }

    const SharedState& state_;
    const ValueList& list1_;
    const ValueList& list2_;
    Clock& clock_;
    DescriptorOutput& out_;
    DescriptorOutput& err_;
    bool printPairs_;
    bool showProgress_;
    bool shareTerminal_; // pairs and progress on one screen: the progress is wiped for the pairs
    bool progressShown_ = false;
    ProgressDisplay display_;
    std::int32_t printed_ = 0;
    double start_;
    double lastUpdate_;
    double readingsStart_ = start_;
};

void saveFiles(const std::string& name, const SharedState& state, const ValueList& list1,
               const ValueList& list2, char separator) {
    const QImage plot = plotOfRun(state, separator);
    if (saveRun(name, name, SaveChoice{}, {list1, list2, plot}) == SaveOutcome::NameTooShort) {
        throw Error(ShortNameWarning);
    }
}

void report(DescriptorOutput& err, const std::string& message) {
    err.append("kordel: " + errorBoxText(message) + "\n");
    try {
        err.flush();
    } catch (const Error&) {
        // Nowhere left to say it; the exit status still does.
    }
}

// Qt's notes about the session (no runtime directory under cron, say) would fill the logs of
// scripted runs; what stops the program still gets through.
void keepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
}

} // namespace

int measureWithoutWindow(const CommandLine& line, Clock& clock, const StopRequest& stop,
                         HeadlessStreams streams) {
    DescriptorOutput out(streams.out);
    DescriptorOutput err(streams.err);
    SharedState state;
    applyDefaults(state, PlotImageSize.width(), PlotImageSize.height());
    ValueList list1;
    ValueList list2;
    // Standard output is read by other programs; the files are as the window saves them.
    const char separator = line.save ? localeDecimalSeparator() : '.';
    RunFollower follower(state, list1, list2, clock, out, err, !line.save);
    try {
        // Found out before the run, not after hours of it.
        if (line.save && isTooShortName(*line.save)) {
            throw Error(ShortNameWarning);
        }
        const RunFields fields{line.com1,  line.com2,        line.samples,
                               line.pause, line.multiplier1, line.multiplier2};
        std::exception_ptr failure;
        try {
            performRun(fields, {state, list1, list2, clock, separator, &follower, &stop.requested});
        } catch (...) {
            failure = std::current_exception();
        }
        follower.finish(failure != nullptr);
        // A run that failed half-way still leaves its complete pairs in the files.
        if (line.save && (!failure || !list1.empty())) {
            saveFiles(*line.save, state, list1, list2, separator);
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const std::exception&) {
        follower.endProgress();
        report(err, messageOf(std::current_exception()));
        return 1;
    }
    return stop.requested ? stop.exitStatus() : 0;
}

int runWithoutWindow(int& argc, char** argv, const CommandLine& line) {
    StopRequest& stop = installStopSignals();
    // The plot's labels need fonts, and fonts a platform: the offscreen one needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(keepOnlyCriticalMessages);
    QGuiApplication application(argc, argv);
    StoppableClock clock;
    return measureWithoutWindow(line, clock, stop);
}

} // namespace kordel
