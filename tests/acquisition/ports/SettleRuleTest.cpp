#include "acquisition/ports/SettleRule.h"

#include "acquisition/ports/SysfsTree.h"

#include <functional>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::SysfsTree;

struct Detection {
    const char* shown; // what the tree shows
    std::function<void(SysfsTree&)> build;
    std::string device; // under the tree's /dev
    std::string driver;
    int settle; // ms
    std::string reason;
};

class SettleRuleTest : public testing::TestWithParam<Detection> {};

TEST_P(SettleRuleTest, ChoosesFromTheDriverAndItsStatusInterval) {
    SCOPED_TRACE(GetParam().shown);
    SysfsTree tree;
    GetParam().build(tree);
    const PortDescription chosen = SettleRule({}, tree.paths()).choose(tree.dev(GetParam().device));
    EXPECT_EQ(chosen.device, tree.dev(GetParam().device));
    EXPECT_EQ(chosen.driver, GetParam().driver);
    EXPECT_EQ(chosen.settleMilliseconds, GetParam().settle);
    EXPECT_EQ(chosen.settleReason, GetParam().reason);
    EXPECT_EQ(chosen.note.empty(), GetParam().driver != "cdc_acm");
}

const std::string Cache = " answers status from a cache the adapter refreshes every ";
const std::string Twice = ": twice that, at least 2 ms";
const std::string Asks = " asks the adapter at every status read";

INSTANTIATE_TEST_SUITE_P(
    Drivers, SettleRuleTest,
    testing::Values(
        Detection{"legacy port on the platform bus",
                  [](SysfsTree& tree) {
                      tree.tty("ttyS0", "devices/platform/serial8250", "platform", "serial8250");
                  },
                  "ttyS0", "serial8250", 0,
                  "serial8250 (8250) reads the UART's modem status register at every status read"},
        Detection{"legacy port behind the serial core's port and controller",
                  [](SysfsTree& tree) { tree.uartBehindSerialCore("ttyS1"); }, "ttyS1", "serial", 0,
                  "serial (8250) reads the UART's modem status register at every status read"},
        Detection{"ftdi_sio, which has no interrupt endpoint",
                  [](SysfsTree& tree) { tree.usbSerial("ttyUSB0", "ftdi_sio", ""); }, "ttyUSB0",
                  "ftdi_sio", 0, "ftdi_sio" + Asks},
        Detection{"cp210x", [](SysfsTree& tree) { tree.usbSerial("ttyUSB0", "cp210x", "1ms"); },
                  "ttyUSB0", "cp210x", 0, "cp210x" + Asks},
        Detection{"ch341 at 1 ms",
                  [](SysfsTree& tree) { tree.usbSerial("ttyUSB0", "ch341-uart", "1ms"); },
                  "ttyUSB0", "ch341-uart", 2, "ch341-uart" + Cache + "1 ms" + Twice},
        Detection{"pl2303 at 1 ms",
                  [](SysfsTree& tree) { tree.usbSerial("ttyUSB1", "pl2303", "1ms"); }, "ttyUSB1",
                  "pl2303", 2, "pl2303" + Cache + "1 ms" + Twice},
        Detection{"ch341 polled every 8 ms",
                  [](SysfsTree& tree) { tree.usbSerial("ttyUSB0", "ch341-uart", "8ms"); },
                  "ttyUSB0", "ch341-uart", 16, "ch341-uart" + Cache + "8 ms" + Twice},
        Detection{"cdc_acm at 16 ms", [](SysfsTree& tree) { tree.acm("ttyACM0", "16ms"); },
                  "ttyACM0", "cdc_acm", 32, "cdc_acm" + Cache + "16 ms" + Twice},
        Detection{"cdc_acm at high speed, 125 us",
                  [](SysfsTree& tree) { tree.acm("ttyACM0", "125us"); }, "ttyACM0", "cdc_acm", 2,
                  "cdc_acm" + Cache + "0.125 ms" + Twice},
        Detection{"ch341 whose interval cannot be read",
                  [](SysfsTree& tree) { tree.usbSerial("ttyUSB0", "ch341-uart", ""); }, "ttyUSB0",
                  "ch341-uart", 20,
                  "ch341-uart answers status from a cache whose refresh interval the system does "
                  "not show: 20 ms"},
        Detection{"a driver Kordel does not know",
                  [](SysfsTree& tree) { tree.usbSerial("ttyUSB0", "xr_serial", "1ms"); }, "ttyUSB0",
                  "xr_serial", 20, "driver xr_serial is not known to Kordel: 20 ms, to be safe"},
        Detection{"no tty in sysfs, as for a pseudo-terminal",
                  [](SysfsTree& tree) { tree.folder.write("dev/pts/3", ""); }, "pts/3", "unknown",
                  20, "the system shows no driver for this device: 20 ms, to be safe"},
        Detection{"a link in /dev/serial/by-id",
                  [](SysfsTree& tree) {
                      tree.usbSerial("ttyUSB0", "ch341-uart", "1ms");
                      std::filesystem::create_directories(tree.folder.path / "dev/serial/by-id");
                      std::filesystem::create_symlink("../../ttyUSB0",
                                                      tree.folder.path /
                                                          "dev/serial/by-id/usb-1a86_7523-port0");
                  },
                  "serial/by-id/usb-1a86_7523-port0", "ch341-uart", 2,
                  "ch341-uart" + Cache + "1 ms" + Twice}),
    [](const testing::TestParamInfo<Detection>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(SettleRuleFixedTest, SettleSetByHandWinsButTheDriverIsStillShown) {
    SysfsTree tree;
    tree.usbSerial("ttyUSB0", "ch341-uart", "1ms");
    tree.tty("ttyS0", "devices/platform/serial8250", "platform", "serial8250");
    for (const int settle : {0, 7}) {
        for (const char* device : {"ttyUSB0", "ttyS0"}) {
            const PortDescription chosen =
                SettleRule(settle, tree.paths()).choose(tree.dev(device));
            EXPECT_EQ(chosen.settleMilliseconds, settle);
            EXPECT_EQ(chosen.settleReason, "set with --settle");
            EXPECT_NE(chosen.driver, "unknown");
        }
    }
}

} // namespace
} // namespace kordel
