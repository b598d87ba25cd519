#include "CvtTiming.h"

namespace DisplaySettings {

namespace {

constexpr int HGranularity = 8;     // pixels
constexpr int MinVPorch = 3;        // lines
constexpr double MinVSyncBp = 550.; // microseconds of vertical sync plus back porch
constexpr int HSyncPercentage = 8;
constexpr double CPrime = 30.;  // blanking formula: (C - J) * K / 256 + J with C 40, J 20, K 128
constexpr double MPrime = 300.; // K / 256 * M with M 600
constexpr int ClockStep = 250;  // kHz

// The vertical sync width encodes the aspect ratio.
int VSyncLines(int width, int height)
{
    if (height % 3 == 0 && height * 4 / 3 == width) {
        return 4;
    }
    if (height % 9 == 0 && height * 16 / 9 == width) {
        return 5;
    }
    if (height % 10 == 0 && height * 16 / 10 == width) {
        return 6;
    }
    if ((height % 4 == 0 && height * 5 / 4 == width) || (height % 9 == 0 && height * 15 / 9 == width)) {
        return 7;
    }
    return 10;
}

} // namespace

CvtTiming MakeCvtTiming(int width, int height, double frequency)
{
    CvtTiming t;
    const int hDisplay = width - width % HGranularity;
    const int vSync = VSyncLines(width, height);

    const double hPeriod = (1000000. / frequency - MinVSyncBp) / (height + MinVPorch); // microseconds
    int vSyncAndBackPorch = static_cast<int>(MinVSyncBp / hPeriod) + 1;
    if (vSyncAndBackPorch < vSync + MinVPorch) {
        vSyncAndBackPorch = vSync + MinVPorch;
    }

    double blankPercentage = CPrime - MPrime * hPeriod / 1000.;
    if (blankPercentage < 20.) {
        blankPercentage = 20.;
    }
    int hBlank = static_cast<int>(hDisplay * blankPercentage / (100. - blankPercentage));
    hBlank -= hBlank % (2 * HGranularity);

    const int hTotal = hDisplay + hBlank;
    const int hSyncEnd = hDisplay + hBlank / 2;
    int hSyncStart = hSyncEnd - hTotal * HSyncPercentage / 100;
    hSyncStart += HGranularity - hSyncStart % HGranularity;

    int clock = static_cast<int>(hTotal * 1000. / hPeriod);
    clock -= clock % ClockStep;

    t.Clock = static_cast<std::uint32_t>(clock);
    t.HDisplay = static_cast<std::uint32_t>(hDisplay);
    t.HSyncStart = static_cast<std::uint32_t>(hSyncStart);
    t.HSyncEnd = static_cast<std::uint32_t>(hSyncEnd);
    t.HTotal = static_cast<std::uint32_t>(hTotal);
    t.VDisplay = static_cast<std::uint32_t>(height);
    t.VSyncStart = static_cast<std::uint32_t>(height + MinVPorch);
    t.VSyncEnd = static_cast<std::uint32_t>(height + MinVPorch + vSync);
    t.VTotal = static_cast<std::uint32_t>(height + vSyncAndBackPorch + MinVPorch);
    return t;
}

double RefreshRate(std::uint64_t dotClockHz, std::uint32_t hTotal, std::uint32_t vTotal, bool interlaced,
                   bool doubleScan)
{
    double lines = vTotal;
    if (doubleScan) {
        lines *= 2.;
    }
    if (interlaced) {
        lines /= 2.;
    }
    if (hTotal == 0 || lines <= 0.) {
        return 0.;
    }
    return static_cast<double>(dotClockHz) / (static_cast<double>(hTotal) * lines);
}

} // namespace DisplaySettings
