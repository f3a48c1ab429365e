#include "app/CommandLine.h"

#include "app/PortsFile.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace kordel {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, NoArgumentRunsOnTheSerialDriver) {
    const CommandLine line = parseCommandLine({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.bus, BusKind::SerialDriver);
    EXPECT_TRUE(line.devices.empty());
}

struct BusForm {
    std::vector<std::string> arguments;
    BusKind bus;
};

class BusFormTest : public testing::TestWithParam<BusForm> {};

TEST_P(BusFormTest, ChoosesTheBus) {
    const CommandLine line = parseCommandLine(GetParam().arguments);
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.bus, GetParam().bus);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, BusFormTest,
    testing::Values(BusForm{{"--demo"}, BusKind::Demo}, BusForm{{"--raw-io"}, BusKind::RawIo},
                    BusForm{{"--demo", "--demo"}, BusKind::Demo},
                    BusForm{{"--bitbang", "--device", "3F8=/dev/ttyUSB0"}, BusKind::BitBang},
                    BusForm{{"--device", "3F8=/dev/ttyUSB0"}, BusKind::SerialDriver},
                    BusForm{{"--settle=4", "--device=3F8=/dev/ttyUSB0"}, BusKind::SerialDriver}));

TEST(CommandLineTest, BindingsAreRepeatableAndTakeAddressesAsTypedInThePortFields) {
    const CommandLine line =
        parseCommandLine({"--device", "3f8=/dev/ttyUSB0", "--device", "02F8=/dev/ttyUSB0",
                          "--device", "E=/x=y", "--device=2E8=/dev/\xff"});
    ASSERT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.devices, (DeviceBindings{{0x3F8, "/dev/ttyUSB0"},
                                            {0x2F8, "/dev/ttyUSB0"},
                                            {0x00E, "/x=y"},
                                            {0x2E8, "/dev/\xff"}}));
}

TEST(CommandLineTest, RelativeBindingPathsAreMadeAbsoluteWhenRead) {
    const CommandLine line = parseCommandLine({"--device", "3F8=ttyREL", "--device", "2F8=/dev/x"});
    ASSERT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.devices.at(0x3F8), (std::filesystem::current_path() / "ttyREL").string());
    EXPECT_EQ(line.devices.at(0x2F8), "/dev/x");
}

TEST(CommandLineTest, BindingsMayEndAtTheLastAddressAndSitSideBySide) {
    const CommandLine line =
        parseCommandLine({"--device", "FFF8=/a", "--device", "FFF0=/b", "--device", "0=/c"});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.devices.size(), 3u);
}

TEST(CommandLineTest, CheckTakesTheSameBusOptionsAsARun) {
    const CommandLine line = parseCommandLine(
        {"--check", "--device", "3F8=/dev/ttyUSB0", "--settle", "5", "--com1", "3F8"});
    EXPECT_EQ(line.action, Action::Check);
    EXPECT_EQ(line.bus, BusKind::SerialDriver);
    EXPECT_EQ(line.settle, 5);
    EXPECT_EQ(parseCommandLine({"--check", "--demo"}).bus, BusKind::Demo);
    EXPECT_EQ(parseCommandLine({"--settle", "0"}).settle, 0);
    EXPECT_EQ(parseCommandLine({"--settle", "1000"}).settle, 1000);
    EXPECT_EQ(parseCommandLine({}).settle, std::nullopt);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(answerWithoutWindows(line, out, err), std::nullopt);
}

TEST(CommandLineTest, PortAddressesKeepTheirTextForTheFieldConversion) {
    EXPECT_EQ(parseCommandLine({}).com1, "3F8");
    EXPECT_EQ(parseCommandLine({}).com2, "2F8");
    const CommandLine line = parseCommandLine({"--check", "--com2", "0Fc", "--com1", "2e8"});
    EXPECT_EQ(line.com1, "2e8");
    EXPECT_EQ(line.com2, "0Fc");
}

TEST(CommandLineTest, SamplesAskForARunWithoutWindowsWithTheMainWindowsDefaults) {
    const CommandLine line = parseCommandLine({"--samples", "10", "--demo"});
    EXPECT_EQ(line.action, Action::Measure);
    EXPECT_EQ(line.samples, "10");
    EXPECT_EQ(line.pause, "0");
    EXPECT_EQ(line.multiplier1, "1");
    EXPECT_EQ(line.multiplier2, "1");
    EXPECT_EQ(line.com1, "3F8");
    EXPECT_FALSE(line.save.has_value());
}

