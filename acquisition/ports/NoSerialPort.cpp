#include "acquisition/ports/NoSerialPort.h"

#include "common/NumberText.h"

namespace kordel {

namespace {

std::string deviceText(const SerialDevice& device) {
    return device.path + " (driver " + device.driver +
           (device.base ? ", port " + hexText(*device.base) : "") + ")";
}

} // namespace

Error noSerialPort(std::uint16_t address) {
    return Error("No serial port at address " + hexText(address));
}

Error noSerialPort(std::uint16_t address, const std::vector<SerialDevice>& devices,
                   const std::filesystem::path& portsFile) {
    std::string text = noSerialPort(address).message() + ".\n";
    if (devices.empty()) {
        return Error(text + "The system shows no serial device");
    }
    text += "Serial devices on this computer: ";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        text += (i == 0 ? "" : ", ") + deviceText(devices[i]);
    }
    const std::string binding = hexText(address) + "=" + devices.front().path;
    text += ".\nBind one with --device " + binding;
    if (!portsFile.empty()) {
        text += ", or with the line " + binding + " in " + portsFile.string();
    }
    return Error(text);
}

} // namespace kordel
