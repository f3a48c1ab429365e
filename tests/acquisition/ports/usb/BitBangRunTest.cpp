#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/ports/BitBangBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/usb/Ft232rModel.h"
#include "acquisition/vv55rWin.h"
#include "app/CommandLine.h"
#include "app/HeadlessRun.h"
#include "common/Error.h"
#include "common/NumberText.h"
#include "ui/MainWindows.h"

#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kordel {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeClock;
using testing_support::Ft232rFault;
using testing_support::Ft232rModel;
using testing_support::UsbTestbed;

constexpr int Pairs = 1000;

std::vector<double> demoVolts(int period, int pairs) {
    std::vector<double> volts;
    for (int k = 0; k < pairs; ++k) {
        volts.push_back(codeToVolts(DemoBus::demoCode(period, k)));
    }
    return volts;
}

std::string demoPairs(int pairs) {
    std::string text;
    for (int k = 0; k < pairs; ++k) {
        text += generalText(codeToVolts(DemoBus::demoCode(75, k))) + "\t" +
                generalText(codeToVolts(DemoBus::demoCode(50, k))) + "\n";
    }
    return text;
}

// Two FT232R adapters, for channel 1 at 3F8 and channel 2 at 2F8, with the demo converters.
class TwoAdapters : public testing::Test {
protected:
    std::string run(PortBus& bus, int pairs) {
        const PortBusScope scope(bus);
        try {
            performRun({"3F8", "2F8", std::to_string(pairs), "0", "1", "1"},
                       {state, list1, list2, clock});
        } catch (const Error& error) {
            return error.message();
        }
        return "no error";
    }

    bool bothGivenBack() const {
        return adapter1.driverBound() && adapter2.driverBound() && adapter1.ttyPresent() &&
               adapter2.ttyPresent();
    }

    UsbTestbed bed;
    Ft232rModel& adapter1 = bed.addFt232r({"ttyUSB0", 1, 2, "A10K0001", 75});
    Ft232rModel& adapter2 = bed.addFt232r({"ttyUSB1", 1, 3, "A10K0002", 50});
    DeviceBindings bindings{{0x3F8, "/dev/ttyUSB0"}, {0x2F8, "/dev/ttyUSB1"}};
    SharedState state;
    ValueList list1;
    ValueList list2;
    FakeClock clock;
};

TEST_F(TwoAdapters, EveryCodeIsExactAndTheTtysComeBackWhenTheBusEnds) {
    {
        BitBangBus bus(bindings);
        EXPECT_EQ(run(bus, Pairs), "no error");
        EXPECT_FALSE(adapter1.driverBound());
        EXPECT_FALSE(adapter2.ttyPresent());
        EXPECT_TRUE(adapter1.inSyncBitBang());
        EXPECT_EQ(adapter1.latencyMilliseconds(), 1);
        // The line set-up's two changes, then one write per reading.
        EXPECT_EQ(adapter1.bulkWrites(), 2 + Pairs);
    }
    EXPECT_EQ(state.Samples1, demoVolts(75, Pairs));
    EXPECT_EQ(state.Samples2, demoVolts(50, Pairs));
    EXPECT_TRUE(bothGivenBack());
}

TEST_F(TwoAdapters, SamplesThatComeBackAFewAtATimeGiveTheSameCodes) {
    adapter1.trickle(5);
    adapter2.trickle(1);
    BitBangBus bus(bindings);
    EXPECT_EQ(run(bus, 100), "no error");
    EXPECT_EQ(state.Samples1, demoVolts(75, 100));
    EXPECT_EQ(state.Samples2, demoVolts(50, 100));
}

