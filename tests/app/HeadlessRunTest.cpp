#include "app/HeadlessRun.h"

#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/RecordingBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "common/NumberText.h"
#include "journal/JournalFile.h"
#include "journal/Recovery.h"
#include "support/DemoSeries.h"
#include "support/Files.h"
#include "support/SmallDisk.h"

#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <pty.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/wait.h>

namespace kordel {
namespace {

using testing_support::contentOf;
using testing_support::demoList;
using testing_support::demoPairs;
using testing_support::readAll;

using testing_support::FakeClock;

// The pause the tests stop in; the line set-up's waits are shorter.
constexpr std::int32_t PauseMs = 1000;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// An unnamed file that takes what a run writes to one of its streams.
class CapturedStream {
public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() { std::fclose(file_); }

    int descriptor() const { return fileno(file_); }
    std::string text() const {
        std::string bytes;
        char chunk[4096];
        for (off_t at = 0;;) {
            const ssize_t got = pread(descriptor(), chunk, sizeof chunk, at);
            if (got <= 0) {
                return bytes;
            }
            bytes.append(chunk, static_cast<std::size_t>(got));
            at += got;
        }
    }

private:
    FILE* file_;
};

// Asks for a stop, as SIGTERM would, in the pause after the `at`-th pair.
class StoppingClock : public FakeClock {
public:
    StoppingClock(StopRequest& stop, int at) : stop_(stop), at_(at) {}

    void wait(std::int32_t milliseconds) override {
        FakeClock::wait(milliseconds);
        if (milliseconds == PauseMs && ++pauses_ == at_) {
            stop_.signal = SIGTERM;
            stop_.requested = true;
        }
    }

private:
    StopRequest& stop_;
    int at_;
    int pauses_ = 0;
};

class HeadlessRun : public testing::Test {
protected:
    HeadlessRun() { bus.inner = &demo; }

    Outcome measure(const std::vector<std::string>& arguments) {
        CapturedStream out;
        CapturedStream err;
        return measureInto(arguments, out.descriptor(), err.descriptor(), out, err);
    }

    Outcome measureInto(const std::vector<std::string>& arguments, int out, int err,
                        const CapturedStream& outText, const CapturedStream& errText) {
        const CommandLine line = parseCommandLine(arguments);
        EXPECT_EQ(line.action, CommandLine::Action::Measure);
        Outcome outcome;
        outcome.status = measureWithoutWindow(line, *clock, stop, {out, err});
        outcome.out = outText.text();
        outcome.err = errText.text();
        return outcome;
    }

    QString pathOf(const char* name) const { return folder.filePath(name); }

