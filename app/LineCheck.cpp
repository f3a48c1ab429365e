#include "app/LineCheck.h"

#include "acquisition/Converter.h"
#include "acquisition/PortBases.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"
#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace kordel {

namespace {

constexpr int TimedCalls = 20;
constexpr int Readings = 16;
constexpr int ReadingsPerLine = 4;
constexpr int AllSet = 255;
constexpr int AgreeingCodes = 2;
constexpr int TtyReturnAttempts = 30;
constexpr std::int32_t TtyReturnWait = 100; // ms

std::string millisecondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1000);
    return text;
}

// The median of `TimedCalls` calls of `call` (the upper one of the middle two).
double medianTime(Clock& clock, const std::function<void(int)>& call) {
    std::vector<double> times;
    for (int i = 0; i < TimedCalls; ++i) {
        const double start = clock.now();
        call(i);
        times.push_back(clock.now() - start);
    }
    std::nth_element(times.begin(), times.begin() + TimedCalls / 2, times.end());
    return times[TimedCalls / 2];
}

void describePort(std::uint16_t base, const LineCheckContext& context) {
    const PortDescription port = context.bus.describe(base);
    context.out << "  device:   " << port.device << ", driver " << port.driver << '\n'
                << "  settle:   " << port.settleMilliseconds << " ms: " << port.settleReason
                << '\n';
    if (!port.pacing.empty()) {
        context.out << "  pacing:   " << port.pacing << '\n';
    }
    if (!port.note.empty()) {
        context.out << "  note:     " << port.note << '\n';
    }
}

// Before the line set-up, so that the converter is not yet powered by the break.
void timeCalls(std::uint16_t base, const LineCheckContext& context) {
    const double change = medianTime(
        context.clock, [base](int i) { PortOut(base + ModemControl, i % 2 == 0 ? DtrBit : 0); });
    const double read = medianTime(context.clock, [base](int) { PortIn(base + ModemStatus); });
    context.out << "  timing:   one line change " << millisecondsText(change)
                << ", one status read " << millisecondsText(read) << " (median of " << TimedCalls
                << ")\n";
}

void timeReadings(std::uint16_t base, const LineCheckContext& context) {
    SharedState state;
    state.CurrentBase = base;
    const double reading = medianTime(context.clock, [&state](int) { ReadConverterCode(state); });
    context.out << "  timing:   one reading " << millisecondsText(reading) << " (median of "
                << TimedCalls << ")\n";
}

std::vector<int> takeReadings(std::uint16_t base, const LineCheckContext& context) {
    SharedState state;
    state.CurrentBase = base;
    InitConverter(state, context.clock);
    std::vector<int> codes;
    for (int i = 0; i < Readings; ++i) {
        codes.push_back(ReadConverterCode(state));
    }
    return codes;
}

void printReadings(const std::vector<int>& codes, std::ostream& out) {
    for (std::size_t i = 0; i < codes.size(); ++i) {
        out << (i == 0                     ? "  readings: "
                : i % ReadingsPerLine == 0 ? ",\n            "
                                           : ", ")
            << codes[i] << " = " << fixedText(codeToVolts(codes[i]), 4, 3) << " V";
    }
    out << '\n';
}

std::string verdict(const std::vector<int>& codes) {
    const bool steady = std::all_of(codes.begin(), codes.end(),
                                    [&codes](int code) { return code == codes.front(); });
    if (!steady) {
        return "the readings vary: the converter answers";
    }
    if (const auto fault = steadyLineFault(codes.front())) {
        return *fault;
    }
    return "every reading gives code " + std::to_string(codes.front()) +
           ": the converter answers, its input is steady";
}

int median(std::vector<int> codes) {
    std::nth_element(codes.begin(), codes.begin() + Readings / 2, codes.end());
    return codes[Readings / 2];
}

std::string spread(const std::vector<int>& codes) {
    const auto [least, most] = std::minmax_element(codes.begin(), codes.end());
    return "median " + std::to_string(median(codes)) + " (" + std::to_string(*least) + " to " +
           std::to_string(*most) + ")";
}

// The serial driver may need a moment to show the tty again after the bus gave it back.
void attachWhenBack(std::uint16_t base, const LineCheckContext& context) {
    for (int attempt = 1;; ++attempt) {
        try {
            PortAttach(base);
            return;
        } catch (const Error&) {
            if (attempt == TtyReturnAttempts) {
                throw;
            }
            context.clock.wait(TtyReturnWait);
        }
    }
}

// Readings through the serial driver, then again through the bus, of one steady input.
bool pathsAgree(std::uint16_t base, const LineCheckContext& context) {
    context.comparison->giveBack();
    std::vector<int> driverCodes;
    {
        const std::unique_ptr<PortBus> driver = context.comparison->makeDriverBus();
        const PortBusScope useDriver(*driver);
        attachWhenBack(base, context);
        driverCodes = takeReadings(base, context);
    }
    const std::vector<int> codes = takeReadings(base, context);
    const bool agree = std::abs(median(driverCodes) - median(codes)) <= AgreeingCodes;
    context.out << "  compared: serial driver " << spread(driverCodes) << ", bit-bang "
                << spread(codes)
                << (agree ? ": the two paths agree"
                          : ": the two paths differ by more than 2 codes; on a steady input "
                            "they must agree, so the bit-bang path cannot be trusted here")
                << '\n';
    return agree;
}

bool checkPort(std::uint16_t base, const LineCheckContext& context) {
    PortAttach(base);
    describePort(base, context);
    if (context.comparison != nullptr) {
        timeReadings(base, context);
    } else {
        timeCalls(base, context);
    }
    const std::vector<int> codes = takeReadings(base, context);
    printReadings(codes, context.out);
    context.out << "  verdict:  " << verdict(codes) << '\n';
    return context.comparison == nullptr || pathsAgree(base, context);
}

// Any failure, as the run without a window reports it: an allocation that fails is "Out of
// memory", not the end of the program.
void reportFailure(const LineCheckContext& context) {
    context.out.flush();
    context.err << "kordel: " << errorBoxText(messageOf(std::current_exception())) << '\n';
}

} // namespace

std::optional<std::string> steadyLineFault(int code) {
    if (code == AllSet) {
        return "CTS reads set on every clock: the converter is absent, unpowered or not wired "
               "to CTS";
    }
    if (code == 0) {
        return "CTS reads clear on every clock: check the wiring, or the input is at 0 V";
    }
    return std::nullopt;
}

int checkLines(const std::string& com1, const std::string& com2, const LineCheckContext& context) {
    const PortBusScope useBus(context.bus);
    std::array<std::uint16_t, 2> bases{};
    try {
        bases = {portBase(com1), portBase(com2)};
        checkPortBlocks(bases[0], bases[1]);
    } catch (const std::exception&) {
        reportFailure(context);
        return 1;
    }
    bool driven = true;
    for (std::size_t port = 0; port < bases.size(); ++port) {
        context.out << (port == 0 ? "" : "\n") << "COM " << port + 1 << " at "
                    << hexText(bases[port]) << '\n';
        try {
            driven = checkPort(bases[port], context) && driven;
        } catch (const std::exception&) {
            reportFailure(context);
            driven = false;
        }
    }
    return driven ? 0 : 1;
}

} // namespace kordel
