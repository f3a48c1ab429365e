#include "acquisition/ports/SettleRule.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace kordel {

namespace {

namespace fs = std::filesystem;
using std::chrono::microseconds;

constexpr int CautiousSettle = 20;    // ms, when nothing better is known
constexpr int LeastCachedSettle = 2;  // ms
constexpr int IntervalsPerSettle = 2; // the change may just miss one refresh

struct KnownDriver {
    std::string_view name;
    bool cached; // answers status from a cache the device refreshes
    std::string_view how;
};

constexpr std::string_view AsksAdapter = "asks the adapter at every status read";
constexpr std::string_view ReadsRegister = "(8250) reads the UART's modem status register at "
                                           "every status read";
constexpr std::string_view FromCache = "answers status from a cache";

constexpr std::array<KnownDriver, 7> KnownDrivers{{
    {"serial8250", false, ReadsRegister},
    {"serial", false, ReadsRegister},
    {"ftdi_sio", false, AsksAdapter},
    {"cp210x", false, AsksAdapter},
    {"ch341-uart", true, FromCache},
    {"pl2303", true, FromCache},
    {"cdc_acm", true, FromCache},
}};

// The serial core's own devices between a tty and the driver of its hardware.
constexpr std::array<std::string_view, 2> SerialCoreDrivers{"port", "ctrl"};

const KnownDriver* knownDriver(const std::string& name) {
    const auto known =
        std::find_if(KnownDrivers.begin(), KnownDrivers.end(),
                     [&name](const KnownDriver& driver) { return driver.name == name; });
    return known == KnownDrivers.end() ? nullptr : &*known;
}

std::string millisecondsText(microseconds time) {
    char text[32];
    std::snprintf(text, sizeof text, "%g ms", static_cast<double>(time.count()) / 1000);
    return text;
}

int cachedSettle(microseconds interval) {
    const long long twice = IntervalsPerSettle * interval.count();
    return std::max(LeastCachedSettle, static_cast<int>((twice + 999) / 1000));
}

std::string firstWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

// An endpoint's polling interval as sysfs gives it: "1ms", "16ms", "125us".
std::optional<microseconds> parseInterval(const std::string& text) {
    long long count = 0;
    const char* const end = text.data() + text.size();
    const auto [unit, error] = std::from_chars(text.data(), end, count);
    if (error != std::errc() || count <= 0) {
        return std::nullopt;
    }
    const std::string_view suffix(unit, end);
    if (suffix == "ms") {
        return microseconds(count * 1000);
    }
    if (suffix == "us") {
        return microseconds(count);
    }
    return std::nullopt;
}

std::string driverOf(const fs::path& device) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    return error ? std::string() : driver.filename().string();
}

std::vector<fs::path> endpointsOf(const fs::path& device) {
    std::vector<fs::path> endpoints;
    std::error_code error;
    for (fs::directory_iterator entry(device, error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().filename().string().starts_with("ep_")) {
            endpoints.push_back(entry->path());
        }
    }
    return endpoints;
}

// The longest polling interval among the interrupt IN endpoints.
std::optional<microseconds> interruptInterval(const std::vector<fs::path>& endpoints) {
    std::optional<microseconds> longest;
    for (const fs::path& endpoint : endpoints) {
        if (firstWord(endpoint / "type") != "Interrupt" ||
            firstWord(endpoint / "direction") != "in") {
            continue;
        }
        if (const auto interval = parseInterval(firstWord(endpoint / "interval"))) {
            longest = std::max(longest.value_or(microseconds(0)), *interval);
        }
    }
    return longest;
}

// The driver of the hardware behind a tty, passing over the serial core's own devices.
std::string hardwareDriver(const std::vector<fs::path>& chain) {
    for (const fs::path& device : chain) {
        const std::string driver = driverOf(device);
        if (!driver.empty() && std::find(SerialCoreDrivers.begin(), SerialCoreDrivers.end(),
                                         driver) == SerialCoreDrivers.end()) {
            return driver;
        }
    }
    return {};
}

// The polling interval of the interrupt endpoint through which a USB adapter reports its modem
// status: on the nearest device with endpoints, its USB interface. Further up, a hub's own
// interrupt endpoint says nothing of the adapter.
std::optional<microseconds> statusInterval(const std::vector<fs::path>& chain) {
    for (const fs::path& device : chain) {
        if (const std::vector<fs::path> endpoints = endpointsOf(device); !endpoints.empty()) {
            return interruptInterval(endpoints);
        }
    }
    return std::nullopt;
}

} // namespace

PortDescription settleFor(const std::string& driver, std::optional<microseconds> statusInterval) {
    PortDescription description;
    description.driver = driver.empty() ? "unknown" : driver;
    const KnownDriver* known = knownDriver(driver);
    if (known == nullptr) {
        description.settleMilliseconds = CautiousSettle;
        description.settleReason =
            driver.empty() ? "the system shows no driver for this device: 20 ms, to be safe"
                           : "driver " + driver + " is not known to Kordel: 20 ms, to be safe";
    } else if (!known->cached) {
        description.settleReason = driver + " " + std::string(known->how);
    } else if (statusInterval) {
        description.settleMilliseconds = cachedSettle(*statusInterval);
        description.settleReason =
            driver + " " + std::string(known->how) + " the adapter refreshes every " +
            millisecondsText(*statusInterval) + ": twice that, at least 2 ms";
    } else {
        description.settleMilliseconds = CautiousSettle;
        description.settleReason = driver + " " + std::string(known->how) +
                                   " whose refresh interval the system does not show: 20 ms";
    }
    if (driver == "cdc_acm") {
        description.note = "cdc_acm reports CTS set whatever the line does: the converter "
                           "cannot be read through this device";
    }
    return description;
}

SettleRule::SettleRule(std::optional<int> fixedMilliseconds, SystemPaths paths)
    : fixedMilliseconds_(fixedMilliseconds), paths_(std::move(paths)) {}

PortDescription SettleRule::choose(const std::string& devicePath) const {
    const std::vector<fs::path> chain = deviceChain(devicePath);
    PortDescription description = settleFor(hardwareDriver(chain), statusInterval(chain));
    description.device = devicePath;
    if (fixedMilliseconds_) {
        description.settleMilliseconds = *fixedMilliseconds_;
        description.settleReason = "set with --settle";
    }
    return description;
}

// The devices from the tty's own up towards the sysfs root: for a USB adapter the serial port,
// then the USB interface, then the USB device. The tty is found by the device's real name, so
// that a link such as /dev/serial/by-id/... leads to it too.
std::vector<fs::path> SettleRule::deviceChain(const std::string& devicePath) const {
    std::error_code error;
    const fs::path real = fs::canonical(devicePath, error);
    const fs::path name = (error ? fs::path(devicePath) : real).filename();
    const fs::path root = fs::weakly_canonical(paths_.sysfsTty / ".." / "..", error);
    std::vector<fs::path> chain;
    fs::path device = fs::canonical(paths_.sysfsTty / name / "device", error);
    for (; !error && device != root && device.has_relative_path(); device = device.parent_path()) {
        chain.push_back(device);
    }
    return chain;
}

} // namespace kordel