    DemoBus demo;
    testing_support::RecordingBus bus;
    PortBusScope useBus{bus};
    StopRequest stop;
    std::unique_ptr<FakeClock> clock = std::make_unique<FakeClock>();
    QTemporaryDir folder;
};

TEST_F(HeadlessRun, PrintsEachPairAsTheValueListsShowIt) {
    const Outcome outcome = measure({"--demo", "--samples", "200"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, demoPairs(200));
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(interruptedJournal(journalDirectory()), std::nullopt);
}

TEST_F(HeadlessRun, StandardOutputTakesAFullStopAndTheFilesTheLocaleSeparator) {
    QLocale::setDefault(QLocale(QLocale::German));
    const Outcome printed = measure({"--demo", "--samples", "3", "--multiplier2", "0"});
    const std::string name = pathOf("ab").toStdString();
    measure({"--demo", "--samples", "3", "--multiplier2", "0", "--save", name});
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(printed.out, "2.509\t0\n2.725\t0\n2.921\t0\n");
    EXPECT_EQ(contentOf(pathOf("ab(1).txt")).toStdString(), "2,509\r\n2,725\r\n2,921\r\n");
    EXPECT_EQ(contentOf(pathOf("ab(2).txt")).toStdString(), "0\r\n0\r\n0\r\n");
}

TEST_F(HeadlessRun, SavesTheListsAndThePlotUnderTheNameAndPrintsNothing) {
    const std::string name = pathOf("sub").toStdString() + "/run.txt";
    QDir(folder.path()).mkdir("sub");
    const Outcome outcome = measure({"--demo", "--samples", "120", "--save", name});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(contentOf(pathOf("sub/run.txt(1).txt")).toStdString(), demoList(75, 120));
    EXPECT_EQ(contentOf(pathOf("sub/run.txt(2).txt")).toStdString(), demoList(50, 120));
    const std::string bitmap = contentOf(pathOf("sub/run.txt.bmp")).toStdString();
    EXPECT_EQ(bitmap.size(), 54U + 313U * 1492U);
    EXPECT_EQ(bitmap.substr(0, 2), "BM");
}

struct ErrorCase {
    std::vector<std::string> arguments;
    std::string err;
    bool linesTouched = false;
};

class HeadlessError : public HeadlessRun, public testing::WithParamInterface<ErrorCase> {};

TEST_P(HeadlessError, SaysWhatTheErrorBoxWouldAndExitsWithOne) {
    const auto inFolder = [this](std::string text) {
        const auto at = text.find("DIR");
        return at == std::string::npos ? text : text.replace(at, 3, folder.path().toStdString());
    };
    std::vector<std::string> arguments{"--demo"};
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(inFolder(argument));
    }
    const Outcome outcome = measure(arguments);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, inFolder(GetParam().err));
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    EXPECT_EQ(!bus.log.empty(), GetParam().linesTouched);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeadlessError,
    testing::Values(ErrorCase{{"--samples", "-1"}, "kordel: Range check error.\n"},
                    ErrorCase{{"--samples", "268435456"}, "kordel: Range check error.\n"},
                    ErrorCase{{"--samples", "5", "--com2", "300"},
                              "kordel: No serial port at address 300.\n",
                              true},
                    ErrorCase{{"--samples", "5", "--save", "a"},
                              "kordel: Введите имя файла\n\r(более одного символа)\n"},
                    ErrorCase{{"--samples", "5", "--save", "я"},
                              "kordel: Введите имя файла\n\r(более одного символа)\n"},
                    // found before any line is touched
                    ErrorCase{{"--samples", "5", "--save", "DIR/none/ab"},
                              "kordel: Cannot create file DIR/none/ab(1).txt: No such file or "
                              "directory.\n"}));

TEST_F(HeadlessRun, AFailedWriteToStandardOutputIsAnError) {
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    CapturedStream out;
    CapturedStream err;
    const Outcome outcome =
        measureInto({"--demo", "--samples", "5"}, full, err.descriptor(), out, err);
    close(full);
    EXPECT_EQ(outcome.status, 1);
    const std::string kept = "kordel: Stream write error.\nkordel: the pairs are kept in ";
    ASSERT_EQ(outcome.err.substr(0, kept.size()), kept);
    const std::string journal =
        outcome.err.substr(kept.size(), outcome.err.find(';') - kept.size());
    EXPECT_EQ(outcome.err.substr(kept.size() + journal.size()),
              "; kordel --recover --save NAME writes them\n");
    EXPECT_EQ(readJournal(journal).pairs(), 1U);

    CapturedStream recovered;
    EXPECT_EQ(recoverWithoutWindow(parseCommandLine({"--recover"}), journalDirectory(),
                                   {recovered.descriptor(), err.descriptor()}),
              0);
    EXPECT_EQ(recovered.text(), demoPairs(1));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(journal))); // only shown, not saved
    std::remove(journal.c_str());
}

TEST_F(HeadlessRun, ARunWithoutAJournalSaysSoAndGoesOn) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/dev/null");
    const Outcome outcome = measure({"--demo", "--samples", "20"});
    qputenv("XDG_STATE_HOME", saved);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, demoPairs(20));
    const std::string said = "kordel: the run has no journal: Cannot create file /dev/null/kordel/";
    EXPECT_EQ(outcome.err.substr(0, said.size()), said);
    EXPECT_TRUE(outcome.err.ends_with(".journal: Not a directory\n")) << outcome.err;
}

