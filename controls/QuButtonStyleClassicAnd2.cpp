// The classic painters (ButtonStyle 0 raised, 1 thin, 11 flat rising on hover, 12 flat with a thin
// hover border; the exam screen's question numbers are style 12) built from the platform's
// three-dimensional borders, and ButtonStyle 2, the soft gradient face that a themed button falls
// back to. Coordinates are pixels from the control's top-left corner.
#include "QuButton.h"

#include "QuButtonColors.h"

using namespace gdi;
using QuButtonColors::AverageColors;
using QuButtonColors::ShiftColor;

namespace {

constexpr int SystemAppWorkspace = static_cast<int>(0x8000000C);
constexpr int SystemGrayText = static_cast<int>(0x80000011);

// The eight border lines of style 2 in one set of colours, in drawing order.
struct BorderColors {
    std::int32_t Line[8];
};

constexpr BorderColors HotBorder{{0x89D8FD, 0xCFF0FF, 0x49BDF9, 0x49BDF9, 0x7AD2FC, 0x7AD2FC, 0x30B3F8, 0x0097E5}};
constexpr BorderColors FocusBorderBlue{
    {0xF6D4BC, 0xFFE7CE, 0xE6AF8E, 0xE6AF8E, 0xF4D1B8, 0xF4D1B8, 0xE4AD89, 0xEE8269}};
constexpr BorderColors FocusBorderGreen{
    {0x8FD1C2, 0x80CBB1, 0x68C8A0, 0x68C8A0, 0x68C8A0, 0x68C8A0, 0x68C8A0, 0x66A7A8}};
constexpr BorderColors FocusBorderWhiteRing{
    {0xF6D4BC, 0xFFE7CE, 0xE6AF8E, 0xE6AF8E, 0xFFFFFF, 0xFFFFFF, 0xE4AD89, 0xEE8269}};

} // namespace

void QuButton::PaintStyleClassic(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    mClientRect = RECT{0, 0, w, h};
    RECT c = mClientRect;
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const int style = mButtonStyle;

    if (!mEnabled) {
        if (style == 0) {
            DrawEdge(mDC, &c, EDGE_RAISED, BF_RECT);
        } else if (style == 1) {
            DrawEdge(mDC, &c, BDR_RAISEDINNER, BF_RECT);
        }
        DrawPictureAndCaption();
        return;
    }

    if (mMode != 0 && mValue) {
        FillRectangle(ShiftColor(b, 0.02f), c);
        DrawPictureAndCaption();
        if (style == 12) {
            return;
        }
        DrawEdge(mDC, &c, EDGE_SUNKEN, BF_RECT);
        if (style == 0 && mShowFocusRect && mHasFocus) {
            DrawRectangle(4, 4, w - 7, h - 7, TranslateColor(SystemAppWorkspace, 0));
        }
        return;
    }

    switch (state) {
    case 0:
        CreateButtonRegion();
        FillRectangle(b, c);
        DrawPictureAndCaption();
        if (style == 0) {
            DrawEdge(mDC, &c, EDGE_RAISED, BF_RECT);
        } else if (style == 1) {
            DrawEdge(mDC, &c, BDR_RAISEDINNER, BF_RECT);
        }
        break;
    case 1:
        FillRectangle(b, c);
        DrawPictureAndCaption();
        if (style == 1 || style == 12) {
            DrawEdge(mDC, &c, BDR_RAISEDINNER, BF_RECT);
        } else {
            DrawEdge(mDC, &c, EDGE_RAISED, BF_RECT);
        }
        break;
    case 2:
        FillRectangle(b, c);
        DrawPictureAndCaption();
        if (style == 0) {
            DrawRectangle(1, 1, w - 2, h - 2, 0x99A8AC);
            DrawRectangle(0, 0, w, h, 0x000000);
        } else if (style == 1 || style == 12) {
            // The grey frame is one pixel larger: its right and bottom sides fall outside.
            DrawRectangle(0, 0, w, h, 0xFFFFFF);
            DrawRectangle(0, 0, w + 1, h + 1, TranslateColor(SystemGrayText, 0));
        } else {
            DrawEdge(mDC, &c, EDGE_SUNKEN, BF_RECT);
        }
        break;
    default:
        break;
    }

    if (!mHasFocus && !mDisplayAsDefault) {
        return;
    }
    if (Ambient().UserMode && mShowFocusRect) {
        const int inset = (style == 0 || style == 11) ? 4 : 3;
        const RECT focus{inset, inset, w - inset, h - inset};
        if (mParentActive) {
            DrawFocusRectangle(focus);
        }
    }
    if (state == 2 || style != 0) {
        return;
    }
    RECT inner{0, 0, w - 1, h - 1};
    DrawEdge(mDC, &inner, EDGE_RAISED, BF_RECT);
    DrawRectangle(0, 0, w - 1, h - 1, TranslateColor(SystemAppWorkspace, 0));
    DrawRectangle(0, 0, w, h, 0x000000);
}

