#include "BitBangPins.h"

namespace kordel {

namespace {

std::uint8_t pinLow(std::uint8_t pins, std::uint8_t pin, bool low) {
    return low ? pins & ~pin : pins | pin;
}

std::uint8_t pinsAfterWrite(std::uint8_t pins, std::uint16_t offset, std::uint8_t value) {
    if (offset == ModemControl) {
        pins = pinLow(pins, DtrPin, (value & DtrBit) != 0);
        return pinLow(pins, RtsPin, (value & RtsBit) != 0);
    }
    if (offset == LineControl) {
        return pinLow(pins, TxdPin, (value & BreakBit) != 0);
    }
    return pins;
}

} // namespace

PinProgram pinProgram(std::span<const RegisterAccess> accesses, std::uint16_t base,
                      std::uint8_t pins) {
    PinProgram program;
    bool readsLastState = false;
    for (const RegisterAccess& access : accesses) {
        const std::uint16_t offset = access.address - base;
        std::size_t sample = PinProgram::NoSample;
        if (access.kind == RegisterAccess::Kind::Out) {
            if (offset == ModemControl || offset == LineControl) {
                pins = pinsAfterWrite(pins, offset, access.value);
                program.states.push_back(pins);
                readsLastState = false;
            }
        } else if (offset == ModemStatus) {
            sample = program.states.size();
            readsLastState = true;
        }
        program.samples.push_back(sample);
    }
    // A read after the last change is answered by one more state, the same as the last.
    if (readsLastState) {
        program.states.push_back(pins);
    }
    program.pinsAfter = pins;
    return program;
}

void readSamples(std::span<RegisterAccess> accesses, const PinProgram& program,
                 std::span<const std::uint8_t> samples) {
    for (std::size_t i = 0; i < accesses.size(); ++i) {
        if (accesses[i].kind != RegisterAccess::Kind::In) {
            continue;
        }
        const std::size_t sample = program.samples[i];
        const bool ctsSet = sample != PinProgram::NoSample && (samples[sample] & CtsPin) == 0;
        accesses[i].value = ctsSet ? CtsBit : 0;
    }
}

} // namespace kordel