TEST_F(HeadlessRun, AChannelThatNeverChangesEndsWithTheLineChecksWarning) {
    const Outcome outcome = measure({"--demo", "--samples", "20", "--com2", "3E8"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "kordel: COM 2 at 3E8: CTS reads clear on every clock: check the "
                           "wiring, or the input is at 0 V\n");
}

TEST_F(HeadlessRun, AStoppedSaveHoldsThePairsReadUntilThen) {
    clock = std::make_unique<StoppingClock>(stop, 3);
    const std::string name = pathOf("ab").toStdString();
    const Outcome outcome =
        measure({"--demo", "--samples", "10", "--pause", "1000", "--save", name});
    EXPECT_EQ(outcome.status, 143);
    EXPECT_EQ(outcome.err, "kordel: stopped after 3 of 10 pairs\n");
    EXPECT_EQ(contentOf(pathOf("ab(2).txt")).toStdString(), demoList(50, 3));
    EXPECT_TRUE(QFile::exists(pathOf("ab.bmp")));
}

struct TargetCase {
    std::string disk; // the tmpfs options
    unsigned long flags;
    int pairs;
    std::string err; // its first line
    std::size_t journalled;
};

class SaveTarget : public HeadlessRun, public testing::WithParamInterface<TargetCase> {};

TEST_P(SaveTarget, FailsNamingTheFileAndTheReasonAndKeepsWhatWasRead) {
    const testing_support::SmallDisk disk(folder.path(), GetParam().disk, GetParam().flags);
    if (!disk.mounted()) {
        GTEST_SKIP() << "this user cannot mount a file system";
    }
    const std::string name = pathOf("ab").toStdString();
    const Outcome outcome =
        measure({"--demo", "--samples", std::to_string(GetParam().pairs), "--save", name});
    EXPECT_EQ(outcome.status, 1);
    std::string expected = GetParam().err;
    expected.replace(expected.find("NAME"), 4, name);
    EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n') + 1), expected);
    const std::string kept = "kordel: the pairs are kept in ";
    const std::size_t named = outcome.err.find(kept);
    if (GetParam().journalled == 0) {
        EXPECT_EQ(named, std::string::npos) << outcome.err;
        return;
    }
    ASSERT_NE(named, std::string::npos) << outcome.err;
    const std::size_t at = named + kept.size();
    const std::string journal = outcome.err.substr(at, outcome.err.find(';', at) - at);
    EXPECT_EQ(readJournal(journal).pairs(), GetParam().journalled);
    std::remove(journal.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Disks, SaveTarget,
    testing::Values(
        // found before the run
        TargetCase{"size=64k", MS_RDONLY, 100,
                   "kordel: Cannot create file NAME(1).txt: Read-only file system.\n", 0},
        TargetCase{"size=64k,nr_inodes=1", 0, 100,
                   "kordel: Cannot create file NAME(1).txt: No space left on device.\n", 0},
        // full only once the pairs are written
        TargetCase{"size=64k,nr_inodes=8", 0, 30000,
                   "kordel: Stream write error: NAME(1).txt: No space left on device.\n", 30000}));

// What --recover makes of the journals in a folder.
struct RecoverCase {
    std::string journal; // the file's bytes, or nothing
    std::string err;     // DIR for the folder
    int status;
};

class Recover : public HeadlessRun, public testing::WithParamInterface<RecoverCase> {};

TEST_P(Recover, RefusesWhatItCannotReadNamingIt) {
    const std::string directory = folder.path().toStdString();
    if (!GetParam().journal.empty()) {
        std::ofstream(directory + "/run.journal", std::ios::binary) << GetParam().journal;
    }
    CapturedStream out;
    CapturedStream err;
    const int status = recoverWithoutWindow(parseCommandLine({"--recover"}), directory,
                                            {out.descriptor(), err.descriptor()});
    std::string expected = GetParam().err;
    if (const auto at = expected.find("DIR"); at != std::string::npos) {
        expected.replace(at, 3, directory);
    }
    EXPECT_EQ(status, GetParam().status);
    EXPECT_EQ(err.text(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Journals, Recover,
    testing::Values(RecoverCase{"", "kordel: No interrupted run in DIR.\n", 1},
                    RecoverCase{std::string("KORDEL JOURNAL\n\x02\0\0\0", 19),
                                "kordel: DIR/run.journal was written by a newer Kordel (journal "
                                "format 2); this one reads format 1.\n",
                                1},
                    RecoverCase{"2.509\t2.509\n",
                                "kordel: DIR/run.journal is not a Kordel journal.\n", 1}));

TEST_F(HeadlessRun, APortFailingHalfWayStillLeavesTheCompletePairsInTheFilesOrPrinted) {
    bus.failAfter = 6 + 4 * 52 + 30; // set-up, four pairs, then half of a pair
    const std::string name = pathOf("ab").toStdString();
    const Outcome outcome = measure({"--demo", "--samples", "10", "--save", name});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "kordel: Serial port /dev/ttyFAKE failed: Input/output error.\n");
    EXPECT_EQ(contentOf(pathOf("ab(1).txt")).toStdString(), demoList(75, 4));
    EXPECT_EQ(contentOf(pathOf("ab(2).txt")).toStdString(), demoList(50, 4));

    bus.log.clear();
    const Outcome printed = measure({"--demo", "--samples", "10"});
    EXPECT_EQ(printed.status, 1);
    EXPECT_EQ(printed.out, demoPairs(4));
}

TEST_F(HeadlessRun, ProgressGoesOnlyToATerminalAtMostTenTimesASecond) {
    int terminal = -1;
    int device = -1;
    ASSERT_EQ(openpty(&terminal, &device, nullptr, nullptr, nullptr), 0);
    fcntl(terminal, F_SETFL, O_NONBLOCK);
    CapturedStream out;
    CapturedStream notUsed;
    // 1.2 s of line set-up, then 100 pairs 20 ms apart.
    const Outcome outcome = measureInto({"--demo", "--samples", "100", "--pause", "20"},
                                        out.descriptor(), device, out, notUsed);
    const std::string shown = readAll(terminal);
    close(device);
    close(terminal);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, demoPairs(100));
    int updates = 0;
    for (std::size_t at = 0; (at = shown.find(" pairs ", at)) != std::string::npos; ++at) {
        ++updates;
    }
    EXPECT_GE(updates, 10);
    EXPECT_LE(updates, 21) << shown;
    EXPECT_EQ(shown.substr(shown.rfind('\r', shown.size() - 3)),
              "\r100/100 pairs  100 %  0:00:03 spent  0:00:00 left\r\n");

    const Outcome logged = measure({"--demo", "--samples", "100", "--pause", "20"});
    EXPECT_EQ(logged.err, "");
}

// The status of a child whose stop signal came in a pause that then lasted to its end.
constexpr int PauseNotCutShort = 99;

// Runs the command line in a child process that stops with a real signal. Its pauses last
// until a signal comes, and each is announced on a pipe first, so the parent signals the child
// at a known point of the run.
class SignalledRun : public HeadlessRun {
protected:
    class AnnouncingClock : public StoppableClock {
    public:
        AnnouncingClock(int announce, int go) : announce_(announce), go_(go) {}

        void wait(std::int32_t milliseconds) override {
            if (milliseconds < PauseMs) {
                return; // the line set-up
            }
            const char byte = 'p';
            [[maybe_unused]] const ssize_t sent = write(announce_, &byte, 1);
            if (go_ >= 0) {
                char answer = 0;
                [[maybe_unused]] const ssize_t got = read(go_, &answer, 1);
                sigset_t stops = stopSignals();
                sigprocmask(SIG_UNBLOCK, &stops, nullptr);
            }
            const double deadline = now() + milliseconds / 1000.0;
            StoppableClock::wait(milliseconds);
            if (now() >= deadline) {
                _exit(PauseNotCutShort);
            }
        }

    private:
        int announce_;
        int go_;
    };

    static sigset_t stopSignals() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGHUP);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        return set;
    }

    // `sent` go to the child in its first pause; with more than one, all but the first are
    // held back until all have been sent, so that they arrive in that order and at once.
    Outcome signalled(const std::vector<std::string>& arguments, const std::vector<int>& sent) {
        int announce[2];
        int go[2];
        int out[2];
        EXPECT_EQ(pipe(announce), 0);
        EXPECT_EQ(pipe(go), 0);
        EXPECT_EQ(pipe(out), 0);
        const bool together = sent.size() > 1;
        const pid_t child = fork();
        if (child == 0) {
            close(out[0]);
            StopRequest& request = installStopSignals();
            if (together) {
                sigset_t later;
                sigemptyset(&later);
                for (auto signal = sent.begin() + 1; signal != sent.end(); ++signal) {
                    sigaddset(&later, *signal);
                }
                sigprocmask(SIG_BLOCK, &later, nullptr);
            }
            AnnouncingClock pausing(announce[1], together ? go[0] : -1);
            const int null = open("/dev/null", O_WRONLY);
            _exit(measureWithoutWindow(parseCommandLine(arguments), pausing, request,
                                       {out[1], null}));
        }
        close(announce[1]);
        close(go[0]);
        close(out[1]);
        char byte = 0;
        EXPECT_EQ(read(announce[0], &byte, 1), 1);
        for (const int signal : sent) {
            kill(child, signal);
        }
        // Only a child that holds its signals back waits for this; any other may be gone
        // already, and a write to a pipe nobody reads would end this process.
        if (together) {
            [[maybe_unused]] const ssize_t went = write(go[1], "g", 1);
        }
        Outcome outcome;
        outcome.out = readAll(out[0]);
        int status = 0;
        waitpid(child, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        for (const int descriptor : {announce[0], go[1], out[0]}) {
            close(descriptor);
        }
        return outcome;
    }
};

struct SignalCase {
    int signal;
    int status;
};

class FirstSignal : public SignalledRun, public testing::WithParamInterface<SignalCase> {};

TEST_P(FirstSignal, EndsTheRunAfterThePairBeingReadAndWritesIt) {
    const Outcome outcome =
        signalled({"--demo", "--samples", "1000", "--pause", "30000"}, {GetParam().signal});
    EXPECT_EQ(outcome.status, GetParam().status);
    EXPECT_EQ(outcome.out, demoPairs(1));
}

INSTANTIATE_TEST_SUITE_P(Signals, FirstSignal,
                         testing::Values(SignalCase{SIGHUP, 129}, SignalCase{SIGINT, 130},
                                         SignalCase{SIGTERM, 143}));

TEST_F(SignalledRun, ASecondSignalEndsTheProcessAtOnceWritingNothingMore) {
    const std::string name = pathOf("ab").toStdString();
    const Outcome outcome = signalled(
        {"--demo", "--samples", "1000", "--pause", "30000", "--save", name}, {SIGINT, SIGTERM});
    EXPECT_EQ(outcome.status, 143);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

// The program itself, as a script starts it: no display, no platform chosen.
Outcome runProgram(const std::vector<std::string>& arguments) {
    CapturedStream out;
    CapturedStream err;
    const pid_t child = fork();
    if (child == 0) {
        dup2(out.descriptor(), STDOUT_FILENO);
        dup2(err.descriptor(), STDERR_FILENO);
        for (const char* variable :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
            unsetenv(variable);
        }
        std::vector<char*> argv{const_cast<char*>(KORDEL_PROGRAM)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(KORDEL_PROGRAM, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out.text(), err.text()};
}

TEST(KordelProgram, RunsWithoutADisplayAndKeepsStandardErrorToItsOwnMessages) {
    const Outcome outcome = runProgram({"--demo", "--samples", "-1"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "kordel: Range check error.\n");
}

TEST(KordelProgram, MisuseExitsWithTwo) {
    const Outcome outcome = runProgram({"--demo", "--save", "ab"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), "kordel: --save needs --samples");
}

} // namespace
} // namespace kordel
