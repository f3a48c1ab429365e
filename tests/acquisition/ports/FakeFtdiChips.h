#pragma once

#include "acquisition/ports/FtdiChips.h"
#include "acquisition/ports/PinConverter.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kordel::testing_support {

// Chips in memory, each with a converter on its pins, found by USB bus and address. Every
// call is logged; `roundTrip`, when set, is spent in each read. Write number `failingWrite`
// (counted from 1 over all chips) and every later one fail.
class FakeFtdiChips : public FtdiChips {
public:
    struct Chip final : FtdiChip {
        Chip(FakeFtdiChips& owner, int period) : owner(owner), converter(period) {}
        ~Chip() override { owner.log.push_back("close"); }
        int enterBitBang(const BitBangSettings& settings) override {
            owner.log.push_back("bit-bang " + std::to_string(settings.outputs) + " " +
                                std::to_string(settings.pinRate) + " " +
                                std::to_string(settings.latencyMilliseconds));
            return 0;
        }
        int write(std::span<const std::uint8_t> states) override {
            owner.log.push_back("write " + std::to_string(states.size()));
            if (++owner.writes >= owner.failingWrite && owner.failingWrite > 0) {
                return -1;
            }
            for (const std::uint8_t state : states) {
                samples.push_back(converter.clock(state));
            }
            return static_cast<int>(states.size());
        }
        int read(std::span<std::uint8_t> into) override {
            if (owner.roundTrip) {
                owner.roundTrip();
            }
            std::size_t count = 0;
            for (; count < into.size() && !samples.empty(); ++count) {
                into[count] = samples.front();
                samples.pop_front();
            }
            return static_cast<int>(count);
        }
        std::string errorText() const override { return "usb bulk write failed"; }

        FakeFtdiChips& owner;
        PinConverter converter;
        std::deque<std::uint8_t> samples;
    };

    std::unique_ptr<FtdiChip> open(const UsbSerialDevice& device, std::chrono::milliseconds,
                                   std::string& error) override {
        log.push_back("open " + device.node());
        const auto period = periods.find(device.node());
        if (period == periods.end()) {
            error = "device not found";
            return nullptr;
        }
        return std::make_unique<Chip>(*this, period->second);
    }

    std::map<std::string, int> periods; // by USB node: the chip there and its converter
    std::vector<std::string> log;
    std::function<void()> roundTrip;
    int failingWrite = 0;
    int writes = 0;
};

} // namespace kordel::testing_support
