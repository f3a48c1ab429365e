#include "acquisition/FakeClock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"
#include "common/ErrorOf.h"
#include "journal/JournalFile.h"
#include "journal/Recovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <bit>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::errorOf;

struct RunCase {
    RunFields fields;
    char separator;
    int stopAfter; // pairs, or 0 for the whole run
};

void PrintTo(const RunCase& c, std::ostream* out) {
    *out << c.fields.Edit1 << " pairs, multipliers " << c.fields.Edit3 << " " << c.fields.Edit4;
}

// Stops the run in the pause after the `at`-th pair, as a signal would.
class StoppingClock : public testing_support::FakeClock {
public:
    StoppingClock(std::atomic<bool>& stop, int at) : stop_(stop), at_(at) {}
    void wait(std::int32_t milliseconds) override {
        FakeClock::wait(milliseconds);
        if (milliseconds == 7 && ++pauses_ == at_) {
            stop_ = true;
        }
    }

private:
    std::atomic<bool>& stop_;
    int at_;
    int pauses_ = 0;
};

class JournalRun : public testing::TestWithParam<RunCase> {
protected:
    std::string directory() const { return folder.path().toStdString(); }

    void run(JournalFile& journal) {
        StoppingClock clock(stop, GetParam().stopAfter);
        RunContext context{state, list1, list2, clock, GetParam().separator, nullptr, &stop};
        context.journal = &journal;
        performRun(GetParam().fields, context);
    }

    DemoBus demo;
    PortBusScope scope{demo};
    QTemporaryDir folder;
    SharedState state;
    ValueList list1;
    ValueList list2;
    std::atomic<bool> stop{false};
};

TEST_P(JournalRun, RecoveryRebuildsTheRunExactly) {
    JournalFile journal(directory(), "demo");
    run(journal);
    ASSERT_EQ(journal.failure(), "");
    const JournalContent content = readJournal(journal.path());
    EXPECT_TRUE(content.ended);
    EXPECT_EQ(content.header.bus, "demo");
    EXPECT_EQ(content.header.fields.Edit1, GetParam().fields.Edit1);

    SharedState restored;
    ValueList lines1;
    ValueList lines2;
    restoreRun(content, restored, lines1, lines2);
    EXPECT_EQ(restored.SampleCount, state.SampleCount);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(restored.Elapsed),
              std::bit_cast<std::uint64_t>(state.Elapsed));
    EXPECT_EQ(restored.Divider2, state.Divider2);
    EXPECT_EQ(restored.Port2Base, state.Port2Base);
    ASSERT_EQ(restored.Samples1.size(), state.Samples1.size());
    for (std::size_t k = 0; k < state.Samples1.size(); ++k) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(restored.Samples1[k]),
                  std::bit_cast<std::uint64_t>(state.Samples1[k]));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(restored.Samples2[k]),
                  std::bit_cast<std::uint64_t>(state.Samples2[k]));
        ASSERT_EQ(lines1.line(k), list1.line(k));
        ASSERT_EQ(lines2.line(k), list2.line(k));
    }
}

TEST_P(JournalRun, IsHeldWhileItsFrontEndLivesAndReplacedByTheNextRun) {
    std::string path;
    {
        JournalFile journal(directory(), "demo");
        run(journal);
        path = journal.path();
        EXPECT_EQ(interruptedJournal(directory()), std::nullopt);
        run(journal);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
        path = journal.path();
    }
    EXPECT_EQ(interruptedJournal(directory()), path);
    JournalFile adopting(directory(), "demo");
    adopting.adopt(path);
    EXPECT_EQ(interruptedJournal(directory()), std::nullopt);
    adopting.remove();
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Runs, JournalRun,
                         testing::Values(RunCase{{"3F8", "2F8", "300", "7", "1", "1"}, '.', 0},
                                         RunCase{{"3F8", "2F8", "300000", "0", "-3", "7"}, ',', 0},
                                         RunCase{
                                             {"3F8", "2F8", "900", "7", "$7FFFFFFF", "0"}, '.', 0},
                                         RunCase{{"3F8", "2F8", "50", "7", "1", "2"}, '.', 17}));

const JournalHeader SampleHeader{
    1'700'000'000'000, ',', "serial", {"3F8", "2E8", " 5", "10", "2", "3"}};

std::string sampleJournal() {
    return encodeHeader(SampleHeader) + encodePairs(std::string("\x01\x02\x03\x04", 4), 0.5) +
           encodePairs(std::string("\x05\x06", 2), 0.75) + encodeEnd(3, 1.25);
}

TEST(InterruptedJournal, IsTheNewestOfThoseLeft) {
    QTemporaryDir folder;
    const std::string directory = folder.path().toStdString();
    const std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now();
    for (const auto& [older, newer] : {std::pair{"a", "b"}, std::pair{"b", "a"}}) {
        for (const auto& [name, age] : {std::pair{older, 60}, std::pair{newer, 1}}) {
            const std::string path = directory + "/" + name + ".journal";
            QFile file(QString::fromStdString(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::fromStdString(sampleJournal()));
            file.close();
            std::filesystem::last_write_time(path, now - std::chrono::seconds(age));
        }
        EXPECT_EQ(interruptedJournal(directory), directory + "/" + newer + ".journal");
    }
}

TEST(JournalFormat, ATornLastRecordIsDroppedWhereverTheCutFalls) {
    const std::string whole = sampleJournal();
    const std::size_t headerBytes = encodeHeader(SampleHeader).size();
    const std::size_t firstEnd = headerBytes + 21;
    const std::size_t secondEnd = firstEnd + 19;
    for (std::size_t cut = headerBytes; cut <= whole.size(); ++cut) {
        const JournalContent content = decodeJournal(whole.substr(0, cut), "j");
        const std::size_t pairs = cut < firstEnd ? 0 : cut < secondEnd ? 2 : 3;
        ASSERT_EQ(content.pairs(), pairs) << cut;
        EXPECT_EQ(content.ended, cut == whole.size());
        EXPECT_EQ(content.elapsed, pairs == 0            ? 0.0
                                   : pairs == 2          ? 0.5
                                   : cut == whole.size() ? 1.25
                                                         : 0.75);
    }
    std::string flipped = whole;
    flipped[secondEnd - 6] ^= 0x10;
    EXPECT_EQ(decodeJournal(flipped, "j").pairs(), 2U);
    EXPECT_EQ(decodeJournal(whole, "j").header.fields.Edit1, " 5");
}

struct RefusalCase {
    std::function<std::string(std::string)> change;
    std::string error;
};

class JournalRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(JournalRefusal, NamesTheFileAndReadsNothing) {
    EXPECT_EQ(errorOf([] { decodeJournal(GetParam().change(sampleJournal()), "/s/run.journal"); }),
              GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Files, JournalRefusal,
    testing::Values(RefusalCase{[](std::string) { return std::string("2.509\r\n2.725\r\n"); },
                                "/s/run.journal is not a Kordel journal"},
                    RefusalCase{[](std::string j) { return j.substr(0, 5); },
                                "/s/run.journal is not a Kordel journal"},
                    RefusalCase{
                        [](std::string j) { return j.replace(15, 1, "\x02"); },
                        "/s/run.journal was written by a newer Kordel (journal format 2); this one "
                        "reads format 1"},
                    RefusalCase{[](std::string j) { return j.substr(0, 30); },
                                "/s/run.journal is damaged: its header is incomplete"},
                    RefusalCase{[](std::string j) { return j.replace(40, 1, "x"); },
                                "/s/run.journal is damaged: its header is incomplete"}));

} // namespace
} // namespace kordel
