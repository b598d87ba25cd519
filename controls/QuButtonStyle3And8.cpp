// The painters of ButtonStyle 3 (exam screen, choosers, results) and ButtonStyle 8 (main menu, key
// settings). Coordinates are pixels from the control's top-left corner; every painter draws in a
// fixed order and later steps paint over earlier ones.
#include "QuButton.h"

#include "QuButtonColors.h"

using QuButtonColors::AverageColors;
using QuButtonColors::ShiftColor;

namespace {

constexpr int Vertical = 1;
constexpr int Horizontal = 0;

} // namespace

void QuButton::PaintStyle3(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const std::int32_t b5 = ShiftColor(b, 0.05f);
    const int split = RoundHalfEven(h / 2.0);
    const int upperBand = RoundHalfEven(h / 2.0 - 2);
    const int lowerBand = RoundHalfEven(h / 2.0 - 1);

    if (!mEnabled) {
        CreateButtonRegion();
        FillRectangle(ShiftColor(b, 0.03f), gdi::RECT{0, 0, w, h});
        DrawPictureAndCaption();
        DrawRectangle(0, 0, w, h, ShiftColor(b, -0.25f));
        DrawRectangle(1, 1, w - 2, h - 2, ShiftColor(b, 0.25f));
        DrawCornerPixels(ShiftColor(b, -0.03f));
        return;
    }

    switch (state) {
    case 0:
        CreateButtonRegion();
        DrawGradient(1, 1, w - 1, h, b5, b, Vertical);
        // The lower gradient is h - 2 rows high from the middle row on: only its upper part shows.
        DrawGradient(1, split, w - 2, h - 2, ShiftColor(b, -0.02f), ShiftColor(b, -0.15f), Vertical);
        DrawPictureAndCaption();
        DrawRectangle(0, 0, w, h, 0x707070);
        DrawRectangle(1, 1, w - 2, h - 2, 0xFFFFFF);
        break;
    case 1:
        DrawGradient(1, 1, w - 2, split, 0xFFF7E4, 0xFFF3DA, Vertical);
        DrawGradient(1, split, w - 2, h - 2, 0xFFE9C1, 0xFDE1AE, Vertical);
        DrawGradient(1, 3, 5, upperBand, 0xFFEECD, 0xFFF7E4, Horizontal);
        DrawGradient(1, split, 5, lowerBand, 0xFAD68F, ShiftColor(0xFDE1AC, 0.01f), Horizontal);
        DrawGradient(w - 6, 3, 5, upperBand, 0xFFF7E4, 0xFFEECD, Horizontal);
        DrawGradient(w - 6, split, 5, lowerBand, ShiftColor(0xFDE1AC, 0.01f), 0xFAD68F, Horizontal);
        DrawPictureAndCaption();
        DrawRectangle(0, 0, w, h, 0xA77532);
        DrawRectangle(1, 1, w - 2, h - 2, 0xFFFFFF);
        break;
    case 2:
        DrawGradient(1, 1, w - 1, h, 0xF6E4C2, 0xF6E4C2, Vertical);
        DrawGradient(1, split, w - 2, h - 2, 0xF0D29A, 0xF0D29A, Vertical);
        DrawRectangle(0, 0, w, h, 0x5C411D);
        DrawLine(1, 1, w - 1, 1, 0xB39C71);
        DrawLine(1, 2, w - 1, 2, 0xD6C6A9);
        DrawLine(1, 3, w - 1, 3, 0xECD9B9);
        DrawLine(1, 1, 1, RoundHalfEven(h / 2.0 - 1), 0xCFB073);
        DrawGradient(1, 3, 5, upperBand, ShiftColor(0xE6C891, 0.02f), ShiftColor(0xF6E4C2, -0.01f), Horizontal);
        DrawGradient(1, split, 5, lowerBand, ShiftColor(0xDCAB4E, 0.02f), ShiftColor(0xF0D29A, -0.01f), Horizontal);
        DrawGradient(w - 6, 3, 5, upperBand, ShiftColor(0xF6E4C2, -0.01f), ShiftColor(0xE6C891, 0.02f), Horizontal);
        DrawGradient(w - 6, split, 5, lowerBand, ShiftColor(0xF0D29A, -0.01f), ShiftColor(0xDCAB4E, 0.02f), Horizontal);
        DrawPictureAndCaption();
        break;
    default:
        // Only 0, 1 and 2 are drawing states: anything else gets no face, only the closing steps.
        break;
    }

    if (mParentActive) {
        if (state == 0 && (mHasFocus || mDisplayAsDefault)) {
            DrawRectangle(0, 0, w, h, 0xA77532);
            DrawRectangle(1, 1, w - 2, h - 2, 0xFBD848);
        }
        if (mShowFocusRect && mHasFocus) {
            DrawFocusRectangle(gdi::RECT{2, 2, w - 2, h - 2});
        }
    }
    DrawCornerPixels(0xBE965F);
}

void QuButton::PaintStyle8(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const int split = RoundHalfEven(h / 2.7);
    const int lower = RoundHalfEven(h - h / 2.7);
    const std::int32_t frame = ShiftColor(b, -0.34f);

    if (mMode != 0 && mValue) {
        DrawGradient(0, 0, w, split, 0xA9D9FF, 0x6FC0FF, Vertical);
        DrawGradient(0, split, w, lower, 0x3FABFF, 0x75E1FF, Vertical);
        DrawRectangle(0, 0, w, h, frame);
        if (mMouseOver) {
            DrawGradient(0, 0, w, split, 0x58C1FF, 0x51AFFF, Vertical);
            DrawGradient(0, split, w, lower, 0x468FFF, 0x5FD3FF, Vertical);
            DrawRectangle(0, 0, w, h, frame);
        }
        DrawPictureAndCaption();
        return;
    }

    switch (state) {
    case 0:
        FillRectangle(b, mClientRect);
        DrawGradient(0, 0, w, split, AverageColors(ShiftColor(b, 0.09f), 0xFFFFFF),
                     AverageColors(ShiftColor(b, 0.07f), b), Vertical);
        DrawGradient(0, split, w, lower, b, ShiftColor(b, 0.03f), Vertical);
        break;
    case 1:
        DrawGradient(0, 0, w, split, 0xE1FFFF, 0xACEAFF, Vertical);
        DrawGradient(0, split, w, lower, 0x67D7FF, 0x99E4FF, Vertical);
        break;
    case 2:
        DrawGradient(0, 0, w, split, 0x58C1FF, 0x51AFFF, Vertical);
        DrawGradient(0, split, w, lower, 0x468FFF, 0x5FD3FF, Vertical);
        break;
    default:
        return;
    }
    DrawPictureAndCaption();
    DrawRectangle(0, 0, w, h, frame);
}
