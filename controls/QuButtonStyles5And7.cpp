// The painters of ButtonStyle 5 (a glossy face that turns yellow and orange under the pointer and
// when pressed or checked) and 7 (flat, a pale blue gradient only while hot or pressed).
// Coordinates are pixels from the control's top-left corner.
#include "QuButton.h"

#include "QuButtonColors.h"

using namespace gdi;
using QuButtonColors::AverageColors;
using QuButtonColors::ShiftColor;

namespace {

constexpr int Vertical = 1;

} // namespace

void QuButton::PaintStyle5(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    SetRect(&mClientRect, 0, 0, w, h);

    if (mMode != 0 && mValue) {
        if (mMouseOver) {
            DrawGradient(0, 0, w, h, 0x4E91FE, 0x8ED3FF, Vertical);
        } else {
            DrawGradient(0, 0, w, h, 0x8CD5FF, 0x55ADFF, Vertical);
        }
        DrawPictureAndCaption();
        DrawRectangle(0, 0, w, h, 0x800000);
        return;
    }
    switch (state) {
    case 0: {
        CreateButtonRegion();
        const int half = RoundHalfEven(h / 2.0);
        DrawGradient(0, 0, w, half, AverageColors(0xFFFFFF, ShiftColor(b, 0.08f)), b, Vertical);
        DrawGradient(0, half, w, RoundHalfEven(h / 2.0 + 1), b, ShiftColor(b, -0.15f), Vertical);
        break;
    }
    case 1:
        DrawGradient(0, 0, w, h, 0xCCF4FF, 0x91D0FF, Vertical);
        break;
    case 2:
        DrawGradient(0, 0, w, h, 0x4E91FE, 0x8ED3FF, Vertical);
        break;
    default:
        break;
    }
    DrawPictureAndCaption();
    if (mButtonState != 0) {
        DrawRectangle(0, 0, w, h, 0x800000);
    }
}

void QuButton::PaintStyle7(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);

    if (!mEnabled) {
        FillRectangle(b, mClientRect);
        DrawPictureAndCaption();
        DrawCornerPixels(b);
        return;
    }
    switch (state) {
    case 0:
        CreateButtonRegion();
        FillRectangle(b, RECT{0, 0, w, h});
        DrawPictureAndCaption();
        return;
    case 1:
        DrawGradient(1, 1, w - 2, h - 2, 0xFDF9F1, 0xF8ECD0, Vertical);
        // A solid fill from row round(h / 1.7) down; rows beyond the control are clipped.
        DrawGradient(1, RoundHalfEven(h / 1.7), w - 2, h - 2, 0xF8ECD0, 0xF8ECD0, Vertical);
        break;
    case 2:
        DrawGradient(1, 1, w - 2, h - 2, 0xF1DEB0, 0xF9F1DB, Vertical);
        break;
    default:
        return;
    }
    DrawPictureAndCaption();
    DrawRectangle(0, 0, w, h, 0xCA9E61);
    DrawRectangle(1, 1, w - 2, h - 2, 0xFFFFFF);
    DrawCornerPixels(ShiftColor(0xCA9E61, 0.3f));
}