void QuButton::PaintStyle2(int state)
{
    RefreshScaleSize();
    const int w = mScaleWidth;
    const int h = mScaleHeight;
    const RECT c{0, 0, w, h};
    const std::int32_t b = TranslateColor(mBackColor, 0);
    const int m = RoundHalfEven(h / 2.0);
    const bool soft = mColorScheme == 0 || mColorScheme == 1 || mColorScheme == 3;
    const bool halves = mColorScheme == 2;
    constexpr int Vertical = 1;

    auto border = [this, w, h](const BorderColors& colors) {
        DrawLine(1, 2, w - 2, 2, colors.Line[0]);
        DrawLine(1, 1, w - 2, 1, colors.Line[1]);
        DrawLine(1, 1, 1, h - 2, colors.Line[2]);
        DrawLine(w - 2, 2, w - 2, h - 2, colors.Line[3]);
        DrawLine(2, 2, 2, h - 3, colors.Line[4]);
        DrawLine(w - 3, 3, w - 3, h - 3, colors.Line[5]);
        DrawLine(2, h - 3, w - 2, h - 3, colors.Line[6]);
        DrawLine(2, h - 2, w - 2, h - 2, colors.Line[7]);
    };
    auto softFace = [&] {
        DrawGradient(0, 0, w, h, ShiftColor(b, 0.07f), b, Vertical);
        DrawGradient(0, 0, w, 4, ShiftColor(b, 0.1f), ShiftColor(b, 0.08f), Vertical);
    };
    auto halvesFace = [&] {
        DrawGradient(0, 0, w, m, ShiftColor(b, 0.22f), b, Vertical);
        DrawGradient(0, m, w, m, ShiftColor(b, -0.01f), ShiftColor(b, -0.15f), Vertical);
    };

    if (!mEnabled) {
        CreateButtonRegion();
        FillRectangle(AverageColors(static_cast<std::int32_t>(GetSysColor(COLOR_BTNFACE)), ShiftColor(b, 0.1f)), c);
        DrawPictureAndCaption();
        DrawRectangle(0, 0, w, h, ShiftColor(b, -0.1f));
        DrawCornerPixels(ShiftColor(b, -0.1f));
        return;
    }

    switch (state) {
    case 0:
        CreateButtonRegion();
        if (soft) {
            softFace();
            DrawPictureAndCaption();
            DrawLine(1, h - 2, w - 2, h - 2, ShiftColor(b, -0.09f));
            DrawLine(1, h - 3, w - 2, h - 3, ShiftColor(b, -0.05f));
            DrawLine(1, h - 4, w - 2, h - 4, ShiftColor(b, -0.01f));
            DrawLine(w - 2, 2, w - 2, h - 2, ShiftColor(b, -0.08f));
            DrawLine(1, 1, 1, h - 2, AverageColors(0xFFFFFF, b));
        } else if (halves) {
            halvesFace();
            DrawPictureAndCaption();
            DrawLine(w - 2, 2, w - 2, h - 2, 0xFFFFFF);
            DrawLine(1, 1, 1, h - 2, 0xFFFFFF);
        }
        break;
    case 1:
        if (soft) {
            softFace();
            DrawPictureAndCaption();
        } else if (halves) {
            halvesFace();
            DrawPictureAndCaption();
        }
        border(HotBorder);
        break;
    case 2:
        if (soft) {
            FillRectangle(ShiftColor(b, -0.05f), c);
            DrawPictureAndCaption();
            DrawLine(1, 1, w - 2, 1, ShiftColor(b, -0.16f));
            DrawLine(1, 2, w - 2, 2, ShiftColor(b, -0.1f));
            DrawLine(1, h - 2, w - 2, h - 2, ShiftColor(b, 0.01f));
            DrawLine(1, 1, 1, h - 2, ShiftColor(b, -0.16f));
            DrawLine(2, 2, 2, h - 2, ShiftColor(b, -0.1f));
            DrawLine(w - 2, 2, w - 2, h - 2, ShiftColor(b, 0.04f));
        } else if (halves) {
            DrawGradient(0, 0, w, h - 6, ShiftColor(b, -0.2f), ShiftColor(b, 0.05f), Vertical);
            // h - 1 rows from row h - 6: only the first six show, close to the first colour.
            DrawGradient(0, h - 6, w, h - 1, ShiftColor(b, 0.08f), 0xFFFFFF, Vertical);
            DrawPictureAndCaption();
            DrawRectangle(1, 1, w - 2, h - 2, 0xFFFFFF);
        }
        break;
    default:
        break;
    }

    const bool focusOrDefault = mHasFocus || mDisplayAsDefault;
    if (mParentActive && focusOrDefault && state != 1 && state != 2) {
        if (mColorScheme == 0 || mColorScheme == 3) {
            border(FocusBorderBlue);
        } else if (mColorScheme == 1) {
            border(FocusBorderGreen);
        } else if (mColorScheme == 2) {
            border(FocusBorderWhiteRing);
        }
    }
    if (mParentActive && mShowFocusRect && focusOrDefault) {
        DrawFocusRectangle(RECT{2, 2, w - 2, h - 2});
    }
    if (mColorScheme == 0 || mColorScheme == 2 || mColorScheme == 3) {
        DrawRectangle(0, 0, w, h, 0x743C00);
        DrawCornerPixels(ShiftColor(0x743C00, 0.3f));
    } else if (mColorScheme == 1) {
        DrawRectangle(0, 0, w, h, 0x066237);
        DrawCornerPixels(ShiftColor(0x066237, 0.3f));
    }
}
