#include "acquisition/ports/RawIoBus.h"

#include "acquisition/ports/NoSerialPort.h"
#include "common/Error.h"

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace kordel {

RawIoBus::RawIoBus(SerialPortLocator locator, std::string portFile)
    : locator_(std::move(locator)), portFile_(std::move(portFile)) {}

RawIoBus::~RawIoBus() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

// The port file stays open from one run to the next; after a failure it is opened afresh here.
void RawIoBus::attach(std::uint16_t base) {
    if (!bases_.contains(base)) {
        if (!locator_.deviceAt(base)) {
            throw noSerialPort(base);
        }
        bases_.insert(base);
    }
    if (fd_ < 0) {
        fd_ = ::open(portFile_.c_str(), O_RDWR | O_CLOEXEC);
        if (fd_ < 0) {
            throw Error("Cannot open " + portFile_ + ": " + systemErrorText(errno));
        }
    }
}

std::uint8_t RawIoBus::in(std::uint16_t address) {
    checkServed(address);
    std::uint8_t value = 0;
    if (const ssize_t done = ::pread(fd_, &value, 1, address); done != 1) {
        fail(done < 0 ? errno : EIO);
    }
    return value;
}

void RawIoBus::out(std::uint16_t address, std::uint8_t value) {
    checkServed(address);
    if (const ssize_t done = ::pwrite(fd_, &value, 1, address); done != 1) {
        fail(done < 0 ? errno : EIO);
    }
}

PortDescription RawIoBus::describe(std::uint16_t) const {
    return {portFile_, "none, direct I/O port access",
            0,         "the modem status register is read directly",
            "",        ""};
}

void RawIoBus::checkServed(std::uint16_t address) const {
    auto block = bases_.upper_bound(address);
    if (fd_ < 0 || block == bases_.begin() || address - *std::prev(block) >= RegisterBlock) {
        throw noSerialPort(address);
    }
}

void RawIoBus::fail(int error) {
    ::close(fd_);
    fd_ = -1;
    throw Error("I/O port access through " + portFile_ + " failed: " + systemErrorText(error));
}

} // namespace kordel
