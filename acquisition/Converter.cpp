#include "acquisition/Converter.h"

#include "acquisition/vv55rWin.h"

#include <array>
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

namespace {

using Access = RegisterAccess;
using Kind = RegisterAccess::Kind;

constexpr int Bits = 8;
constexpr std::size_t AccessesPerBit = 3;
constexpr std::size_t ReadingLength = 2 + Bits * AccessesPerBit;

// Select, then for each bit: RTS raised, CTS read, RTS lowered; DTR back on at the end.
std::array<Access, ReadingLength> readingAccesses(std::uint16_t base) {
    const auto control = static_cast<std::uint16_t>(base + ModemControl);
    const auto status = static_cast<std::uint16_t>(base + ModemStatus);
    std::array<Access, ReadingLength> accesses{};
    accesses.front() = {Kind::Out, control, 0};
    for (std::size_t i = 0; i < Bits; ++i) {
        accesses[1 + AccessesPerBit * i] = {Kind::Out, control, RtsBit};
        accesses[2 + AccessesPerBit * i] = {Kind::In, status};
        accesses[3 + AccessesPerBit * i] = {Kind::Out, control, 0};
    }
    accesses.back() = {Kind::Out, control, DtrBit};
    return accesses;
}

} // namespace

int ReadConverterCode(const SharedState& state) {
    std::array<Access, ReadingLength> accesses = readingAccesses(state.CurrentBase);
    PortTransfer(accesses);
    int code = 0;
    for (std::size_t i = 0; i < Bits; ++i) {
        if ((accesses[2 + AccessesPerBit * i].value & CtsBit) == CtsBit) {
            code += 1 << (Bits - 1 - i);
        }
    }
    return code;
}

double codeToVolts(int code) {
    const long double millivolts = std::trunc(1000.0L * 5 * code / 255);
    return static_cast<double>(millivolts / 1000);
}

} // namespace kordel
