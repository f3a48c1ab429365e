#include "acquisition/Udata1.h"

namespace kordel {

void applyDefaults(SharedState& state, std::int32_t imageWidth, std::int32_t imageHeight) {
    state.DataReady = false;
    state.Divider1 = 1.0;
    state.Divider2 = 1.0;
    state.Port1Base = 0x3F8;
    state.Port2Base = 0x2F8;
    state.Settings = PlotSettings{.OxDigits = 3,
                                  .LeftMargin = 30,
                                  .RightMargin = 20,
                                  .TopMargin = 20,
                                  .BottomMargin = 30,
                                  .OxDivisions = 7,
                                  .OyDivisions = 7,
                                  .ImageWidth = imageWidth,
                                  .ImageHeight = imageHeight};
}

} // namespace kordel
