#pragma once

#include "acquisition/ports/PortBus.h"
#include "common/Error.h"

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace kordel::testing_support {

struct PortAccess {
    char kind; // 'a' attach, 'i' in, 'o' out
    std::uint16_t address;
    std::uint8_t value;

    bool operator==(const PortAccess&) const = default;
};

// Records every access; reads answer from `status`, or pass to `inner` when one is given.
// `failAfter` accesses, it throws as a failing port would, or as a failing allocation would when
// `outOfMemory` is set.
class RecordingBus : public PortBus {
public:
    void attach(std::uint16_t base) override {
        record({'a', base, 0});
        if (inner != nullptr) {
            inner->attach(base);
        }
    }
    std::uint8_t in(std::uint16_t address) override {
        record({'i', address, 0});
        if (inner != nullptr) {
            return inner->in(address);
        }
        return status ? status(reads++) : 0;
    }
    void out(std::uint16_t address, std::uint8_t value) override {
        record({'o', address, value});
        if (inner != nullptr) {
            inner->out(address, value);
        }
    }
    PortDescription describe(std::uint16_t base) const override {
        return inner != nullptr ? inner->describe(base)
                                : PortDescription{"recorded", "", 0, "", "", ""};
    }

    std::vector<std::uint8_t> writesTo(std::uint16_t address) const {
        std::vector<std::uint8_t> values;
        for (const PortAccess& access : log) {
            if (access.kind == 'o' && access.address == address) {
                values.push_back(access.value);
            }
        }
        return values;
    }

    PortBus* inner = nullptr;
    std::function<std::uint8_t(int read)> status;
    long failAfter = -1;
    bool outOfMemory = false;
    std::vector<PortAccess> log;

private:
    void record(PortAccess access) {
        if (failAfter >= 0 && static_cast<long>(log.size()) >= failAfter) {
            if (outOfMemory) {
                throw std::bad_alloc();
            }
            throw Error("Serial port /dev/ttyFAKE failed: Input/output error");
        }
        log.push_back(access);
    }

    int reads = 0;
};

} // namespace kordel::testing_support
