#include "app/HeadlessRun.h"

#include "acquisition/Run.h"
#include "app/LineCheck.h"
#include "app/RunProgress.h"
#include "common/Error.h"
#include "common/NumberText.h"
#include "common/WriteAll.h"
#include "journal/JournalFile.h"
#include "journal/Recovery.h"
#include "output/DecimalSeparator.h"
#include "output/RunPlot.h"
#include "output/SaveSteps.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <string_view>
#include <sys/ioctl.h>

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
    // The terminal's width, when it tells one.
    std::optional<std::size_t> columns() const {
        winsize size{};
        return ioctl(descriptor_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0
                   ? std::optional<std::size_t>(size.ws_col)
                   : std::nullopt;
    }
    bool pending() const { return !buffer_.empty(); }
    bool failed() const { return failed_; }

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
            failed_ = true;
            throw Error("Stream write error");
        }
    }

private:
    int descriptor_;
    std::string buffer_;
    bool failed_ = false;
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
    void readingsStarted() override {
        readingsStart_ = clock_.now();
        total_ = state_.SampleCount;
    }
    std::int32_t total() const { return total_; }

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
                timeLeft(pairs, total_, lastUpdate_ - readingsStart_);
            err_.append(display_.update(
                progressLine(pairs, total_, lastUpdate_ - start_, left, err_.columns())));
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
    std::int32_t total_ = 0; // the pairs asked for
    double start_;
    double lastUpdate_;
    double readingsStart_ = start_;
};

// Hands the pairs on to the journal, noting whether a channel gave one code throughout; says so
// at once when the run cannot have a journal.
class CodeWatch : public RunJournal {
public:
    CodeWatch(JournalFile& journal, DescriptorOutput& err) : journal_(journal), err_(err) {}

    void begin(const RunFields& fields, char separator) override {
        journal_.begin(fields, separator);
        if (const std::string failure = journal_.failure(); !failure.empty()) {
            err_.append("kordel: the run has no journal: " + failure + "\n");
            err_.flush();
        }
    }
    void pairRead(std::uint8_t code1, std::uint8_t code2) override {
        note(0, code1);
        note(1, code2);
        journal_.pairRead(code1, code2);
    }
    void end(std::int32_t pairs, double elapsed) override { journal_.end(pairs, elapsed); }

    // The line check's warning for each channel whose every reading gave 255, or 0.
    std::string warnings(const SharedState& state) const {
        std::string text;
        const std::uint16_t bases[] = {state.Port1Base, state.Port2Base};
        for (std::size_t channel = 0; channel < 2; ++channel) {
            const bool steady = seen_[channel] && !varied_[channel];
            const auto fault = steady ? steadyLineFault(first_[channel]) : std::nullopt;
            if (fault) {
                text += "kordel: COM " + std::to_string(channel + 1) + " at " +
                        hexText(bases[channel]) + ": " + *fault + "\n";
            }
        }
        return text;
    }

private:
    void note(std::size_t channel, std::uint8_t code) {
        if (!seen_[channel]) {
            seen_[channel] = true;
            first_[channel] = code;
        } else if (code != first_[channel]) {
            varied_[channel] = true;
        }
    }

    JournalFile& journal_;
    DescriptorOutput& err_;
    bool seen_[2] = {false, false};
    bool varied_[2] = {false, false};
    std::uint8_t first_[2] = {0, 0};
};

void saveFiles(const std::string& name, const SharedState& state, const ValueList& list1,
               const ValueList& list2, char separator) {
    const QImage plot = plotOfRun(state, separator);
    if (saveRun(name, name, SaveChoice{}, {list1, list2, plot}) == SaveOutcome::NameTooShort) {
        throw Error(ShortNameWarning);
    }
}

// Where a run's pairs could not be delivered, the journal still has them.
std::string keptIn(const JournalFile& journal) {
    if (journal.path().empty()) {
        return {};
    }
    return "kordel: the pairs are kept in " + journal.path() +
           "; kordel --recover --save NAME writes them\n";
}

void tell(DescriptorOutput& err, const std::string& text) {
    err.append(text);
    try {
        err.flush();
    } catch (const Error&) {
        // Nowhere left to say it; the exit status still does.
    }
}

void report(DescriptorOutput& err, const std::string& message, const std::string& note = {}) {
    tell(err, "kordel: " + errorBoxText(message) + "\n" + note);
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
    JournalFile journal(journalDirectory(), std::string(busChoice(line.bus).name));
    CodeWatch watch(journal, err);
    try {
        // Found out before the run, not after hours of it.
        if (line.save && isTooShortName(*line.save)) {
            throw Error(ShortNameWarning);
        }
        if (line.save) {
            checkSaveTarget(*line.save);
        }
        const RunFields fields{line.com1,  line.com2,        line.samples,
                               line.pause, line.multiplier1, line.multiplier2};
        std::exception_ptr failure;
        try {
            RunContext context{state, list1, list2, clock, separator, &follower, &stop.requested};
            context.journal = &watch;
            performRun(fields, context);
        } catch (...) {
            failure = std::current_exception();
        }
        follower.finish(failure != nullptr);
        tell(err, watch.warnings(state));
        if (stop.requested) {
            tell(err, "kordel: stopped after " + std::to_string(list1.size()) + " of " +
                          std::to_string(follower.total()) + " pairs\n");
        }
        // A run that failed half-way still leaves its complete pairs in the files.
        if (line.save && (!failure || !list1.empty())) {
            saveFiles(*line.save, state, list1, list2, separator);
        }
        if (!out.failed()) {
            journal.remove(); // the pairs went where they were asked to go
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const std::exception&) {
        follower.endProgress();
        report(err, detailedMessageOf(std::current_exception()), keptIn(journal));
        return 1;
    }
    return stop.requested ? stop.exitStatus() : 0;
}

int recoverWithoutWindow(const CommandLine& line, const std::string& directory,
                         HeadlessStreams streams) {
    DescriptorOutput out(streams.out);
    DescriptorOutput err(streams.err);
    try {
        const std::optional<std::string> path = interruptedJournal(directory);
        if (!path) {
            throw Error("No interrupted run in " + directory);
        }
        JournalContent journal = readJournal(*path);
        if (!line.save) {
            journal.header.separator = '.'; // as a run prints them
        }
        SharedState state;
        applyDefaults(state, PlotImageSize.width(), PlotImageSize.height());
        ValueList list1;
        ValueList list2;
        restoreRun(journal, state, list1, list2);
        if (!line.save) {
            for (std::size_t k = 0; k < list1.size(); ++k) {
                out.append(std::string(list1.line(k)) + "\t" + std::string(list2.line(k)) + "\n");
            }
            out.flush();
            return 0;
        }
        if (isTooShortName(*line.save)) {
            throw Error(ShortNameWarning);
        }
        checkSaveTarget(*line.save);
        saveFiles(*line.save, state, list1, list2, journal.header.separator);
        ::unlink(path->c_str());
    } catch (const std::exception&) {
        report(err, detailedMessageOf(std::current_exception()));
        return 1;
    }
    return 0;
}

int runWithoutWindow(int& argc, char** argv, const CommandLine& line) {
    StopRequest& stop = installStopSignals();
    // The plot's labels need fonts, and fonts a platform: the offscreen one needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(keepOnlyCriticalMessages);
    QGuiApplication application(argc, argv);
    if (line.action == CommandLine::Action::Recover) {
        return recoverWithoutWindow(line, journalDirectory());
    }
    StoppableClock clock;
    return measureWithoutWindow(line, clock, stop);
}

} // namespace kordel
