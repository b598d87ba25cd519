#pragma once

#include <array>
#include <cstdint>

// Colour arithmetic of the owner-drawn button. Colours are COLORREF values &H00BBGGRR held in a
// 32-bit signed integer (red in the low byte); system colours (&H800000nn) are translated by the
// caller before they get here.
namespace QuButtonColors {

// Each channel c + amount x 255 (a single-precision amount, the product in double precision),
// rounded to nearest with ties to even and clamped to 0..255. A positive amount lightens, a negative one darkens.
std::int32_t ShiftColor(std::int32_t color, float amount);

// Each channel (c1 + c2) / 2 rounded to nearest, ties to even.
std::int32_t AverageColors(std::int32_t color1, std::int32_t color2);

// (b x 293) \ 255, at most 255.
std::uint8_t LightenChannel(std::uint8_t b);

// (b x 217) \ 255.
std::uint8_t DarkenChannel(std::uint8_t b);

using ChannelTable = std::array<std::uint8_t, 256>;
ChannelTable LightTable();
ChannelTable DarkTable();

constexpr int Red(std::int32_t color)
{
    return color & 0xFF;
}
constexpr int Green(std::int32_t color)
{
    return (color >> 8) & 0xFF;
}
constexpr int Blue(std::int32_t color)
{
    return (color >> 16) & 0xFF;
}
constexpr std::int32_t Rgb(int red, int green, int blue)
{
    return red | (green << 8) | (blue << 16);
}

// The colour line of a two-colour gradient: n + 1 entries, entry i = c1 + (c2 - c1) x i \ n per
// channel (truncating division), so entry 0 is color1 and entry n is color2; for n = 0 the one
// entry is c1 \ 2 + c2 \ 2 per channel.
void GradientLine(std::int32_t color1, std::int32_t color2, int n, std::int32_t* entries);

} // namespace QuButtonColors
