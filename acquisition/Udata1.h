#pragma once

#include <cstdint>
#include <vector>

namespace kordel {

// Geometry and labelling of the plot; the first seven are edited in the options dialog.
struct PlotSettings {
    std::int32_t OxDigits = 0;
    std::int32_t LeftMargin = 0;
    std::int32_t RightMargin = 0;
    std::int32_t TopMargin = 0;
    std::int32_t BottomMargin = 0;
    std::int32_t OxDivisions = 0;
    std::int32_t OyDivisions = 0;
    std::int32_t ImageWidth = 0;
    std::int32_t ImageHeight = 0;
};

// The process-wide working data: what the windows share and the values of the last run.
struct SharedState {
    bool DataReady = false;
    std::vector<double> Samples1;
    std::vector<double> Samples2;
    std::uint16_t Port1Base = 0;
    std::uint16_t Port2Base = 0;
    PlotSettings Settings;

    // Run values.
    std::uint16_t CurrentBase = 0;
    double Divider1 = 1.0;
    double Divider2 = 1.0;
    std::int32_t SampleCount = 0;
    double Elapsed = 0.0;
};

// The start-up values of everything that has one; the series and run results stay as they are.
void applyDefaults(SharedState& state, std::int32_t imageWidth, std::int32_t imageHeight);

} // namespace kordel
