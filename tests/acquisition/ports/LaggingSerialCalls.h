#pragma once

#include "acquisition/Clock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/SerialCalls.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <sys/ioctl.h>
#include <vector>

namespace kordel::testing_support {

// USB serial adapters whose driver answers status from a cache: each call takes `callTime` on
// `clock`, and TIOCMGET reports CTS as it was `lag` before the call. Behind each device sits a
// simulated UART with its converter, the demo's one at the device's demo base (3F8 or 2F8), so
// the codes follow the demo's known sequence.
class LaggingSerialCalls : public SerialCalls {
public:
    using seconds = std::chrono::duration<double>;

    LaggingSerialCalls(Clock& clock, seconds callTime, seconds lag,
                       std::map<std::string, std::uint16_t> demoBases)
        : clock(clock), callTime(callTime.count()), lag(lag.count()),
          demoBases(std::move(demoBases)) {}

    int open(const std::string& path, int& fd) override {
        const auto base = demoBases.find(path);
        if (base == demoBases.end()) {
            return ENOENT;
        }
        converters.attach(base->second);
        fd = nextFd++;
        ports[fd] = Port{base->second, 0, 0, {{-std::numeric_limits<double>::infinity(), false}}};
        return 0;
    }
    int exclusive(int) override { return take(); }
    int raiseLines(int fd, int lines) override { return setModemControl(fd, lines, true); }
    int lowerLines(int fd, int lines) override { return setModemControl(fd, lines, false); }
    int setBreak(int fd) override { return setLineControl(fd, BreakBit); }
    int clearBreak(int fd) override { return setLineControl(fd, 0); }
    int modemLines(int fd, int& lines) override {
        const Port& port = ports.at(fd);
        const double asked = clock.now() - lag;
        const auto later =
            std::upper_bound(port.cts.begin(), port.cts.end(), asked,
                             [](double time, const auto& change) { return time < change.first; });
        lines = std::prev(later)->second ? TIOCM_CTS : 0;
        ++statusReads;
        return take();
    }
    int serialInfo(int, SerialInfo&) override { return ENOTTY; }
    void close(int fd) override { ports.erase(fd); }

    long statusReads = 0;
    long lineChanges = 0;
    double busy = 0; // seconds the calls took on the clock

private:
    struct Port {
        std::uint16_t base;
        std::uint8_t modemControl;
        std::uint8_t lineControl;
        std::vector<std::pair<double, bool>> cts; // from each moment on
    };

    int take() {
        const double start = clock.now();
        clock.waitUntil(start + callTime);
        busy += clock.now() - start;
        return 0;
    }

    int setModemControl(int fd, int lines, bool on) {
        Port& port = ports.at(fd);
        const std::uint8_t bits =
            ((lines & TIOCM_DTR) != 0 ? DtrBit : 0) | ((lines & TIOCM_RTS) != 0 ? RtsBit : 0);
        port.modemControl = on ? port.modemControl | bits : port.modemControl & ~bits;
        converters.out(port.base + ModemControl, port.modemControl);
        return changed(port);
    }

    int setLineControl(int fd, std::uint8_t value) {
        Port& port = ports.at(fd);
        converters.out(port.base + LineControl, value);
        return changed(port);
    }

    // The change takes effect when the call returns.
    int changed(Port& port) {
        take();
        ++lineChanges;
        port.cts.emplace_back(clock.now(), (converters.in(port.base + ModemStatus) & CtsBit) != 0);
        return 0;
    }

    Clock& clock;
    double callTime; // seconds
    double lag;
    std::map<std::string, std::uint16_t> demoBases;
    DemoBus converters;
    std::map<int, Port> ports;
    int nextFd = 3;
};

} // namespace kordel::testing_support
