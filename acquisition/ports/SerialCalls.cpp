#include "acquisition/ports/SerialCalls.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>

namespace kordel {

namespace {

int result(int returned) {
    return returned < 0 ? errno : 0;
}

class SystemSerialCalls : public SerialCalls {
public:
    int open(const std::string& path, int& fd) override {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return result(fd);
    }
    int exclusive(int fd) override { return result(::ioctl(fd, TIOCEXCL)); }
    int raiseLines(int fd, int lines) override { return result(::ioctl(fd, TIOCMBIS, &lines)); }
    int lowerLines(int fd, int lines) override { return result(::ioctl(fd, TIOCMBIC, &lines)); }
    int setBreak(int fd) override { return result(::ioctl(fd, TIOCSBRK)); }
    int clearBreak(int fd) override { return result(::ioctl(fd, TIOCCBRK)); }
    int modemLines(int fd, int& lines) override { return result(::ioctl(fd, TIOCMGET, &lines)); }

    int serialInfo(int fd, SerialInfo& info) override {
        serial_struct kernelInfo{};
        if (::ioctl(fd, TIOCGSERIAL, &kernelInfo) < 0) {
            return errno;
        }
        info.port = kernelInfo.port | (static_cast<std::uint64_t>(kernelInfo.port_high) << 32);
        info.type = kernelInfo.type;
        return 0;
    }

    void close(int fd) override { ::close(fd); }
};

} // namespace

SerialCalls& systemSerialCalls() {
    static SystemSerialCalls calls;
    return calls;
}

std::string systemErrorText(int error) {
    return std::generic_category().message(error);
}

} // namespace kordel
