#include "acquisition/ports/SerialPortLocator.h"

#include "acquisition/ports/FakeSerialCalls.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing::ElementsAreArray;
using testing_support::FakeSerialCalls;
using testing_support::TempFolder;

constexpr int Uart16550A = 4;

class SerialPortLocatorTest : public testing::Test {
protected:
    SerialPortLocatorTest() {
        for (const char* name :
             {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "ttyS10", "ttyUSB0", "tty1"}) {
            folder.write(std::string("dev/") + name, "");
        }
    }

    std::string dev(const std::string& name) const { return (folder.path / "dev" / name).string(); }

    void sysfs(const std::string& name, const std::string& port, const std::string& type) {
        folder.write("sys/" + name + "/port", port + "\n");
        folder.write("sys/" + name + "/type", type + "\n");
    }

    std::optional<std::string> deviceAt(std::uint16_t base, DeviceBindings bindings = {}) {
        SerialPortLocator locator(calls, std::move(bindings),
                                  {folder.path / "sys", folder.path / "dev"});
        return locator.deviceAt(base);
    }

    // The devices opened for probing, in order.
    std::vector<std::string> probed() const {
        std::vector<std::string> opened;
        for (const std::string& entry : calls.log) {
            if (entry.ends_with(" open")) {
                opened.push_back(
                    entry.substr(entry.rfind('/') + 1, entry.find(' ') - entry.rfind('/') - 1));
            }
        }
        return opened;
    }

    TempFolder folder;
    FakeSerialCalls calls;
};

TEST_F(SerialPortLocatorTest, BindingWinsWithoutLookingFurther) {
    sysfs("ttyS0", "0x3F8", "4");
    EXPECT_EQ(deviceAt(0x3F8, {{0x3F8, "/dev/ttyUSB0"}}), "/dev/ttyUSB0");
    EXPECT_TRUE(calls.log.empty());
}

TEST_F(SerialPortLocatorTest, ReadableSysfsAnswersWithoutOpeningAnyDevice) {
    for (int n = 0; n <= 4; ++n) {
        sysfs("ttyS" + std::to_string(n), "0x0", "0");
    }
    sysfs("ttyS10", "0x0", "0");
    sysfs("ttyS3", "0x0000D010", "4");
    EXPECT_EQ(deviceAt(0xD010), dev("ttyS3"));
    EXPECT_EQ(deviceAt(0x3F8), std::nullopt);
    EXPECT_TRUE(calls.log.empty());
}

TEST_F(SerialPortLocatorTest, UartOfUnknownTypeIsNoPort) {
    sysfs("ttyS0", "0x3F8", "0");
    calls.ports[dev("ttyS1")] = {0x3F8, 0};
    EXPECT_EQ(deviceAt(0x3F8), std::nullopt);
}

TEST_F(SerialPortLocatorTest, UnreadableSysfsFallsBackToAskingTheDriver) {
    sysfs("ttyS1", "0x2F8", "4");
    calls.ports[dev("ttyS2")] = {0x3F8, Uart16550A};
    EXPECT_EQ(deviceAt(0x3F8), dev("ttyS2"));
    EXPECT_EQ(deviceAt(0x2F8), dev("ttyS1"));
}

struct ProbeOrder {
    std::uint16_t base;
    std::vector<std::string> devices;
};

class ProbeOrderTest : public SerialPortLocatorTest,
                       public testing::WithParamInterface<ProbeOrder> {};

TEST_P(ProbeOrderTest, LikeliestDeviceFirstThenTheRestInNumberOrder) {
    EXPECT_EQ(deviceAt(GetParam().base), std::nullopt);
    EXPECT_THAT(probed(), ElementsAreArray(GetParam().devices));
}

INSTANTIATE_TEST_SUITE_P(
    Bases, ProbeOrderTest,
    testing::Values(ProbeOrder{0x3F8, {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "ttyS10"}},
                    ProbeOrder{0x2F8, {"ttyS1", "ttyS0", "ttyS2", "ttyS3", "ttyS4", "ttyS10"}},
                    ProbeOrder{0x3E8, {"ttyS2", "ttyS0", "ttyS1", "ttyS3", "ttyS4", "ttyS10"}},
                    ProbeOrder{0x2E8, {"ttyS3", "ttyS0", "ttyS1", "ttyS2", "ttyS4", "ttyS10"}},
                    ProbeOrder{0xD000, {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "ttyS10"}}));

TEST_F(SerialPortLocatorTest, ProbingStopsAtTheFirstMatchAndClosesWhatItOpened) {
    calls.ports[dev("ttyS0")] = {0x2F8, Uart16550A};
    calls.ports[dev("ttyS3")] = {0x2F8, Uart16550A};
    EXPECT_EQ(deviceAt(0x2F8), dev("ttyS0"));
    EXPECT_THAT(probed(), ElementsAreArray({"ttyS1", "ttyS0"}));
    EXPECT_TRUE(calls.openPaths.empty());
}

TEST_F(SerialPortLocatorTest, DevicesTheUserMayNotOpenArePassedOver) {
    calls.openErrors[dev("ttyS0")] = EACCES;
    calls.ports[dev("ttyS4")] = {0x3F8, Uart16550A};
    EXPECT_EQ(deviceAt(0x3F8), dev("ttyS4"));
}

} // namespace
} // namespace kordel
