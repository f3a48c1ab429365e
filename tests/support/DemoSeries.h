#pragma once

#include "acquisition/Converter.h"
#include "acquisition/ports/DemoBus.h"
#include "common/NumberText.h"

#include <string>
#include <vector>

namespace kordel::testing_support {

// What a demo run of `count` pairs gives, from its first conversion on: the volts of the
// converter with the sine `period` (75 at 3F8, 50 at 2F8)...
inline std::vector<double> demoVolts(int period, int count) {
    std::vector<double> volts;
    for (int k = 0; k < count; ++k) {
        volts.push_back(codeToVolts(DemoBus::demoCode(period, k)));
    }
    return volts;
}

// ...its value list as a file holds it...
inline std::string demoList(int period, int count) {
    std::string text;
    for (const double volts : demoVolts(period, count)) {
        text += generalText(volts) + "\r\n";
    }
    return text;
}

// ...and its pairs as standard output shows them.
inline std::string demoPairs(int count, char separator = '.') {
    std::string text;
    for (int k = 0; k < count; ++k) {
        text += generalText(codeToVolts(DemoBus::demoCode(75, k)), separator) + "\t" +
                generalText(codeToVolts(DemoBus::demoCode(50, k)), separator) + "\n";
    }
    return text;
}

} // namespace kordel::testing_support
