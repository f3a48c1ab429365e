#include "output/SaveSteps.h"

namespace kordel {

namespace {

// UTF-16 units, as the field holds its text: a character beyond the basic plane counts twice.
std::size_t fieldLength(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0; // a character starts here
        units += byte >= 0xF0 ? 1 : 0;          // four bytes: a surrogate pair
    }
    return units;
}

} // namespace

bool isTooShortName(std::string_view name) {
    return fieldLength(name) < 2;
}

SaveOutcome saveRun(const std::string& basePath, std::string_view name, SaveChoice choice,
                    const RunOutput& output) {
    if (isTooShortName(name)) {
        return SaveOutcome::NameTooShort;
    }
    if (choice.data) {
        writeValueList(output.list1, basePath + "(1).txt");
        writeValueList(output.list2, basePath + "(2).txt");
    }
    if (choice.plot && !output.plot.isNull()) {
        writeBitmap(output.plot, basePath + ".bmp");
    }
    return choice.data || choice.plot ? SaveOutcome::Saved : SaveOutcome::NothingChosen;
}

} // namespace kordel
