#include "acquisition/ports/RawIoBus.h"

#include "acquisition/ports/FakeSerialCalls.h"
#include "common/Error.h"
#include "common/ErrorOf.h"
#include "support/TempFolder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace kordel {
namespace {

using testing_support::errorOf;

using testing_support::FakeSerialCalls;
using testing_support::TempFolder;

constexpr std::size_t IoSpaceSize = 0x1000;

// A temporary file stands in for the I/O space; a 16550A at 3F8 is all the system knows.
class RawIoBusTest : public testing::Test {
protected:
    RawIoBusTest() {
        folder.write("port", std::string(IoSpaceSize, '\0'));
        folder.write("sys/ttyS0/port", "0x3F8\n");
        folder.write("sys/ttyS0/type", "4\n");
        folder.write("dev/ttyS0", "");
    }

    RawIoBus makeBus(const std::string& portFile) {
        return RawIoBus(SerialPortLocator(calls, {}, {folder.path / "sys", folder.path / "dev"}),
                        portFile);
    }

    std::string ioSpace() const {
        std::ifstream in(folder.path / "port", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempFolder folder;
    FakeSerialCalls calls;
    RawIoBus bus = makeBus((folder.path / "port").string());
};

TEST_F(RawIoBusTest, BytesGoToAndComeFromTheirAddresses) {
    std::string expected(IoSpaceSize, '\0');
    expected[0x3FE] = 0x30;
    folder.write("port", expected);
    bus.attach(0x3F8);
    bus.out(0x3FC, 0x01);
    bus.out(0x3FB, 0x40);

    EXPECT_EQ(bus.in(0x3FE), 0x30);
    expected[0x3FC] = 0x01;
    expected[0x3FB] = 0x40;
    EXPECT_EQ(ioSpace(), expected);
}

TEST_F(RawIoBusTest, AddressOfNoKnownSerialPortIsRefusedBeforeAnyByteIsWritten) {
    EXPECT_EQ(errorOf([&] { bus.attach(0x2F8); }), "No serial port at address 2F8");
    EXPECT_EQ(errorOf([&] { bus.out(0x2FC, 1); }), "No serial port at address 2FC");
    bus.attach(0x3F8);
    EXPECT_EQ(errorOf([&] { bus.out(0x400, 1); }), "No serial port at address 400");
    EXPECT_EQ(errorOf([&] { bus.out(0x3F7, 1); }), "No serial port at address 3F7");
    EXPECT_EQ(ioSpace(), std::string(IoSpaceSize, '\0'));
}

TEST_F(RawIoBusTest, PortFileThatCannotBeOpenedIsNamed) {
    const std::string missing = (folder.path / "missing").string();
    RawIoBus denied = makeBus(missing);
    EXPECT_EQ(errorOf([&] { denied.attach(0x3F8); }),
              "Cannot open " + missing + ": No such file or directory");
}

TEST_F(RawIoBusTest, FailedAccessIsNamedAndThePortFileReopenedAtTheNextSetUp) {
    folder.write("port", "");
    bus.attach(0x3F8);
    EXPECT_EQ(errorOf([&] { bus.in(0x3FE); }), "I/O port access through " +
                                                   (folder.path / "port").string() +
                                                   " failed: Input/output error");
    folder.write("port", std::string(IoSpaceSize, '\0'));
    bus.attach(0x3F8);
    EXPECT_EQ(bus.in(0x3FE), 0);
}

} // namespace
} // namespace kordel
