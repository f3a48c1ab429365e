#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/ports/BitBangBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/usb/Ft232rModel.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::FakeClock;
using testing_support::Ft232rFault;
using testing_support::Ft232rModel;
using testing_support::UsbTestbed;

class BitBangRunTest : public testing::Test {
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

    static std::vector<double> demoVolts(int period, int pairs) {
        std::vector<double> volts;
        for (int k = 0; k < pairs; ++k) {
            volts.push_back(codeToVolts(DemoBus::demoCode(period, k)));
        }
        return volts;
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

TEST_F(BitBangRunTest, EveryCodeOfTwoAdaptersIsExactAndTheTtysComeBack) {
    {
        BitBangBus bus(bindings);
        EXPECT_EQ(run(bus, 1000), "no error");
        EXPECT_FALSE(adapter1.driverBound());
        EXPECT_TRUE(adapter1.inSyncBitBang());
        EXPECT_EQ(adapter1.latencyMilliseconds(), 1);
    }
    EXPECT_EQ(state.Samples1, demoVolts(75, 1000));
    EXPECT_EQ(state.Samples2, demoVolts(50, 1000));
    EXPECT_TRUE(adapter1.driverBound());
    EXPECT_TRUE(adapter2.driverBound());
    EXPECT_TRUE(adapter1.ttyPresent());
    EXPECT_TRUE(adapter2.ttyPresent());
}

} // namespace
} // namespace kordel
