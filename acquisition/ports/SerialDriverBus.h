#pragma once

#include "acquisition/Clock.h"
#include "acquisition/ports/PortBus.h"
#include "acquisition/ports/SerialCalls.h"
#include "acquisition/ports/SerialPortLocator.h"
#include "acquisition/ports/SettleRule.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace kordel {

// Reaches the converters through the kernel's serial driver: register traffic becomes driver
// calls on the device serving each base address. A write to the modem control register changes
// DTR and RTS, one call per line that differs; a write to the line control register switches
// the break condition; a read of the modem status register reports CTS. Other registers are
// not touched. Where a driver answers status from a cache, a status read waits until the
// device's settle time has passed since its last line change.
class SerialDriverBus : public PortBus {
public:
    SerialDriverBus(SerialCalls& calls, SerialPortLocator locator, SettleRule settle = SettleRule(),
                    Clock& clock = monotonicClock());
    ~SerialDriverBus() override;
    SerialDriverBus(const SerialDriverBus&) = delete;
    SerialDriverBus& operator=(const SerialDriverBus&) = delete;

    void attach(std::uint16_t base) override;
    std::uint8_t in(std::uint16_t address) override;
    void out(std::uint16_t address, std::uint8_t value) override;
    PortDescription describe(std::uint16_t base) const override;

private:
    struct Device {
        std::string path;
        int fd = -1;
        std::optional<std::uint8_t> modemControl; // DTR and RTS as last set; unknown when opened
        PortDescription description;              // chosen when opened
        double settle = 0;                        // seconds
        double lastChange = 0;                    // on the bus's clock
    };

    std::vector<SerialDevice> presentDevices() const;
    Device& device(const std::string& path);
    void open(Device& device);
    void setModemControl(Device& device, std::uint8_t value);
    void setLine(Device& device, std::uint8_t bit, bool on);
    void setBreak(Device& device, bool on);
    void noteLineChange(Device& device);
    std::uint8_t modemStatus(Device& device);
    void check(Device& device, int error);
    std::pair<Device*, std::uint16_t> registerAt(std::uint16_t address);

    SerialCalls& calls_;
    SerialPortLocator locator_;
    SettleRule settleRule_;
    Clock& clock_;
    std::map<std::uint16_t, std::string> located_;           // base -> device path
    std::map<std::string, std::unique_ptr<Device>> devices_; // by real path, shared by bases
    std::map<std::uint16_t, Device*> attached_;              // base -> its device
};

} // namespace kordel
