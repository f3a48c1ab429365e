// generalText of any double or long double and any separator: the text computed a second way,
// with the separator standing only for the full stop.

#include "common/NumberText.h"
#include "fuzz/DecimalText.h"
#include "fuzz/ReferenceText.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kordel::fuzzing;
    InputBytes input(data, size);
    const long double value = takeValue(input);
    const auto separator = input.take<char>();

    const std::string dotted = kordel::generalText(value, '.');
    check(kordel::generalText(value, separator) == replaced(dotted, '.', separator),
          "the separator stands only for the full stop", dotted);
    if (checkedNonFinite(value, dotted)) {
        return 0;
    }
    const std::string reference = referenceGeneralText(value);
    check(dotted == reference, "the text of the value's digits", dotted + " " + reference);
    return 0;
}
