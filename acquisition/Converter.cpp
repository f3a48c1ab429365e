#include "Converter.h"

#include "vv55rWin.h"

#include <cmath>

namespace kordel {

void InitConverter(const SharedState& state, Clock& clock) {
    const std::uint16_t base = state.CurrentBase;
    PortAttach(base);
    PortOut(base + ModemControl, DtrBit);
    clock.wait(100);
    PortOut(base + LineControl, BreakBit);
    clock.wait(500);
}

void SelectConverter(const SharedState& state) {
    PortOut(state.CurrentBase + ModemControl, 0);
}

double ReadConverter(const SharedState& state) {
    return codeToVolts(ReadConverterCode(state));
}

int ReadConverterCode(const SharedState& state) {
    const std::uint16_t base = state.CurrentBase;
    SelectConverter(state);
    int code = 0;
    for (int i = 0; i < 8; ++i) {
        PortOut(base + ModemControl, RtsBit);
        const std::uint8_t bit = PortIn(base + ModemStatus) & CtsBit;
        PortOut(base + ModemControl, 0);
        if (bit == CtsBit) {
            code += 1 << (7 - i);
        }
    }
    PortOut(base + ModemControl, DtrBit);
    return code;
}

double codeToVolts(int code) {
    const long double millivolts = std::trunc(1000.0L * 5 * code / 255);
    return static_cast<double>(millivolts / 1000);
}

} // namespace kordel
