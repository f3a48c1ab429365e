#include "BitBangBus.h"

#include "acquisition/ports/NoSerialPort.h"
#include "common/Error.h"
#include "common/NumberText.h"

#include <algorithm>
#include <filesystem>

namespace kordel {

namespace {

constexpr int LatencyMilliseconds = 1;
// The chip's 128-byte receive buffer must hold the samples of every state in flight; a write
// of one full-speed packet at a time keeps well within it.
constexpr std::size_t StatesPerWrite = 64;

std::string realPath(const std::string& path) {
    const std::filesystem::path real = followLinks(path);
    return real.empty() ? path : real.string();
}

std::string usbText(const UsbSerialDevice& usb) {
    return "USB device " + usb.node().substr(std::string("/dev/bus/usb/").size());
}

char interfaceLetter(int number) {
    return static_cast<char>('A' + number);
}

} // namespace

BitBangBus::BitBangBus(DeviceBindings devices, FtdiChips& chips, SystemPaths paths,
                       std::chrono::milliseconds timeout)
    : bindings_(std::move(devices)), chips_(chips), paths_(std::move(paths)), timeout_(timeout) {}

BitBangBus::~BitBangBus() {
    giveBack();
}

void BitBangBus::giveBack() {
    for (auto& [path, device] : devices_) {
        device->chip.reset();
    }
}

// Only a bound port is served: the bus reaches nothing by its address alone.
void BitBangBus::attach(std::uint16_t base) {
    const auto bound = bindings_.find(base);
    if (bound == bindings_.end()) {
        throw Error(noSerialPort(base).message() +
                    ": with --bitbang, bind it to an FTDI adapter "
                    "with --device " +
                    hexText(base) + "=/dev/ttyUSBn");
    }
    Device& serving = device(bound->second);
    if (!serving.chip) {
        open(serving);
    }
    attached_[base] = &serving;
}

std::uint8_t BitBangBus::in(std::uint16_t address) {
    RegisterAccess access{RegisterAccess::Kind::In, address};
    transfer({&access, 1});
    return access.value;
}

void BitBangBus::out(std::uint16_t address, std::uint8_t value) {
    RegisterAccess access{RegisterAccess::Kind::Out, address, value};
    transfer({&access, 1});
}

// Each stretch of accesses to one port goes out as one piece.
void BitBangBus::transfer(std::span<RegisterAccess> accesses) {
    while (!accesses.empty()) {
        const auto [device, base] = blockAt(accesses.front().address);
        const auto outside =
            std::find_if(accesses.begin(), accesses.end(), [base = base](auto& access) {
                return static_cast<std::uint16_t>(access.address - base) >= RegisterBlock;
            });
        const auto length = static_cast<std::size_t>(outside - accesses.begin());
        play(*device, base, accesses.first(length));
        accesses = accesses.subspan(length);
    }
}

PortDescription BitBangBus::describe(std::uint16_t base) const {
    const auto found = attached_.find(base);
    if (found == attached_.end()) {
        throw noSerialPort(base);
    }
    const Device& device = *found->second;
    PortDescription description;
    description.device = device.usb.tty + " (" + usbText(device.usb) + ", serial " +
                         (device.usb.serial.empty() ? "none" : device.usb.serial) + ", " +
                         device.chipName + ", interface " +
                         interfaceLetter(device.usb.interfaceNumber) + ")";
    description.driver = device.usb.driver + " detached: synchronous bit-bang through libftdi";
    description.settleReason = "the chip samples CTS between two pin states";
    description.pacing = std::to_string(PinRate) +
                         " pin states a second asked of the chip; a chip that runs up to 32 "
                         "times faster still holds each state for 1 us or more";
    return description;
}

BitBangBus::Device& BitBangBus::device(const std::string& path) {
    auto& slot = devices_[realPath(path)];
    if (!slot) {
        slot = std::make_unique<Device>();
        slot->usb.tty = path;
    }
    return *slot;
}

// Nothing reaches the pins before the device is known to be an FTDI chip with synchronous
// bit-bang, bound to its serial driver.
void BitBangBus::open(Device& device) {
    device.usb = usbSerialDevice(device.usb.tty, paths_);
    device.chipName = device.usb.bitBangChip();
    if (device.chipName.empty() || device.usb.driver != "ftdi_sio") {
        throw Error(device.usb.tty + " is not an FTDI adapter with synchronous bit-bang (driver " +
                    (device.usb.driver.empty() ? "none" : device.usb.driver) +
                    "): --bitbang cannot drive it");
    }
    std::string error;
    device.chip = chips_.open(device.usb, timeout_, error);
    if (!device.chip) {
        throw Error("Cannot open " + device.usb.node() + " behind " + device.usb.tty + ": " +
                    error +
                    ". Install Kordel's udev rule (60-kordel-ftdi.rules) and join the "
                    "dialout group, then plug the adapter in again");
    }
    device.pins = IdlePins;
    if (device.chip->enterBitBang({OutputPins, PinRate, LatencyMilliseconds}) < 0) {
        fail(device, device.chip->errorText());
    }
}

// Closing the chip hands the tty back; the next line set-up opens it afresh.
void BitBangBus::fail(Device& device, const std::string& what) {
    device.chip.reset();
    throw Error("USB adapter " + device.usb.tty + " (" + usbText(device.usb) + ") failed: " + what);
}

void BitBangBus::play(Device& device, std::uint16_t base, std::span<RegisterAccess> accesses) {
    const PinProgram program = pinProgram(accesses, base, device.pins);
    const std::vector<std::uint8_t> samples = exchange(device, program.states);
    device.pins = program.pinsAfter;
    readSamples(accesses, program, samples);
}

// Every state written comes back as one sample, which is read before the next write, so that
// the samples of one sequence never mix with the next.
std::vector<std::uint8_t> BitBangBus::exchange(Device& device,
                                               std::span<const std::uint8_t> states) {
    std::vector<std::uint8_t> samples(states.size());
    for (std::size_t done = 0; done < states.size(); done += StatesPerWrite) {
        const std::size_t length = std::min(StatesPerWrite, states.size() - done);
        const int written = device.chip->write(states.subspan(done, length));
        if (written != static_cast<int>(length)) {
            fail(device, written < 0 ? device.chip->errorText() : "short write");
        }
        readBack(device, std::span(samples).subspan(done, length));
    }
    return samples;
}

// A read may bring fewer samples than asked, or none while the chip's packets hold only its
// status: it is repeated until all have come or the time-out has passed.
void BitBangBus::readBack(Device& device, std::span<std::uint8_t> samples) {
    const auto deadline = std::chrono::steady_clock::now() + timeout_;
    std::size_t have = 0;
    while (have < samples.size()) {
        const int got = device.chip->read(samples.subspan(have));
        if (got < 0) {
            fail(device, device.chip->errorText());
        }
        have += static_cast<std::size_t>(got);
        if (have < samples.size() && std::chrono::steady_clock::now() >= deadline) {
            fail(device, "no answer within " + std::to_string(timeout_.count()) + " ms");
        }
    }
}

// The open device whose register block holds `address`, and the block's base.
std::pair<BitBangBus::Device*, std::uint16_t> BitBangBus::blockAt(std::uint16_t address) {
    auto block = attached_.upper_bound(address);
    if (block != attached_.begin()) {
        --block;
        const std::uint16_t offset = address - block->first;
        if (offset < RegisterBlock && block->second->chip) {
            return {block->second, block->first};
        }
    }
    throw noSerialPort(address);
}

} // namespace kordel
