#include "acquisition/PortBases.h"

#include "acquisition/ports/PortBus.h"
#include "common/Error.h"
#include "common/NumberText.h"

namespace kordel {

std::uint16_t portBase(const std::string& text) {
    return static_cast<std::uint16_t>(parseInteger("$" + text));
}

void checkPortBlocks(std::uint16_t base1, std::uint16_t base2) {
    if (blocksOverlap(base1, base2)) {
        throw Error("The ports at " + hexText(base1) + " and " + hexText(base2) +
                    " overlap: each port takes the 8 addresses from its base on");
    }
}

} // namespace kordel
