#pragma once

#include "acquisition/ports/PortBus.h"

#include <array>
#include <cstdint>

namespace kordel {

// Simulated UARTs at 3F8, 2F8, 3E8 and 2E8, with a simulated converter on the first two; like
// the other buses it serves a port's registers only once the port has been attached.
// A converter is powered while its UART holds the break condition; clearing DTR latches the
// next code, CTS shows the current bit while RTS is set, each fall of RTS moves to the next bit.
class DemoBus final : public PortBus {
public:
    DemoBus();

    void attach(std::uint16_t base) override;
    std::uint8_t in(std::uint16_t address) override;
    void out(std::uint16_t address, std::uint8_t value) override;
    void transfer(std::span<RegisterAccess> accesses) override;
    PortDescription describe(std::uint16_t base) const override;

    // The k-th code of the converter with the given sine period (in conversions).
    static int demoCode(int period, std::int64_t k);

private:
    struct Uart {
        std::uint16_t base = 0;
        int period = 0;        // 0: no converter attached
        bool attached = false; // its registers answer only once a line set-up has asked for it
        std::uint8_t lineControl = 0;
        std::uint8_t modemControl = 0;
        std::int64_t conversions = 0;
        int code = 0;
        int bit = 8;

        bool powered() const { return period != 0 && (lineControl & BreakBit) != 0; }
    };

    Uart& uartAt(std::uint16_t address);
    static void writeLineControl(Uart& uart, std::uint8_t value);
    static void writeModemControl(Uart& uart, std::uint8_t value);
    static std::uint8_t modemStatus(const Uart& uart);

    std::array<Uart, 4> uarts_;
};

} // namespace kordel
