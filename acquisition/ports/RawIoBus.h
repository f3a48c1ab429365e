#pragma once

#include "acquisition/ports/PortBus.h"
#include "acquisition/ports/SerialPortLocator.h"

#include <cstdint>
#include <set>
#include <string>

namespace kordel {

// Byte access to the I/O space through the system's port file, for legacy UARTs. It serves
// only the register blocks of serial ports the system knows, so nothing is ever written to
// whatever else sits in the I/O space.
class RawIoBus : public PortBus {
public:
    explicit RawIoBus(SerialPortLocator locator, std::string portFile = "/dev/port");
    ~RawIoBus() override;
    RawIoBus(const RawIoBus&) = delete;
    RawIoBus& operator=(const RawIoBus&) = delete;

    void attach(std::uint16_t base) override;
    std::uint8_t in(std::uint16_t address) override;
    void out(std::uint16_t address, std::uint8_t value) override;
    PortDescription describe(std::uint16_t base) const override;

private:
    void checkServed(std::uint16_t address) const;
    [[noreturn]] void fail(int error);

    SerialPortLocator locator_;
    std::string portFile_;
    int fd_ = -1;
    std::set<std::uint16_t> bases_; // of serial ports found so far
};

} // namespace kordel
