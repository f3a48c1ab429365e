#pragma once

#include "acquisition/ports/BitBangPins.h"
#include "acquisition/ports/FtdiChips.h"
#include "acquisition/ports/PortBus.h"
#include "acquisition/ports/SerialPortLocator.h"
#include "acquisition/ports/UsbSerialDevice.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kordel {

// Reaches the converters through FTDI adapters in synchronous bit-bang mode: the register
// accesses of a sequence become one string of pin states, written in one piece, and the chip's
// samples taken between them answer the status reads. Only the ports bound with --device are
// served. The kernel's serial driver is detached while a device is open and bound again when
// it closes: when the bus ends, after a failure, and on giveBack().
class BitBangBus final : public PortBus {
public:
    // Pin states a second, as asked of libftdi: even a chip that runs 32 times faster than that
    // holds each state for 1 µs, about as long as an access to a legacy port.
    static constexpr int PinRate = 31250;

    explicit BitBangBus(DeviceBindings devices, FtdiChips& chips = systemFtdiChips(),
                        SystemPaths paths = {},
                        std::chrono::milliseconds timeout = std::chrono::seconds(1));
    ~BitBangBus() override;
    BitBangBus(const BitBangBus&) = delete;
    BitBangBus& operator=(const BitBangBus&) = delete;

    void attach(std::uint16_t base) override;
    std::uint8_t in(std::uint16_t address) override;
    void out(std::uint16_t address, std::uint8_t value) override;
    void transfer(std::span<RegisterAccess> accesses) override;
    PortDescription describe(std::uint16_t base) const override;

    // Closes every device, so that its tty is the serial driver's again; the next attach opens
    // it afresh.
    void giveBack();

private:
    struct Device {
        UsbSerialDevice usb;
        std::string chipName;
        std::unique_ptr<FtdiChip> chip; // null while closed
        std::uint8_t pins = IdlePins;
    };

    Device& device(const std::string& path);
    void open(Device& device);
    [[noreturn]] void fail(Device& device, const std::string& what);
    void play(Device& device, std::uint16_t base, std::span<RegisterAccess> accesses);
    std::vector<std::uint8_t> exchange(Device& device, std::span<const std::uint8_t> states);
    void readBack(Device& device, std::span<std::uint8_t> samples);
    std::pair<Device*, std::uint16_t> blockAt(std::uint16_t address);

    DeviceBindings bindings_;
    FtdiChips& chips_;
    SystemPaths paths_;
    std::chrono::milliseconds timeout_;
    std::map<std::string, std::unique_ptr<Device>> devices_; // by real path, shared by bases
    std::map<std::uint16_t, Device*> attached_;              // base -> its device
};

} // namespace kordel
