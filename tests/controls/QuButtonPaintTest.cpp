// Pixels of the button's drawing core and of the style-3 and style-8 painters. Captions are empty
// so that no rendered text enters an exact comparison. Sizes: 1200 twips = 80 pixels wide.
#include "QuButtonTestSupport.h"

#include <Gdi.h>

#include <QBitmap>
#include <QRegion>
#include <gtest/gtest.h>

#include <vector>

using namespace qkmbuttontest;
using QuButtonColors::AverageColors;
using QuButtonColors::GradientLine;
using QuButtonColors::ShiftColor;

namespace {

constexpr std::int32_t MainMenuBlue = 0xFF9933;

} // namespace

TEST(QuButtonGradient, DirectionsAndDegenerateSizes)
{
    OneButton host(8, 30);
    QuButton& button = host.Button();

    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    QuButtonTestAccess::Gradient(button, image, 0, 0, 3, 1, 0x000000, 0x0000FF, 0);
    EXPECT_EQ(Pixel(image, 0, 0), 0x000000);
    EXPECT_EQ(Pixel(image, 1, 0), 0x00007F);
    EXPECT_EQ(Pixel(image, 2, 0), 0x0000FF);
    EXPECT_EQ(Pixel(image, 3, 0), 0xFFFFFF); // nothing right of the gradient
    EXPECT_EQ(Pixel(image, 0, 1), 0xFFFFFF);

    // Width 1 horizontally (and height 1 vertically) is one colour: c1 \ 2 + c2 \ 2 per channel.
    QuButtonTestAccess::Gradient(button, image, 3, 0, 1, 3, 0x0305FF, 0x0102FF, 0);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(Pixel(image, 3, y), 0x0103FE) << y;
    }
    QuButtonTestAccess::Gradient(button, image, 0, 2, 3, 1, 0x000010, 0x000021, 1);
    EXPECT_EQ(Pixel(image, 1, 2), 0x000018);

    // Vertical: top row c1, bottom row c2.
    QImage tall(1, 5, QImage::Format_RGB32);
    QuButtonTestAccess::Gradient(button, tall, 0, 0, 1, 5, 0x000000, 0x000040, 1);
    EXPECT_EQ(Pixel(tall, 0, 0), 0x000000);
    EXPECT_EQ(Pixel(tall, 0, 1), 0x000010);
    EXPECT_EQ(Pixel(tall, 0, 4), 0x000040);

    // Diagonals over n = w + h - 2: direction 2 from the top-left, 3 from the bottom-left.
    QImage square(3, 2, QImage::Format_RGB32);
    QuButtonTestAccess::Gradient(button, square, 0, 0, 3, 2, 0x000000, 0x000030, 2);
    EXPECT_EQ(Pixel(square, 0, 0), 0x000000);
    EXPECT_EQ(Pixel(square, 1, 0), 0x000010);
    EXPECT_EQ(Pixel(square, 0, 1), 0x000010);
    EXPECT_EQ(Pixel(square, 2, 1), 0x000030);
    QuButtonTestAccess::Gradient(button, square, 0, 0, 3, 2, 0x000000, 0x000030, 3);
    EXPECT_EQ(Pixel(square, 0, 1), 0x000000);
    EXPECT_EQ(Pixel(square, 2, 0), 0x000030);
    EXPECT_EQ(Pixel(square, 0, 0), 0x000010);

    // Nothing for an empty size; a gradient hanging over the edge is clipped, not refused.
    QImage blank(3, 3, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QuButtonTestAccess::Gradient(button, blank, 0, 0, 0, 3, 0, 0, 1);
    QuButtonTestAccess::Gradient(button, blank, 0, 0, 3, 0, 0, 0, 0);
    EXPECT_EQ(Pixel(blank, 0, 0), 0xFFFFFF);
    QuButtonTestAccess::Gradient(button, blank, 1, 1, 5, 5, 0x000000, 0x000040, 1);
    EXPECT_EQ(Pixel(blank, 2, 2), 0x000010);
    EXPECT_EQ(Pixel(blank, 0, 0), 0xFFFFFF);
}

