#include "FtdiChips.h"

#include <cstdio>
#include <ftdi.h>

namespace kordel {

namespace {

class LibftdiChip final : public FtdiChip {
public:
    explicit LibftdiChip(ftdi_context* context) : context(context) {}
    // The chip leaves bit-bang mode first, so that the serial driver finds it as it expects.
    ~LibftdiChip() override {
        ftdi_disable_bitbang(context);
        ftdi_usb_close(context);
        ftdi_free(context);
    }
    LibftdiChip(const LibftdiChip&) = delete;
    LibftdiChip& operator=(const LibftdiChip&) = delete;

    // The bit mode first: libftdi scales a bit-bang rate only once the mode is on.
    int enterBitBang(const BitBangSettings& settings) override {
        const auto latency = static_cast<unsigned char>(settings.latencyMilliseconds);
        if (const int failed = ftdi_set_latency_timer(context, latency); failed < 0) {
            return failed;
        }
        if (const int failed = ftdi_set_bitmode(context, settings.outputs, BITMODE_SYNCBB);
            failed < 0) {
            return failed;
        }
        return ftdi_set_baudrate(context, settings.pinRate);
    }
    int write(std::span<const std::uint8_t> states) override {
        return ftdi_write_data(context, states.data(), static_cast<int>(states.size()));
    }
    int read(std::span<std::uint8_t> samples) override {
        return ftdi_read_data(context, samples.data(), static_cast<int>(samples.size()));
    }
    std::string errorText() const override { return ftdi_get_error_string(context); }

private:
    ftdi_context* context;
};

class Libftdi final : public FtdiChips {
public:
    // Opened by bus and address, with the interface chosen before: a second adapter of the same
    // kind is never taken for this one. The serial driver is detached only while it is open.
    std::unique_ptr<FtdiChip> open(const UsbSerialDevice& device, std::chrono::milliseconds timeout,
                                   std::string& error) override {
        ftdi_context* context = ftdi_new();
        if (context == nullptr) {
            error = "Out of memory";
            return nullptr;
        }
        context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        ftdi_set_interface(context,
                           static_cast<ftdi_interface>(INTERFACE_A + device.interfaceNumber));
        char where[32];
        std::snprintf(where, sizeof where, "d:%03d/%03d", device.busNumber, device.deviceAddress);
        if (ftdi_usb_open_string(context, where) < 0) {
            error = ftdi_get_error_string(context);
            ftdi_free(context);
            return nullptr;
        }
        context->usb_read_timeout = static_cast<int>(timeout.count());
        context->usb_write_timeout = static_cast<int>(timeout.count());
        return std::make_unique<LibftdiChip>(context);
    }
};

} // namespace

FtdiChips& systemFtdiChips() {
    static Libftdi chips;
    return chips;
}

} // namespace kordel
