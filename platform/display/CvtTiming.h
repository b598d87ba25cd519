#pragma once

#include <cstdint>

namespace DisplaySettings {

// A display timing as an X server takes it for a new mode. Horizontal values are pixels,
// vertical values lines, the clock is in kHz.
struct CvtTiming {
    std::uint32_t Clock = 0;
    std::uint32_t HDisplay = 0;
    std::uint32_t HSyncStart = 0;
    std::uint32_t HSyncEnd = 0;
    std::uint32_t HTotal = 0;
    std::uint32_t VDisplay = 0;
    std::uint32_t VSyncStart = 0;
    std::uint32_t VSyncEnd = 0;
    std::uint32_t VTotal = 0;
    // CVT's polarities: horizontal sync negative, vertical sync positive.
    bool HSyncNegative = true;
    bool VSyncPositive = true;
};

// VESA Coordinated Video Timings with normal (not reduced) blanking and no margins, progressive.
// The width is rounded down to a multiple of 8; frequency is the field rate in Hz (> 0).
CvtTiming MakeCvtTiming(int width, int height, double frequency);

// Refresh rate in Hz that a timing gives (clock in Hz over the pixels of one frame).
double RefreshRate(std::uint64_t dotClockHz, std::uint32_t hTotal, std::uint32_t vTotal, bool interlaced,
                   bool doubleScan);

} // namespace DisplaySettings
