#pragma once

#include "acquisition/ports/UsbSerialDevice.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kordel {

// How a chip is to be driven in synchronous bit-bang mode.
struct BitBangSettings {
    std::uint8_t outputs = 0;    // pins driven by the host; the others are read only
    int pinRate = 0;             // pin states a second, as asked of the chip
    int latencyMilliseconds = 1; // the longest the chip holds back a short packet
};

// An FTDI chip opened in synchronous bit-bang mode; closing it hands the interface back to the
// kernel's serial driver.
class FtdiChip {
public:
    virtual ~FtdiChip() = default;
    // Negative on failure.
    virtual int enterBitBang(const BitBangSettings& settings) = 0;
    // Each returns the count of bytes moved, or a negative value with errorText() telling why.
    // A read may bring fewer bytes than asked, none at all while the chip has only its status.
    virtual int write(std::span<const std::uint8_t> states) = 0;
    virtual int read(std::span<std::uint8_t> samples) = 0;
    virtual std::string errorText() const = 0;
};

// Opens chips, through libftdi on a running system, through a model in tests and benchmarks.
class FtdiChips {
public:
    virtual ~FtdiChips() = default;
    // The chip of `device`'s USB device and interface, or null with `error` set. `timeout`
    // bounds each USB transfer.
    virtual std::unique_ptr<FtdiChip>
    open(const UsbSerialDevice& device, std::chrono::milliseconds timeout, std::string& error) = 0;
};

FtdiChips& systemFtdiChips();

} // namespace kordel
