#include "QuButtonColors.h"

#include <algorithm>
#include <cmath>

namespace QuButtonColors {

namespace {

int ShiftChannel(int channel, float amount)
{
    // The amount is a single-precision value, but the product with 255 keeps double precision:
    // 0.3 as a single is 0.30000001..., so 98 + 0.3 x 255 is 174.5000030... and becomes 175, not
    // the even 174 that a product rounded back to single precision would give.
    const double value = std::nearbyint(static_cast<double>(channel) + static_cast<double>(amount) * 255.0);
    return static_cast<int>(std::clamp(value, 0.0, 255.0));
}

int AverageChannel(int a, int b)
{
    return static_cast<int>(std::nearbyint((a + b) / 2.0));
}

} // namespace

std::int32_t ShiftColor(std::int32_t color, float amount)
{
    return Rgb(ShiftChannel(Red(color), amount), ShiftChannel(Green(color), amount), ShiftChannel(Blue(color), amount));
}

std::int32_t AverageColors(std::int32_t color1, std::int32_t color2)
{
    return Rgb(AverageChannel(Red(color1), Red(color2)), AverageChannel(Green(color1), Green(color2)),
               AverageChannel(Blue(color1), Blue(color2)));
}

std::uint8_t LightenChannel(std::uint8_t b)
{
    return static_cast<std::uint8_t>(std::min(255, (b * 293) / 255));
}

std::uint8_t DarkenChannel(std::uint8_t b)
{
    return static_cast<std::uint8_t>((b * 217) / 255);
}

ChannelTable LightTable()
{
    ChannelTable table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = LightenChannel(static_cast<std::uint8_t>(b));
    }
    return table;
}

ChannelTable DarkTable()
{
    ChannelTable table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = DarkenChannel(static_cast<std::uint8_t>(b));
    }
    return table;
}

void GradientLine(std::int32_t color1, std::int32_t color2, int n, std::int32_t* entries)
{
    const int r1 = Red(color1), g1 = Green(color1), b1 = Blue(color1);
    const int r2 = Red(color2), g2 = Green(color2), b2 = Blue(color2);
    if (n <= 0) {
        entries[0] = Rgb(r1 / 2 + r2 / 2, g1 / 2 + g2 / 2, b1 / 2 + b2 / 2);
        return;
    }
    const int dr = r2 - r1, dg = g2 - g1, db = b2 - b1;
    for (int i = 0; i <= n; ++i) {
        // C++ division truncates toward zero, as the integer division of the formula does.
        entries[i] = Rgb(r1 + dr * i / n, g1 + dg * i / n, b1 + db * i / n);
    }
}

} // namespace QuButtonColors