TEST(QuButtonStyle3, NormalSplitsAtRoundedHalfHeight)
{
    for (const int h : {21, 23}) {
        SCOPED_TRACE(h);
        OneButton host(3, h);
        const QImage face = host.Draw(0);
        const std::int32_t b = MainMenuBlue;
        const int split = h == 21 ? 10 : 12; // round(10.5) = 10, round(11.5) = 12
        EXPECT_EQ(Pixel(face, 40, split), ShiftColor(b, -0.02f));
        EXPECT_EQ(Pixel(face, 40, split - 1), Entry(ShiftColor(b, 0.05f), b, h - 1, split - 2));
        EXPECT_EQ(Pixel(face, 40, 2), Entry(ShiftColor(b, 0.05f), b, h - 1, 1));
        // The lower gradient runs over h - 2 rows from the split: only its upper part shows.
        EXPECT_EQ(Pixel(face, 40, h - 3), Entry(ShiftColor(b, -0.02f), ShiftColor(b, -0.15f), h - 3, h - 3 - split));
        EXPECT_EQ(Pixel(face, 40, 0), 0x707070);
        EXPECT_EQ(Pixel(face, 79, 10), 0x707070);
        EXPECT_EQ(Pixel(face, 40, 1), 0xFFFFFF);
        EXPECT_EQ(Pixel(face, 40, h - 2), 0xFFFFFF);
        EXPECT_EQ(Pixel(face, 1, 1), 0xBE965F);
        EXPECT_EQ(Pixel(face, 78, h - 2), 0xBE965F);
    }
}

TEST(QuButtonStyle3, HotSideBandsSplitWithTheFace)
{
    for (const int h : {21, 23}) {
        SCOPED_TRACE(h);
        OneButton host(3, h);
        const QImage face = host.Draw(1);
        const int split = h == 21 ? 10 : 12;
        const std::int32_t lowerRight = ShiftColor(0xFDE1AC, 0.01f);
        EXPECT_EQ(Pixel(face, 2, 2), Entry(0xFFF7E4, 0xFFF3DA, split - 1, 1)); // above the bands
        EXPECT_EQ(Pixel(face, 2, 3), Entry(0xFFEECD, 0xFFF7E4, 4, 1));
        EXPECT_EQ(Pixel(face, 2, split - 1), Entry(0xFFEECD, 0xFFF7E4, 4, 1));
        EXPECT_EQ(Pixel(face, 2, split), Entry(0xFAD68F, lowerRight, 4, 1));
        EXPECT_EQ(Pixel(face, 77, split), Entry(lowerRight, 0xFAD68F, 4, 3));
        EXPECT_EQ(Pixel(face, 40, split), 0xFFE9C1);
        EXPECT_EQ(Pixel(face, 40, 0), 0xA77532);
        EXPECT_EQ(Pixel(face, 40, 1), 0xFFFFFF);
        EXPECT_EQ(Pixel(face, 78, 1), 0xBE965F);
    }
}

TEST(QuButtonStyle3, DownHasShadeLinesAndNoInnerFrame)
{
    OneButton host(3, 23);
    const QImage face = host.Draw(2);
    EXPECT_EQ(Pixel(face, 40, 0), 0x5C411D);
    EXPECT_EQ(Pixel(face, 40, 1), 0xB39C71);
    EXPECT_EQ(Pixel(face, 40, 2), 0xD6C6A9);
    EXPECT_EQ(Pixel(face, 40, 3), 0xECD9B9);
    EXPECT_EQ(Pixel(face, 1, 2), 0xCFB073); // the left shade line, above the bands
    EXPECT_EQ(Pixel(face, 40, 5), 0xF6E4C2);
    EXPECT_EQ(Pixel(face, 40, 12), 0xF0D29A);
    EXPECT_EQ(Pixel(face, 40, 21), 0xF0D29A); // no white inner frame when down
    EXPECT_EQ(Pixel(face, 2, 12), Entry(ShiftColor(0xDCAB4E, 0.02f), ShiftColor(0xF0D29A, -0.01f), 4, 1));
    EXPECT_EQ(Pixel(face, 1, 1), 0xBE965F);
}

TEST(QuButtonStyle3, CheckedButtonIsDrawnDown)
{
    OneButton host(3, 23, MainMenuBlue, QStringLiteral("            Mode = 1\n            Value = True\n"));
    const QImage face = host.Draw(0);
    EXPECT_EQ(Pixel(face, 40, 0), 0x5C411D);
    EXPECT_EQ(QuButtonTestAccess::State(host.Button()), 2);
}

