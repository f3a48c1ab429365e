#include "acquisition/AvailableMemory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace kordel {

std::optional<std::uint64_t> availableMemory(std::istream& meminfo) {
    for (std::string line; std::getline(meminfo, line);) {
        std::istringstream fields(line);
        std::string name;
        std::uint64_t amount = 0;
        std::string unit;
        if (fields >> name >> amount >> unit && name == "MemAvailable:" && unit == "kB") {
            return amount * 1024;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> systemAvailableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    return availableMemory(meminfo);
}

} // namespace kordel
