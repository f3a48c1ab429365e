#pragma once

#include "acquisition/ports/SerialPortLocator.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <string>

namespace kordel::testing_support {

// A sysfs and a /dev in a temporary folder, shaped as the kernel shows its serial devices:
// /sys/class/tty/<name> links to the tty in /sys/devices, whose `device` link leads to the
// device that holds the `driver` link, and for a USB adapter, above it, the USB interface
// with its endpoints ep_XX (type, direction and polling interval as text).
class SysfsTree {
public:
    SystemPaths paths() const { return {folder.path / "sys/class/tty", folder.path / "dev"}; }
    std::string dev(const std::string& name) const { return (folder.path / "dev" / name).string(); }

    // A port of a USB serial driver (ch341-uart, pl2303, ftdi_sio, cp210x), bound through its
    // interface; an empty `interval` leaves the interrupt endpoint out.
    void usbSerial(const std::string& name, const std::string& driver,
                   const std::string& interval) {
        const std::string usbDevice =
            "devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(++usbDevices);
        const std::string interface =
            usbDevice + "/" + usbDevice.substr(usbDevice.rfind('/') + 1) + ":1.0";
        tty(name, interface + "/" + name, "usb-serial", driver);
        bind(interface, "usb", driver.substr(0, driver.find("-uart")));
        endpoint(usbDevice + "/ep_00", "Control", "both", "0ms");
        endpoint("devices/pci0000:00/0000:00:14.0/usb1/ep_81", "Interrupt", "in", "256ms");
        endpoint(interface + "/ep_82", "Bulk", "in", "0ms");
        if (!interval.empty()) {
            endpoint(interface + "/ep_81", "Interrupt", "in", interval);
        }
    }

    // A USB adapter with the attributes of its USB device (bus 1, `address`, `vendor`, release
    // number `release`, serial "S<address>"), its tty bound to `driver` through interface
    // number `interface`.
    void usbAdapter(const std::string& name, const std::string& driver, int address, int interface,
                    const std::string& vendor, const std::string& release) {
        const std::string number = std::to_string(address);
        const std::string usbDevice = "devices/pci0000:00/0000:00:14.0/usb1/1-" + number;
        const std::string port = usbDevice + "/1-" + number + ":1." + std::to_string(interface);
        tty(name, port + "/" + name, "usb-serial", driver);
        bind(port, "usb", driver);
        folder.write("sys/" + port + "/bInterfaceNumber", "0" + std::to_string(interface) + "\n");
        folder.write("sys/" + usbDevice + "/busnum", "1\n");
        folder.write("sys/" + usbDevice + "/devnum", number + "\n");
        folder.write("sys/" + usbDevice + "/idVendor", vendor + "\n");
        folder.write("sys/" + usbDevice + "/bcdDevice", release + "\n");
        folder.write("sys/" + usbDevice + "/serial", "S" + number + "\n");
    }

    // A CDC ACM device: the tty hangs directly below the interface with the status endpoint.
    void acm(const std::string& name, const std::string& interval) {
        const std::string interface = "devices/pci0000:00/0000:00:14.0/usb1/1-7/1-7:1.0";
        tty(name, interface, "usb", "cdc_acm");
        endpoint(interface + "/ep_83", "Interrupt", "in", interval);
        endpoint("devices/pci0000:00/0000:00:14.0/usb1/1-7/1-7:1.1/ep_84", "Bulk", "in", "0ms");
    }

    // A legacy UART as newer kernels show it: the serial core's port and controller devices
    // sit between the tty and the 8250 driver's device.
    void uartBehindSerialCore(const std::string& name) {
        const std::string pnp = "devices/pnp0/00:00";
        tty(name, pnp + "/00:00:0/00:00:0.0", "serial-base", "port");
        bind(pnp + "/00:00:0", "serial-base", "ctrl");
        bind(pnp, "pnp", "serial");
    }

    // Any tty device bound directly to `driver` on `bus`.
    void tty(const std::string& name, const std::string& device, const std::string& bus,
             const std::string& driver) {
        const std::filesystem::path ttyDir = "sys/" + device + "/tty/" + name;
        std::filesystem::create_directories(folder.path / ttyDir);
        std::filesystem::create_directories(folder.path / "sys/class/tty");
        std::filesystem::create_symlink("../../" + ttyDir.lexically_relative("sys").string(),
                                        folder.path / "sys/class/tty" / name);
        std::filesystem::create_symlink("../..", folder.path / ttyDir / "device");
        bind(device, bus, driver);
        folder.write("dev/" + name, "");
    }

    void bind(const std::string& device, const std::string& bus, const std::string& driver) {
        const std::filesystem::path drivers = folder.path / "sys/bus" / bus / "drivers" / driver;
        std::filesystem::create_directories(drivers);
        std::filesystem::create_directories(folder.path / "sys" / device);
        std::filesystem::create_symlink(drivers, folder.path / "sys" / device / "driver");
    }

    void endpoint(const std::string& path, const std::string& type, const std::string& direction,
                  const std::string& interval) {
        folder.write("sys/" + path + "/type", type + "\n");
        folder.write("sys/" + path + "/direction", direction + "\n");
        folder.write("sys/" + path + "/interval", interval + "\n");
    }

    TempFolder folder;

private:
    int usbDevices = 0;
};

} // namespace kordel::testing_support
