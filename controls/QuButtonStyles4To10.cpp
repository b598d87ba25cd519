// The painters of ButtonStyle 4 (flat, coloured only while hot, down or checked), 6 (flat with
// light-grey faces), 9 (white fading into the back colour) and 10 (two bands derived from the
// back colour; the main menu's login pair). Coordinates are pixels from the top-left corner.
#include "QuButton.h"

#include "QuButtonColors.h"

using namespace gdi;
using QuButtonColors::AverageColors;
using QuButtonColors::ShiftColor;

namespace {

constexpr int Vertical = 1;
constexpr int SystemButtonText = static_cast<int>(0x80000012);

} // namespace

void QuButton::PaintStyle4(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const RECT r{0, 0, w, h};
    std::int32_t face = 0x000000;
    std::int32_t frame = 0x000000;
    switch (mColorScheme) {
    case 0:
        face = 0xEED2C1;
        frame = 0xC56A31;
        break;
    case 1:
        face = 0xBAD6D4;
        frame = 0x70A093;
        break;
    case 2:
        face = 0xE3DFE0;
        frame = 0xBFB4B2;
        break;
    case 3:
        face = b;
        frame = ShiftColor(b, -0.12f);
        break;
    default:
        break;
    }

    if (mMode != 0 && mValue) {
        FillRectangle(ShiftColor(face, -0.05f), r);
        DrawRectangle(0, 0, w, h, frame);
        if (mMouseOver) {
            FillRectangle(ShiftColor(face, -0.01f), r);
            DrawRectangle(0, 0, w, h, frame);
        }
        DrawPictureAndCaption();
        return;
    }
    switch (state) {
    case 0:
        FillRectangle(b, r);
        break;
    case 1:
        FillRectangle(ShiftColor(face, 0.03f), r);
        break;
    case 2:
        FillRectangle(ShiftColor(face, -0.08f), r);
        break;
    default:
        break;
    }
    DrawPictureAndCaption();
    // The field, not the argument: the normal look has no frame at all.
    if (mButtonState != 0) {
        DrawRectangle(0, 0, w, h, frame);
    }
}

void QuButton::PaintStyle6(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const int m = RoundHalfEven(h / 2.0);
    const RECT r{0, 0, w, h};

    // This style writes its caption colour on every paint: white when down.
    mForeColor = state == 2 ? 0xFFFFFF : TranslateColor(SystemButtonText, 0);
    const bool checked = mMode != 0 && mValue;
    if (checked && mMouseDown) {
        state = 2;
    }
    if (checked && state != 2) {
        FillRectangle(0xFEFEFE, r);
        mForeColor = TranslateColor(SystemButtonText, 0);
        DrawPictureAndCaption();
        DrawRectangle(0, 0, w, h, 0xAF987A);
        DrawCornerPixels(ShiftColor(0xC1B3A0, -0.2f));
        if (state == 1) {
            DrawLine(w - 2, 2, w - 2, h - 2, 0xEDF0F2);
            DrawLine(2, h - 2, w - 2, h - 2, 0xD8DEE4);
            DrawLine(1, h - 3, w - 1, h - 3, 0xE8ECEF);
            DrawLine(1, h - 4, w - 1, h - 4, 0xF8F9FA);
        }
        return;
    }
    switch (state) {
    case 0:
        CreateButtonRegion();
        FillRectangle(b, r);
        DrawPictureAndCaption();
        break;
    case 1:
        DrawGradient(0, 0, w, m, 0xFDFEFE, 0xEEF4F4, Vertical);
        DrawGradient(0, m, w, m, 0xEEF4F4, 0xEAF1F1, Vertical);
        DrawPictureAndCaption();
        DrawLine(w - 2, 2, w - 2, h - 2, 0xE0E7EA);
        DrawLine(w - 3, 2, w - 3, h - 2, 0xEAF0F0);
        DrawLine(0, h - 4, w, h - 4, 0xE5EDEE);
        DrawLine(0, h - 3, w, h - 3, 0xD6E1E4);
        DrawLine(0, h - 2, w, h - 2, 0xC6D2D7);
        DrawRectangle(0, 0, w, h, 0xC3CECE);
        DrawCornerPixels(ShiftColor(0xC9D4D4, -0.05f));
        break;
    case 2:
        FillRectangle(0xDDE4E5, r);
        DrawPictureAndCaption();
        DrawLine(1, 1, w - 2, 1, ShiftColor(0xD1DADC, -0.02f));
        DrawLine(1, 2, w - 2, 2, ShiftColor(0xDAE1E3, -0.02f));
        DrawLine(1, h - 3, w - 2, h - 3, ShiftColor(0xDEE5E6, 0.02f));
        DrawLine(1, h - 2, w - 2, h - 2, ShiftColor(0xE5EAEB, 0.02f));
        DrawRectangle(0, 0, w, h, 0x929D9D);
        DrawCornerPixels(ShiftColor(0xABB4B5, -0.2f));
        break;
    default:
        break;
    }
}

