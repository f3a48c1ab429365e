#pragma once

#include "acquisition/ports/SerialCalls.h"

#include <cerrno>
#include <deque>
#include <map>
#include <string>
#include <sys/ioctl.h>
#include <vector>

namespace kordel::testing_support {

// A kernel of serial ports that logs each call as "<device> <call>" and fails on request.
class FakeSerialCalls : public SerialCalls {
public:
    int open(const std::string& path, int& fd) override {
        log.push_back(path + " open");
        if (const auto error = openErrors.find(path); error != openErrors.end()) {
            return error->second;
        }
        fd = nextFd++;
        openPaths[fd] = path;
        return 0;
    }
    int exclusive(int fd) override { return call(fd, "TIOCEXCL"); }
    int raiseLines(int fd, int lines) override { return call(fd, "TIOCMBIS " + names(lines)); }
    int lowerLines(int fd, int lines) override { return call(fd, "TIOCMBIC " + names(lines)); }
    int setBreak(int fd) override { return call(fd, "TIOCSBRK"); }
    int clearBreak(int fd) override { return call(fd, "TIOCCBRK"); }
    int modemLines(int fd, int& lines) override {
        lines = TIOCM_DSR;
        if (!ctsBits.empty()) {
            lines |= ctsBits.front() ? TIOCM_CTS : 0;
            ctsBits.pop_front();
        }
        return call(fd, "TIOCMGET");
    }
    int serialInfo(int fd, SerialInfo& info) override {
        const auto port = ports.find(openPaths.at(fd));
        if (port == ports.end()) {
            call(fd, "TIOCGSERIAL");
            return ENOTTY;
        }
        info = port->second;
        return call(fd, "TIOCGSERIAL");
    }
    void close(int fd) override {
        log.push_back(openPaths.at(fd) + " close");
        openPaths.erase(fd);
    }

    std::vector<std::string> log;
    std::map<std::string, int> openErrors;   // device -> errno of its open
    std::map<std::string, SerialInfo> ports; // device -> what TIOCGSERIAL reports
    std::string failingCall; // this call fails at its `failingOccurrence`-th logging
    int failingOccurrence = 1;
    int failure = EIO;
    std::deque<bool> ctsBits; // CTS of the next status reads, clear after
    std::map<int, std::string> openPaths;

private:
    int call(int fd, const std::string& what) {
        log.push_back(openPaths.at(fd) + " " + what);
        if (!failingCall.empty() && what == failingCall && --failingOccurrence == 0) {
            failingCall.clear();
            return failure;
        }
        return 0;
    }

    static std::string names(int lines) {
        return lines == TIOCM_DTR ? "DTR" : lines == TIOCM_RTS ? "RTS" : std::to_string(lines);
    }

    int nextFd = 3;
};

} // namespace kordel::testing_support