TEST(QuButtonStyle3, DisabledLookDerivesFromBackColor)
{
    OneButton host(3, 23, MainMenuBlue, QStringLiteral("            Enabled = False\n"));
    for (const int state : {0, 1, 2}) {
        const QImage face = host.Draw(state);
        EXPECT_EQ(Pixel(face, 40, 10), ShiftColor(MainMenuBlue, 0.03f)) << state;
        EXPECT_EQ(Pixel(face, 40, 0), ShiftColor(MainMenuBlue, -0.25f));
        EXPECT_EQ(Pixel(face, 40, 1), ShiftColor(MainMenuBlue, 0.25f));
        EXPECT_EQ(Pixel(face, 1, 1), ShiftColor(MainMenuBlue, -0.03f));
    }
}

TEST(QuButtonStyle3, DefaultFrameAndFocusRectOnlyOnTheActiveForm)
{
    OneButton host(3, 23);
    QuButton& button = host.Button();
    QuButtonTestAccess::SetHasFocus(button, true);
    button.SetShowFocusRect(true);

    QuButtonTestAccess::SetParentActive(button, false);
    const QImage inactive = host.Draw(0);
    EXPECT_EQ(Pixel(inactive, 40, 0), 0x707070);
    EXPECT_EQ(Pixel(inactive, 40, 1), 0xFFFFFF);

    QuButtonTestAccess::SetParentActive(button, true);
    const QImage focused = host.Draw(0);
    EXPECT_EQ(Pixel(focused, 40, 0), 0xA77532);
    EXPECT_EQ(Pixel(focused, 40, 1), 0xFBD848);
    // The focus rectangle inverts every other pixel of its ring, (2, 2) but not (3, 2).
    EXPECT_EQ(Pixel(focused, 2, 2), Pixel(inactive, 2, 2) ^ 0xFFFFFF);
    EXPECT_EQ(Pixel(focused, 3, 2), Pixel(inactive, 3, 2));

    // Hot with the focus: hot frames, no default frame, the focus rectangle still drawn.
    const QImage hotInactive = [&] {
        QuButtonTestAccess::SetParentActive(button, false);
        return host.Draw(1);
    }();
    QuButtonTestAccess::SetParentActive(button, true);
    const QImage hot = host.Draw(1);
    EXPECT_EQ(Pixel(hot, 40, 0), 0xA77532);
    EXPECT_EQ(Pixel(hot, 40, 1), 0xFFFFFF);
    EXPECT_EQ(Pixel(hot, 2, 2), Pixel(hotInactive, 2, 2) ^ 0xFFFFFF);

    // The default button at rest gets the frame without the focus.
    QuButtonTestAccess::SetHasFocus(button, false);
    QuButtonTestAccess::SetDisplayAsDefault(button, true);
    const QImage asDefault = host.Draw(0);
    EXPECT_EQ(Pixel(asDefault, 40, 1), 0xFBD848);
    EXPECT_EQ(Pixel(asDefault, 2, 2), Pixel(inactive, 2, 2));
}

TEST(QuButtonStyle3, RegionHasRoundedCorners)
{
    OneButton host(3, 23);
    host.Draw(0);
    const QRegion mask = host.Button().hWnd()->mask();
    ASSERT_FALSE(mask.isEmpty());
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_TRUE(mask.contains(QPoint(1, 0)));
    EXPECT_FALSE(mask.contains(QPoint(79, 22)));
    EXPECT_TRUE(mask.contains(QPoint(40, 11)));
}