TEST(CommandLineTest, RecoverTakesASaveName) {
    EXPECT_EQ(parseCommandLine({"--recover"}).action, Action::Recover);
    const CommandLine line = parseCommandLine({"--recover", "--save", "runs/a"});
    EXPECT_EQ(line.action, Action::Recover);
    EXPECT_EQ(line.save, "runs/a");
}

TEST(CommandLineTest, RunOptionsKeepTheirTextsForTheFieldConversion) {
    const CommandLine line =
        parseCommandLine({"--pause", " 5", "--samples", "x1F", "--multiplier1", "$10",
                          "--multiplier2", "-0", "--save", "runs/a b", "--com1", "2e8"});
    EXPECT_EQ(line.action, Action::Measure);
    EXPECT_EQ(line.samples, "x1F");
    EXPECT_EQ(line.pause, " 5");
    EXPECT_EQ(line.multiplier1, "$10");
    EXPECT_EQ(line.multiplier2, "-0");
    EXPECT_EQ(line.save, "runs/a b");
    EXPECT_EQ(line.com1, "2e8");
}

TEST(CommandLineTest, TheHelpFitsATerminalOf80Columns) {
    std::istringstream help(usageText());
    for (std::string line; std::getline(help, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

TEST(CommandLineTest, HelpWinsOverARun) {
    EXPECT_EQ(parseCommandLine({"--samples", "5", "--help"}).action, Action::ShowHelp);
}

TEST(CommandLineTest, HelpAndVersionAnswerOnStandardOutput) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(answerWithoutWindows(parseCommandLine({"--help"}), out, err), 0);
    EXPECT_EQ(out.str(), usageText());
    const std::string synopsis =
        "Usage: kordel [PORTS]                  the main window\n"
        "       kordel --check [--com1 HEX] [--com2 HEX] [PORTS]\n"
        "       kordel --samples N [--pause MS] [--multiplier1 K] [--multiplier2 K]\n"
        "              [--com1 HEX] [--com2 HEX] [--save NAME] [PORTS]\n"
        "       kordel --recover [--save NAME]\n"
        "PORTS: [--demo | --raw-io | --bitbang] [--device ADDR=PATH]... [--settle MS]\n";
    EXPECT_EQ(out.str().substr(0, synopsis.size()), synopsis);
    out.str("");
    EXPECT_EQ(answerWithoutWindows(parseCommandLine({"--version"}), out, err), 0);
    EXPECT_EQ(out.str(), "kordel " KORDEL_VERSION "\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(answerWithoutWindows(parseCommandLine({"--demo"}), out, err), std::nullopt);
}

struct Refusal {
    std::vector<std::string> arguments;
    std::string reason;
};

class RefusalTest : public testing::TestWithParam<Refusal> {};

TEST_P(RefusalTest, PrintsOneLineReasonAndWhereTheHelpIsThenExitsWithTwo) {
    const CommandLine line = parseCommandLine(GetParam().arguments);
    ASSERT_EQ(line.action, Action::Refuse);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(answerWithoutWindows(line, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "kordel: " + GetParam().reason + "\nTry 'kordel --help' for more information.\n");
}

const std::string Malformed = "': expected ADDR=PATH, ADDR hexadecimal up to FFFF";

INSTANTIATE_TEST_SUITE_P(
    WrongForms, RefusalTest,
    testing::Values(
        Refusal{{"--verbose"}, "unknown option '--verbose'"},
        Refusal{{"--help", "-x"}, "unknown option '-x'"},
        Refusal{{"--demo=yes"}, "--demo takes no value"},
        Refusal{{"--samples", "5", "--check=1"}, "--check takes no value"},
        Refusal{{"--samples", "5", "run"}, "unexpected argument 'run'"},
        Refusal{{"--device"}, "--device needs ADDR=PATH"}, Refusal{{"--com1"}, "--com1 needs HEX"},
        Refusal{{"--samples"}, "--samples needs N"},
        Refusal{{"--samples", "5", "--pause"}, "--pause needs MS"},
        Refusal{{"--samples", "5", "--save"}, "--save needs NAME"},
        Refusal{{"--pause", "5"}, "--pause needs --samples"},
        Refusal{{"--samples", "5", "--check"}, "--samples and --check exclude each other"},
        Refusal{{"--check", "--samples", "5"}, "--samples and --check exclude each other"},
        Refusal{{"--com2", "2E8"}, "--com1 and --com2 serve only --samples and --check"},
        Refusal{{"--com1", "3F8"}, "--com1 and --com2 serve only --samples and --check"},
        Refusal{{"--demo", "--multiplier1", "2"}, "--multiplier1 needs --samples"},
        Refusal{{"--multiplier2", "2"}, "--multiplier2 needs --samples"},
        Refusal{{"--save", "run"}, "--save needs --samples"},
        Refusal{{"--recover", "--samples", "5"}, "--samples and --recover exclude each other"},
        Refusal{{"--recover", "--check"}, "--check and --recover exclude each other"},
        Refusal{{"--recover", "--pause", "5"}, "--pause needs --samples"},
        Refusal{{"--recover", "--com1", "2E8"},
                "--com1 and --com2 serve only --samples and --check"},
        Refusal{{"--device", "3F8"}, "malformed binding '3F8" + Malformed},
        Refusal{{"--device", "3F8="}, "malformed binding '3F8=" + Malformed},
        Refusal{{"--device", "$3F8=/dev/ttyS0"}, "malformed binding '$3F8=/dev/ttyS0" + Malformed},
        Refusal{{"--device", "0x3F8=/dev/ttyS0"},
                "malformed binding '0x3F8=/dev/ttyS0" + Malformed},
        Refusal{{"--device", "103F8=/dev/ttyS0"},
                "malformed binding '103F8=/dev/ttyS0" + Malformed},
        Refusal{{"--device", "3F8=/a", "--device", "3f8=/b"}, "address 3F8 is bound twice"},
        Refusal{{"--demo", "--raw-io"}, "--demo and --raw-io exclude each other"},
        Refusal{{"--bitbang", "--demo"}, "--demo and --bitbang exclude each other"},
        Refusal{{"--raw-io", "--bitbang"}, "--raw-io and --bitbang exclude each other"},
        Refusal{{"--bitbang", "--settle", "2"},
                "--settle serves only the serial driver, not --demo, --raw-io or --bitbang"},
        Refusal{{"--raw-io", "--device", "3F8=/dev/ttyS0"},
                "--device serves only the serial driver and --bitbang, not --demo or --raw-io"},
        Refusal{{"--device", "3F8=/a", "--device", "3FC=/b"},
                "bindings 3F8 and 3FC overlap: each port takes the 8 addresses from its base on"},
        Refusal{{"--device", "1=/a", "--device", "2=/b"},
                "bindings 001 and 002 overlap: each port takes the 8 addresses from its base on"},
        Refusal{{"--device", "FFF9=/a"},
                "address FFF9 is too high: a port's 8 registers must end by FFFF"},
        Refusal{{"--settle"}, "--settle needs MS, whole milliseconds from 0 to 1000"},
        Refusal{{"--settle", "-1"}, "--settle needs MS, whole milliseconds from 0 to 1000"},
        Refusal{{"--settle", "+3"}, "--settle needs MS, whole milliseconds from 0 to 1000"},
        Refusal{{"--settle", "1001"}, "--settle needs MS, whole milliseconds from 0 to 1000"},
        Refusal{{"--settle", "0x10"}, "--settle needs MS, whole milliseconds from 0 to 1000"},
        Refusal{{"--demo", "--settle", "2"},
                "--settle serves only the serial driver, not --demo, --raw-io or --bitbang"},
        Refusal{{"--settle", "abc"}, "--settle: 'abc' is not a valid integer value."},
        Refusal{{"--settle", "12ms"}, "--settle: '12ms' is not a valid integer value."},
        Refusal{{"--samples", "abc"}, "--samples: 'abc' is not a valid integer value."},
        Refusal{{"--samples", "1.5"}, "--samples: '1.5' is not a valid integer value."},
        Refusal{{"--samples", "5", "--com1", "zz"}, "--com1: 'zz' is not a valid integer value."},
        Refusal{{"--check", "--com2", ""}, "--com2: '' is not a valid integer value."},
        Refusal{{"--samples", "5", "--pause", "1 "}, "--pause: '1 ' is not a valid integer value."},
        Refusal{{"--samples", "5", "--multiplier1", "x"},
                "--multiplier1: 'x' is not a valid integer value."},
        Refusal{{"--samples", "5", "--multiplier2", "0.5"},
                "--multiplier2: '0.5' is not a valid integer value."}));

// FILE and DIR stand for the ports file and its folder.
struct PortsFileCase {
    std::optional<std::string> text; // none: no file
    std::vector<std::string> arguments;
    BusKind bus;
    DeviceBindings devices;
    std::string outcome; // what --check says first, or why the line is refused
};

class PortsFileTest : public testing::TestWithParam<PortsFileCase> {
protected:
    std::string placed(std::string text) const {
        for (const auto& [name, path] :
             {std::pair{"FILE", file.string()}, std::pair{"DIR", file.parent_path().string()}}) {
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name)) {
                text.replace(at, std::string_view(name).size(), path);
            }
        }
        return text;
    }

    testing_support::TempFolder folder;
    std::filesystem::path file = folder.path / "kordel/ports";
};

TEST_P(PortsFileTest, HoldsThePortOptionsWhenTheCommandLineGivesNone) {
    if (GetParam().text == "") {
        std::filesystem::create_directories(file); // a folder in the file's place
    } else if (GetParam().text) {
        folder.write("kordel/ports", *GetParam().text);
    }
    const CommandLine line = parseCommandLine(GetParam().arguments, file);
    if (line.action == Action::Refuse) {
        EXPECT_EQ(line.reason, placed(GetParam().outcome));
        return;
    }
    EXPECT_EQ(portsOriginText(line), placed(GetParam().outcome));
    EXPECT_EQ(line.bus, GetParam().bus);
    DeviceBindings devices;
    for (const auto& [address, path] : GetParam().devices) {
        devices[address] = placed(path);
    }
    EXPECT_EQ(line.devices, devices);
}

const std::string FromFile = "port options: from FILE\n";
const std::string FromCommandLine = "port options: from the command line\n";

INSTANTIATE_TEST_SUITE_P(
    Files, PortsFileTest,
    testing::Values(
        PortsFileCase{"# the lab's adapters\n\n3F8=/dev/ttyUSB0\n  2f8=by-name/b \r\n",
                      {},
                      BusKind::SerialDriver,
                      {{0x3F8, "/dev/ttyUSB0"}, {0x2F8, "DIR/by-name/b"}},
                      FromFile},
        PortsFileCase{"raw-io\n", {"--check"}, BusKind::RawIo, {}, FromFile},
        PortsFileCase{"raw-io\n", {"--demo"}, BusKind::Demo, {}, FromCommandLine},
        PortsFileCase{"3F8=/a\n", {"--settle", "3"}, BusKind::SerialDriver, {}, FromCommandLine},
        PortsFileCase{
            std::nullopt, {}, BusKind::SerialDriver, {}, "port options: none, and no file FILE\n"},
        PortsFileCase{"3F8=/a\nnonsense\n",
                      {},
                      BusKind::SerialDriver,
                      {},
                      "FILE:2: 'nonsense' is neither ADDR=PATH nor a bus (demo, raw-io, bitbang)"},
        PortsFileCase{"3F8=/a\n\n3FC=/b\n",
                      {"--samples", "5"},
                      BusKind::SerialDriver,
                      {},
                      "FILE:3: bindings 3F8 and 3FC overlap: each port takes the 8 addresses "
                      "from its base on"},
        PortsFileCase{"3F8=/a\n3f8=/b\n",
                      {},
                      BusKind::SerialDriver,
                      {},
                      "FILE:2: address 3F8 is bound twice"},
        PortsFileCase{"FFF9=/a\n",
                      {},
                      BusKind::SerialDriver,
                      {},
                      "FILE:1: address FFF9 is too high: a port's 8 registers must end by FFFF"},
        PortsFileCase{"demo\n#\nraw-io\n",
                      {},
                      BusKind::SerialDriver,
                      {},
                      "FILE:3: a second bus; line 1 chose one"},
        PortsFileCase{"raw-io\n3F8=/a\n",
                      {},
                      BusKind::SerialDriver,
                      {},
                      "FILE:1: raw-io takes no ADDR=PATH lines"},
        PortsFileCase{"", {}, BusKind::SerialDriver, {}, "FILE: cannot be read as a file"}));

TEST(PortsFilePathTest, LiesInTheConfigurationHomeElseInTheHomesConfigFolder) {
    EXPECT_EQ(portsFilePath("/cfg", "/home/u"), "/cfg/kordel/ports");
    EXPECT_EQ(portsFilePath("cfg", "/home/u"), "/home/u/.config/kordel/ports");
    EXPECT_EQ(portsFilePath(nullptr, "/home/u"), "/home/u/.config/kordel/ports");
    EXPECT_EQ(portsFilePath("", ""), "");
}

} // namespace
} // namespace kordel
