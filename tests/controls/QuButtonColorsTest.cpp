// Colour arithmetic of the owner-drawn button: rounding (ties to even), clamping, truncating
// gradient steps and the lighten/darken tables.
#include "QuButtonColors.h"

#include <gtest/gtest.h>

#include <vector>

using namespace QuButtonColors;

TEST(QuButtonColors, ShiftColorRoundsTiesToEvenAndClamps)
{
    EXPECT_EQ(ShiftColor(0x808080, 0.1f), 0x9A9A9A); // 128 + 25.5 = 153.5 -> 154
    // The single 0.1 is 0.10000000149..., so 127 + 0.1 x 255 lies just above 152.5.
    EXPECT_EQ(ShiftColor(0x7F7F7F, 0.1f), 0x999999);
    // The corner pixels of style 2: Shift(&H066237, 0.3) and Shift(&H743C00, 0.3).
    EXPECT_EQ(ShiftColor(0x066237, 0.3f), 0x53AF84);
    EXPECT_EQ(ShiftColor(0x743C00, 0.3f), 0xC1894D);
    // Exact ties go to the even neighbour: 0.5 x 255 = 127.5, so both 0 and 1 give 128.
    EXPECT_EQ(ShiftColor(0x000100, 0.5f), 0x808080);
    EXPECT_EQ(ShiftColor(0xFFFFFF, 0.14f), 0xFFFFFF);
    EXPECT_EQ(ShiftColor(0x000000, -0.25f), 0x000000);
    EXPECT_EQ(ShiftColor(0xD4D4D4, 0.06f), 0xE3E3E3); // the scheme-2 back colour of style 3
    // Channels shift independently: red 0x33 + 0.05 x 255 = 63.75 -> 64, blue 0xFF clamps.
    EXPECT_EQ(ShiftColor(0xFF9933, 0.05f), 0xFFA640);
    EXPECT_EQ(ShiftColor(0xFF9933, -0.34f), 0xA84200); // the style-8 frame on the main menu
}

TEST(QuButtonColors, AverageColorsRoundsTiesToEven)
{
    EXPECT_EQ(AverageColors(0x000001, 0x000002), 0x000002);
    EXPECT_EQ(AverageColors(0x000002, 0x000003), 0x000002);
    EXPECT_EQ(AverageColors(0x010000, 0x020000), 0x020000);
    EXPECT_EQ(AverageColors(0xFFFFFF, 0x000000), 0x808080); // 127.5 -> 128
    EXPECT_EQ(AverageColors(0x808080, 0xFF9933), 0xC08C5A);
}

TEST(QuButtonColors, LightenAndDarkenTables)
{
    EXPECT_EQ(LightenChannel(255), 255);
    EXPECT_EQ(LightenChannel(200), 229);
    EXPECT_EQ(LightenChannel(0), 0);
    EXPECT_EQ(DarkenChannel(255), 217);
    EXPECT_EQ(DarkenChannel(1), 0);
    const ChannelTable light = LightTable();
    const ChannelTable dark = DarkTable();
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(light[b], LightenChannel(static_cast<std::uint8_t>(b)));
        EXPECT_EQ(dark[b], DarkenChannel(static_cast<std::uint8_t>(b)));
        EXPECT_GE(light[b], b);
        EXPECT_LE(dark[b], b);
    }
}

TEST(QuButtonColors, GradientLineTruncatesAndHalvesSingleEntry)
{
    std::vector<std::int32_t> line(3);
    GradientLine(0x000000, 0x0000FF, 2, line.data());
    EXPECT_EQ(line[0], 0x000000);
    EXPECT_EQ(line[1], 0x00007F); // 255 x 1 \ 2 = 127
    EXPECT_EQ(line[2], 0x0000FF);

    // Falling channels truncate toward zero: 255 + (-255 x 1) \ 2 = 255 - 127 = 128.
    GradientLine(0x0000FF, 0x000000, 2, line.data());
    EXPECT_EQ(line[1], 0x000080);

    std::int32_t single = 0;
    GradientLine(0x0103FF, 0x0301FF, 0, &single);
    EXPECT_EQ(single, Rgb(0xFF / 2 + 0xFF / 2, 1 + 0, 0 + 1)); // c1 \ 2 + c2 \ 2 per channel
}