void QuButton::PaintStyle9(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const int m = RoundHalfEven(h / 2.0);

    // A disabled button has the normal face; only its caption differs.
    const int look = mEnabled ? state : 0;
    switch (look) {
    case 0:
    case 1:
        if (look == 0) {
            CreateButtonRegion();
            mClientRect = RECT{0, 0, w, h};
        }
        DrawGradient(0, 0, w, m, 0xFFFFFF, b, Vertical);
        DrawGradient(0, m, w, h, b, b, Vertical);
        DrawPictureAndCaption();
        // One row higher than the face: only the top, left and right sides show.
        DrawRectangle(1, 1, w - 2, h, 0xFFFFFF);
        DrawRectangle(0, 0, w, h, ShiftColor(b, -0.2f));
        DrawLine(2, h - 1, w - 2, h - 1, ShiftColor(b, -0.25f));
        break;
    case 2:
        DrawGradient(0, 0, w, m, 0xFFFFFF, ShiftColor(b, -0.1f), Vertical);
        DrawGradient(0, m, w, h, ShiftColor(b, -0.1f), ShiftColor(b, -0.05f), Vertical);
        DrawPictureAndCaption();
        DrawRectangle(1, 1, w - 2, h, 0xFFFFFF);
        DrawRectangle(0, 0, w, h, ShiftColor(b, -0.23f));
        DrawLine(2, h - 1, w - 2, h - 1, ShiftColor(b, -0.4f));
        break;
    default:
        break;
    }
    DrawCornerPixels(ShiftColor(b, 0.05f));
    if (mParentActive && mShowFocusRect && (mHasFocus || mDisplayAsDefault)) {
        DrawFocusRectangle(RECT{3, 3, w - 3, h - 3});
    }
}

void QuButton::PaintStyle10(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const std::int32_t light = AverageColors(b, 0xFFFFFF);
    const std::int32_t down36 = ShiftColor(b, -0.36f);

    struct Look {
        std::int32_t Fill, Upper1, Upper2, Lower1, Lower2, Frame, Corner;
    };
    Look look{};
    if (!mEnabled) {
        look = {b,
                ShiftColor(light, 0.05f),
                b,
                ShiftColor(b, -0.02f),
                AverageColors(0xFFFFFF, ShiftColor(b, 0.08f)),
                ShiftColor(b, -0.2f),
                ShiftColor(b, -0.23f)};
    } else if (state == 0) {
        look = {ShiftColor(b, -0.03f),
                ShiftColor(light, 0.1f),
                b,
                ShiftColor(b, -0.05f),
                AverageColors(0xFFFFFF, ShiftColor(b, 0.1f)),
                ShiftColor(b, -0.33f),
                down36};
    } else if (state == 1) {
        look = {ShiftColor(b, -0.03f),
                ShiftColor(light, 0.15f),
                b,
                ShiftColor(b, -0.05f),
                AverageColors(0xFFFFFF, ShiftColor(b, 0.2f)),
                ShiftColor(b, -0.28f),
                down36};
    } else if (state == 2) {
        look = {ShiftColor(b, -0.03f),
                ShiftColor(light, 0.1f),
                b,
                ShiftColor(b, -0.08f),
                AverageColors(0xFFFFFF, ShiftColor(b, 0.05f)),
                down36,
                down36};
    } else {
        DrawCornerPixels(down36);
        return;
    }

    if (state == 0) {
        CreateButtonRegion();
    }
    FillRectangle(look.Fill, RECT{0, 0, w, h});
    DrawGradient(0, 0, w, 5, look.Upper1, look.Upper2, Vertical);
    // h - 1 rows from row 6: the band runs past the bottom edge and only its upper rows show.
    DrawGradient(0, 6, w, h - 1, look.Lower1, look.Lower2, Vertical);
    DrawPictureAndCaption();
    DrawRectangle(0, 0, w, h, look.Frame);
    DrawCornerPixels(look.Corner);
}
