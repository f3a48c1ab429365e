#include "NoSerialPort.h"

#include "common/NumberText.h"

namespace kordel {

Error noSerialPort(std::uint16_t address) {
    return Error("No serial port at address " + hexText(address));
}

} // namespace kordel
