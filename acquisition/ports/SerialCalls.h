#pragma once

#include <cstdint>
#include <string>

namespace kordel {

// What the kernel reports of a serial port's hardware.
struct SerialInfo {
    std::uint64_t port = 0; // I/O base address
    int type = 0;           // UART type; 0 is unknown, that is no UART
};

// The few system calls the serial driver bus makes, one function each, so that tests can
// stand in for the kernel. Each returns 0 on success, else the errno value of the failure.
class SerialCalls {
public:
    virtual ~SerialCalls() = default;

    // open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); the descriptor goes to `fd`.
    virtual int open(const std::string& path, int& fd) = 0;
    virtual int exclusive(int fd) = 0;                    // TIOCEXCL
    virtual int raiseLines(int fd, int lines) = 0;        // TIOCMBIS
    virtual int lowerLines(int fd, int lines) = 0;        // TIOCMBIC
    virtual int setBreak(int fd) = 0;                     // TIOCSBRK
    virtual int clearBreak(int fd) = 0;                   // TIOCCBRK
    virtual int modemLines(int fd, int& lines) = 0;       // TIOCMGET
    virtual int serialInfo(int fd, SerialInfo& info) = 0; // TIOCGSERIAL
    virtual void close(int fd) = 0;
};

// The calls of the running system.
SerialCalls& systemSerialCalls();

// The text the system gives for an errno value, such as "Permission denied".
std::string systemErrorText(int error);

} // namespace kordel