TEST(QuButtonStyle8, MainMenuColoursSplitAtHeightOver2Point7)
{
    OneButton host(8, 30);
    const QImage face = host.Draw(0);
    const std::int32_t b = MainMenuBlue;
    const std::int32_t top = AverageColors(ShiftColor(b, 0.09f), 0xFFFFFF);
    const std::int32_t upperEnd = AverageColors(ShiftColor(b, 0.07f), b);
    // s = round(30 / 2.7) = 11, r = round(18.89) = 19: rows 0..10 and 11..29.
    EXPECT_EQ(Pixel(face, 40, 1), Entry(top, upperEnd, 10, 1));
    EXPECT_EQ(Pixel(face, 40, 10), upperEnd);
    EXPECT_EQ(Pixel(face, 40, 11), b);
    EXPECT_EQ(Pixel(face, 40, 28), Entry(b, ShiftColor(b, 0.03f), 18, 17));
    const std::int32_t frame = ShiftColor(b, -0.34f);
    EXPECT_EQ(frame, 0xA84200);
    EXPECT_EQ(Pixel(face, 40, 0), frame);
    EXPECT_EQ(Pixel(face, 40, 29), frame);
    EXPECT_EQ(Pixel(face, 0, 15), frame);
    EXPECT_EQ(Pixel(face, 1, 1), Entry(top, upperEnd, 10, 1)); // no corner pixels in style 8
    EXPECT_TRUE(host.Button().hWnd()->mask().contains(QPoint(0, 0)));

    // The red exit button of the main menu derives its frame and face the same way.
    OneButton exitButton(8, 30, 0x0000C0);
    const QImage red = exitButton.Draw(0);
    EXPECT_EQ(Pixel(red, 40, 11), 0x0000C0);
    EXPECT_EQ(Pixel(red, 40, 0), ShiftColor(0x0000C0, -0.34f));
}

TEST(QuButtonStyle8, HotDownAndCheckedFaces)
{
    OneButton host(8, 30);
    const QImage hot = host.Draw(1);
    EXPECT_EQ(Pixel(hot, 40, 1), Entry(0xE1FFFF, 0xACEAFF, 10, 1));
    EXPECT_EQ(Pixel(hot, 40, 11), 0x67D7FF);
    EXPECT_EQ(Pixel(hot, 40, 29), 0xA84200);
    const QImage down = host.Draw(2);
    EXPECT_EQ(Pixel(down, 40, 1), Entry(0x58C1FF, 0x51AFFF, 10, 1));
    EXPECT_EQ(Pixel(down, 40, 11), 0x468FFF);

    OneButton checked(8, 30, MainMenuBlue, QStringLiteral("            Mode = 2\n            Value = True\n"));
    QuButtonTestAccess::SetMouseOver(checked.Button(), false);
    const QImage away = checked.Draw(0);
    EXPECT_EQ(Pixel(away, 40, 11), 0x3FABFF);
    EXPECT_EQ(Pixel(away, 40, 1), Entry(0xA9D9FF, 0x6FC0FF, 10, 1));
    QuButtonTestAccess::SetMouseOver(checked.Button(), true);
    const QImage over = checked.Draw(1);
    EXPECT_EQ(Pixel(over, 40, 11), 0x468FFF);
    EXPECT_EQ(Pixel(over, 40, 0), 0xA84200);
}

TEST(QuButtonStyle8, DisabledFaceEqualsEnabledFace)
{
    OneButton enabled(8, 25, 0xFFD1AD);
    OneButton disabled(8, 25, 0xFFD1AD, QStringLiteral("            Enabled = False\n"));
    const QImage a = enabled.Draw(0);
    const QImage b = disabled.Draw(0);
    EXPECT_EQ(a, b); // empty captions: only the face, which ignores Enabled
}

TEST(QuButtonDrawing, PaintersReleaseWhatTheyCreate)
{
    OneButton host(3, 23);
    host.Draw(0);
    const int before = gdi::LiveGdiObjects();
    for (const int state : {0, 1, 2}) {
        host.Draw(state);
    }
    host.Button().SetButtonStyle(8);
    const int afterStyle = gdi::LiveGdiObjects();
    for (const int state : {0, 1, 2}) {
        host.Draw(state);
    }
    EXPECT_EQ(gdi::LiveGdiObjects(), afterStyle);
    EXPECT_LE(afterStyle, before + 1); // at most the window's region changed hands
}

TEST(QuButtonDrawing, RegionRefusedByAMissingWindowIsFreed)
{
    // A button that is not placed has no window: the region it makes cannot be handed over.
    QuButton loose;
    const int before = gdi::LiveGdiObjects();
    loose.SetButtonStyle(3);
    loose.SetButtonStyle(8);
    EXPECT_EQ(gdi::LiveGdiObjects(), before);
}