struct Fault {
    const char* name;
    int adapter; // 1 or 2
    Ft232rFault fault;
    std::string error;
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class StoppedAdapter : public TwoAdapters, public testing::WithParamInterface<Fault> {};

TEST_P(StoppedAdapter, EndsTheRunWithThePairsReadCompletelyAndGivesTheTtyBack) {
    Ft232rModel& failing = GetParam().adapter == 1 ? adapter1 : adapter2;
    failing.failFrom(2 + 501, GetParam().fault); // the 501st reading
    {
        BitBangBus bus(bindings, systemFtdiChips(), {}, 50ms);
        EXPECT_EQ(run(bus, Pairs), GetParam().error);
        EXPECT_TRUE(failing.driverBound());
        EXPECT_TRUE(failing.ttyPresent());
    }
    EXPECT_EQ(state.SampleCount, 500);
    EXPECT_EQ(state.Samples1, demoVolts(75, 500));
    EXPECT_EQ(state.Samples2, demoVolts(50, 500));
    EXPECT_TRUE(bothGivenBack());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, StoppedAdapter,
    testing::Values(Fault{"UrbError", 1, Ft232rFault::UrbError,
                          "USB adapter /dev/ttyUSB0 (USB device 001/002) failed: usb bulk write "
                          "failed"},
                    Fault{"Silent", 2, Ft232rFault::Silent,
                          "USB adapter /dev/ttyUSB1 (USB device 001/003) failed: no answer "
                          "within 50 ms"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the run without windows ----

class HeadlessOverAdapters : public TwoAdapters {
protected:
    const std::vector<std::string> arguments{
        "--bitbang",        "--device",  "3F8=/dev/ttyUSB0",   "--device",
        "2F8=/dev/ttyUSB1", "--samples", std::to_string(Pairs)};
};

TEST_F(HeadlessOverAdapters, PrintsEveryPairExactly) {
    FILE* out = std::tmpfile();
    {
        const CommandLine line = parseCommandLine(arguments);
        const std::unique_ptr<PortBus> bus = makePortBus(line);
        const PortBusScope scope(*bus);
        StopRequest stop;
        EXPECT_EQ(measureWithoutWindow(line, clock, stop, {fileno(out), fileno(out)}), 0);
    }
    std::string text(static_cast<std::size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
    std::fclose(out);
    EXPECT_EQ(text, demoPairs(Pairs));
    EXPECT_TRUE(bothGivenBack());
}

// The program itself, in a process of its own that the test bed serves: the first SIGINT ends
// the run after the pair being read, and the program gives both ttys back on its way out.
TEST_F(HeadlessOverAdapters, AnInterruptedProgramGivesTheTtysBack) {
    std::vector<std::string> command = arguments;
    command.insert(command.end(), {"--pause", "30000"});
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        std::vector<char*> argv{const_cast<char*>(KORDEL_PROGRAM)};
        for (const std::string& argument : command) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        execv(KORDEL_PROGRAM, argv.data());
        _exit(127);
    }
    close(out[1]);
    // The first pair is printed before its pause begins.
    std::string printed;
    char byte = 0;
    while (printed.find('\n') == std::string::npos && read(out[0], &byte, 1) == 1) {
        printed += byte;
    }
    EXPECT_FALSE(adapter1.driverBound());
    kill(child, SIGINT);
    for (ssize_t got; (got = read(out[0], &byte, 1)) == 1;) {
        printed += byte;
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(printed, demoPairs(1));
    EXPECT_TRUE(bothGivenBack());
}

// ---- the window ----

TEST_F(TwoAdapters, TheWindowReadsEveryPairExactlyAndTheTtysComeBackWhenItIsGone) {
    {
        BitBangBus bus(bindings);
        const PortBusScope scope(bus);
        MainWindows windows(state, false, clock);
        TForm1& Form1 = windows.Form1;
        Form1.show();
        Form1.Edit1->setText(QString::number(Pairs));
        Form1.Edit2->setText(QStringLiteral("0"));
        QTest::mouseClick(Form1.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(state.SampleCount, Pairs);
    }
    EXPECT_EQ(state.Samples1, demoVolts(75, Pairs));
    EXPECT_EQ(state.Samples2, demoVolts(50, Pairs));
    EXPECT_TRUE(bothGivenBack());
}

} // namespace
} // namespace kordel
