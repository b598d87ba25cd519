// The drawing core of the button: primitives, the repaint with its style dispatch, the window
// region, gradients, colour schemes and the layout of picture, caption and drop-down symbol.
// Everything is drawn straight into the control's surface in pixels; pens, brushes and fonts are
// made per call and released before returning.
#include "QuButton.h"

#include "QuButtonColors.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace gdi;
using QuButtonColors::ShiftColor;

namespace {

constexpr int SystemButtonText = static_cast<int>(0x80000012);

void MoveRect(RECT& r, int dx, int dy)
{
    OffsetRect(&r, dx, dy);
}

// Selects the object into the DC for the lifetime of the guard and deletes it afterwards.
template <typename Handle> class SelectedObject {
public:
    SelectedObject(HDC dc, Handle object) : mDC(dc), mObject(object), mPrevious(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (mPrevious != nullptr) {
            SelectObject(mDC, mPrevious);
        }
        DeleteObject(mObject);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC mDC;
    Handle mObject;
    Handle mPrevious;
};

} // namespace

int QuButton::RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

void QuButton::RefreshScaleSize()
{
    mScaleWidth = RoundHalfEven(ScaleWidth());
    mScaleHeight = RoundHalfEven(ScaleHeight());
}

std::int32_t QuButton::TranslateColor(int oleColor, int palette) const
{
    (void)palette; // every caller passes 0: there are no palettes here
    COLORREF result = 0;
    if (OleTranslateColor(static_cast<OLE_COLOR>(oleColor), nullptr, &result) != S_OK) {
        return -1;
    }
    return static_cast<std::int32_t>(result);
}

// ---- primitives ---------------------------------------------------------------------------------

void QuButton::DrawLine(int x1, int y1, int x2, int y2, std::int32_t color)
{
    SelectedObject<HPEN> pen(mDC, CreatePen(PS_SOLID, 1, static_cast<COLORREF>(color)));
    MoveToEx(mDC, x1, y1, nullptr);
    LineTo(mDC, x2, y2);
}

void QuButton::DrawRectangle(int x, int y, int width, int height, std::int32_t color)
{
    const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
    const RECT r{x, y, x + width, y + height};
    FrameRect(mDC, &r, brush);
    DeleteObject(brush);
}

void QuButton::FillRectangle(std::int32_t color, const RECT& r)
{
    const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
    FillRect(mDC, &r, brush);
    DeleteObject(brush);
}

void QuButton::DrawGradient(int x, int y, int width, int height, std::int32_t color1, std::int32_t color2,
                            int direction)
{
    if (width < 1 || height < 1) {
        return;
    }
    int n = 0;
    switch (direction) {
    case 0:
        n = width - 1;
        break;
    case 1:
        n = height - 1;
        break;
    default:
        n = width + height - 2;
        break;
    }
    std::vector<std::int32_t> line(static_cast<std::size_t>(n) + 1);
    QuButtonColors::GradientLine(color1, color2, n, line.data());

    // A bottom-up 32-bit DIB: the first row in memory is the bottom row; pixel value
    // red x 65536 + green x 256 + blue.
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const int top = height - 1 - row; // the row counted from the top
        std::uint32_t* out = bits.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        for (int column = 0; column < width; ++column) {
            int index = 0;
            switch (direction) {
            case 0:
                index = column;
                break;
            case 1:
                index = top;
                break;
            case 2:
                index = column + top;
                break;
            default:
                index = column + (height - 1 - top);
                break;
            }
            const std::int32_t c = line[static_cast<std::size_t>(index)];
            out[column] = static_cast<std::uint32_t>(QuButtonColors::Red(c) * 65536 + QuButtonColors::Green(c) * 256 +
                                                     QuButtonColors::Blue(c));
        }
    }
    BITMAPINFO info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(mDC, x, y, width, height, 0, 0, width, height, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void QuButton::DrawCornerPixels(std::int32_t color)
{
    const auto c = static_cast<COLORREF>(color);
    SetPixel(mDC, 1, 1, c);
    SetPixel(mDC, 1, mScaleHeight - 2, c);
    SetPixel(mDC, mScaleWidth - 2, 1, c);
    SetPixel(mDC, mScaleWidth - 2, mScaleHeight - 2, c);
}

void QuButton::DrawFocusRectangle(const RECT& r)
{
    ::gdi::DrawFocusRect(mDC, &r);
}

HFONT QuButton::CreateMarlettFont(int height)
{
    LOGFONT font;
    font.lfFaceName = QStringLiteral("Marlett");
    font.lfHeight = height;
    font.lfCharSet = SYMBOL_CHARSET;
    return CreateFontIndirect(font);
}

// ---- region -------------------------------------------------------------------------------------

void QuButton::CreateButtonRegion()
{
    RefreshScaleSize();
    HRGN region = nullptr;
    switch (mButtonStyle) {
    case 2:
    case 3:
    case 7:
    case 9:
        region = CreateRoundRectRgn(0, 0, mScaleWidth + 1, mScaleHeight + 1, 3, 3);
        break;
    case 6:
    case 10:
        region = CreateRoundRectRgn(0, 0, mScaleWidth + 1, mScaleHeight + 1, 4, 4);
        break;
    default:
        region = CreateRectRgn(0, 0, RoundHalfEven(ScaleWidth()), RoundHalfEven(ScaleHeight()));
        break;
    }
    // The window owns a region it accepted; one it refused (no window yet) is still ours and would
    // otherwise never be freed.
    if (SetWindowRgn(hWnd(), region, TRUE) == 0) {
        DeleteObject(region);
        region = nullptr;
    }
    mRegion = region;
}

// ---- repaint ------------------------------------------------------------------------------------

void QuButton::RedrawButton()
{
    QImage& surface = Image();
    if (surface.isNull()) {
        return;
    }
    // A repaint can start inside another (the style-13 fall-back sets properties); each one
    // works on a device context of its own.
    const HDC outer = mDC;
    mDC = CreateImageDC(&surface);
    if (mDC == nullptr) {
        mDC = outer;
        return;
    }
    const HFONT font = CreateFontFromQFont(mFont);
    const HFONT previousFont = SelectObject(mDC, font);
    SetBkMode(mDC, TRANSPARENT);
    SetTextColor(mDC, static_cast<COLORREF>(TranslateColor(UserControl::ForeColor(), 0)));

    FillRectangle(TranslateColor(UserControl::BackColor(), 0), RECT{0, 0, surface.width(), surface.height()});
    RefreshScaleSize();
    mClientRect = RECT{0, 0, mScaleWidth, mScaleHeight};
    if (mMode != 0 && mButtonStyle != 0 && mButtonStyle != 6 && mValue) {
        mButtonState = 2;
    }

    switch (mButtonStyle) {
    case 0:
    case 1:
    case 11:
    case 12:
        PaintStyleClassic(mButtonState);
        break;
    case 2:
        PaintStyle2(mButtonState);
        break;
    case 3:
        PaintStyle3(mButtonState);
        break;
    case 4:
        PaintStyle4(mButtonState);
        break;
    case 5:
        PaintStyle5(mButtonState);
        break;
    case 6:
        PaintStyle6(mButtonState);
        break;
    case 7:
        PaintStyle7(mButtonState);
        break;
    case 8:
        PaintStyle8(mButtonState);
        break;
    case 9:
        PaintStyle9(mButtonState);
        break;
    case 10:
        PaintStyle10(mButtonState);
        break;
    case 13:
        if (IsThemed()) {
            PaintStyleTheme(mButtonState);
        } else {
            // Without visual styles the themed look falls back to style 2 for good; this is also
            // what gets saved afterwards.
            mButtonStyle = 2;
            mColorScheme = 0;
            SetSchemeBackColor();
            PaintStyle2(mButtonState);
        }
        break;
    default:
        break;
    }

    SelectObject(mDC, previousFont);
    DeleteObject(font);
    DeleteDC(mDC);
    mDC = outer;
}

// ---- colour schemes -----------------------------------------------------------------------------

void QuButton::SetDefaultColorScheme()
{
    switch (mButtonStyle) {
    case 0:
    case 1:
    case 2:
    case 4:
    case 6:
    case 7:
    case 8:
    case 10:
        mColorScheme = 0;
        break;
    case 3:
    case 9:
        mColorScheme = 2;
        break;
    default:
        break;
    }
}

void QuButton::SetSchemeBackColor()
{
    // Values &H00BBGGRR per scheme 0, 1, 2 of the styles that have schemes.
    auto pick = [this](int scheme0, int scheme1, int scheme2) {
        switch (mColorScheme) {
        case 0:
            mBackColor = TranslateColor(scheme0, 0);
            break;
        case 1:
            mBackColor = TranslateColor(scheme1, 0);
            break;
        case 2:
            mBackColor = TranslateColor(scheme2, 0);
            break;
        default:
            break;
        }
    };
    switch (mButtonStyle) {
    case 0:
    case 1:
    case 4:
    case 6:
    case 7:
    case 11:
    case 12:
        mBackColor = static_cast<int>(GetSysColor(COLOR_BTNFACE));
        break;
    case 2:
        pick(0xE7EBEC, 0xDBEEF3, 0xFCF1F0);
        break;
    case 3:
        pick(0xFDECE0, 0xDEEDE8, ShiftColor(0xD4D4D4, 0.06f));
        break;
    case 5:
        pick(0xFCE1CA, 0xBAD6D4, ShiftColor(0xBA9EA0, 0.15f));
        break;
    case 8:
    case 10:
        pick(0xFFD1AD, 0xBAD6D4, 0xE3DFE0);
        break;
    case 9:
        pick(0xFFD1AD, 0xBAD6D4, 0xE1D6D5);
        break;
    default:
        break;
    }
    mForeColor = TranslateColor(SystemButtonText, 0);
    mShowFocusRect = mButtonStyle == 0 || mButtonStyle == 1 || mButtonStyle == 9;
    if (mButtonStyle == 4) {
        mPicturePushOnHover = true;
    }
}

// ---- content layout -----------------------------------------------------------------------------

void QuButton::DrawPictureAndCaption()
{
    RefreshScaleSize();
    const bool dropDown = mDropDownSymbol != 0 || mDropDownSeparator;

    if (mButtonState == 2 || (mMode != 0 && mValue)) {
        mCurrentPicture = !mPictureDown.IsNothing()  ? mPictureDown
                          : !mPictureHot.IsNothing() ? mPictureHot
                                                     : mPictureNormal;
    } else if (mButtonState == 1) {
        mCurrentPicture = !mPictureHot.IsNothing() ? mPictureHot : mPictureNormal;
    } else {
        mCurrentPicture = mPictureNormal;
    }
    mPicHeight = mCurrentPicture.Height();
    mPicWidth = mCurrentPicture.Width();

    int margin = 8;
    if (dropDown) {
        margin = (mPictureAlign == 2 || mPictureAlign == 3) ? 24 : 16;
    }
    mCaptionRect = RECT{0, 0, mScaleWidth - margin, mScaleHeight};
    const UINT rtl = mRightToLeft ? DT_RTLREADING : 0;
    DrawTextW(mDC, mCaption, -1, &mCaptionRect, DT_CALCRECT | DT_WORDBREAK | rtl);
    const int w = mCaptionRect.Right;
    const int h = mCaptionRect.Bottom;

    RECT r = mCaptionRect;
    const int down = (mScaleHeight - h) / 2;
    switch (mCaptionAlign) {
    case 0:
        MoveRect(r, 2, down);
        break;
    case 1:
        MoveRect(r, (mScaleWidth - w + mPicWidth) / 2, down);
        if (dropDown) {
            MoveRect(r, -8, 0);
        }
        if (mPictureAlign >= 5 && mPictureAlign <= 8) {
            MoveRect(r, -(mPicWidth / 2), 0);
        }
        break;
    case 2:
        MoveRect(r, mScaleWidth - w - 4, down);
        break;
    default:
        break;
    }

    if (!mPictureNormal.IsNothing()) {
        switch (mPictureAlign) {
        case 0:
        case 1:
            if (mCaptionAlign != 1 && r.Left < mPicWidth + 4) {
                r.Left = mPicWidth + 4;
                r.Right = r.Right + mPicWidth + 4;
            }
            break;
        case 2:
        case 3:
            if (r.Right > mScaleWidth - mPicWidth - 4) {
                r.Right = mScaleWidth - mPicWidth - 4;
                r.Left = r.Left - mPicWidth - 4;
            }
            if (mCaptionAlign == 1) {
                MoveRect(r, -12, 0);
            }
            break;
        case 4:
            if (mCaptionAlign == 1) {
                MoveRect(r, -16, 0);
            }
            break;
        case 5:
        case 6:
            MoveRect(r, 0, mPicHeight / 2);
            break;
        case 7:
        case 8:
            MoveRect(r, 0, -(mPicHeight / 2));
            break;
        default:
            break;
        }
    }

    if (mCaptionAlign == 2 && dropDown) {
        MoveRect(r, -16, 0);
    }
    if (mButtonStyle == 13) {
        const int scaleWidth = RoundHalfEven(ScaleWidth());
        const int scaleHeight = RoundHalfEven(ScaleHeight());
        r.Left = std::max(r.Left, 4);
        r.Right = std::min(r.Right, scaleWidth - 4);
        r.Top = std::max(r.Top, 4);
        r.Bottom = std::min(r.Bottom, scaleHeight - 4);
    }
    mCaptionRect = r;
    CalcPictureRect();

    if (mDropDownSymbol != 0) {
        mDropDownRect = RECT{mScaleWidth - 15, RoundHalfEven(mScaleHeight / 2.0 - 7), mScaleWidth,
                             RoundHalfEven(mScaleHeight / 2.0 + 8)};
    }

    if (mDropDownSeparator && RoundHalfEven(ScaleWidth()) - 8 > mCaptionRect.Right) {
        COLORREF c = GetPixel(mDC, 7, 7);
        DrawLine(mScaleWidth - 16, 3, mScaleWidth - 16, mScaleHeight - 3,
                 ShiftColor(static_cast<std::int32_t>(c), -0.1f));
        c = GetPixel(mDC, 7, 7);
        DrawLine(mScaleWidth - 15, 3, mScaleWidth - 15, mScaleHeight - 3,
                 ShiftColor(static_cast<std::int32_t>(c), 0.1f));
    }

    const bool movesWhenDown = mButtonStyle == 0 || mButtonStyle == 1 || mButtonStyle == 5 || mButtonStyle == 6 ||
                               mButtonStyle == 7 || mButtonStyle == 10 || mButtonStyle == 11 || mButtonStyle == 12;
    if (mButtonState == 2 && movesWhenDown) {
        MoveRect(mCaptionRect, 1, 1);
        MoveRect(mPictureRect, 1, 1);
        MoveRect(mDropDownRect, 1, 1);
    }

    const bool pushed = mPicturePushOnHover && mButtonState == 1;
    if (pushed) {
        DrawPicture(mPictureRect, TranslateColor(0xC0C0C0, 0));
        RECT lifted = mPictureRect;
        MoveRect(lifted, -2, -2);
        DrawPicture(lifted, -1);
    } else {
        DrawPicture(mPictureRect, -1);
    }
    if (mPictureShadow && !pushed) {
        DrawPictureWithShadow();
    }

    if (mCaptionEffects != 0) {
        DrawCaptionEffects();
    }
    std::int32_t captionColor = 0;
    if (!mEnabled) {
        captionColor = static_cast<std::int32_t>(GetSysColor(COLOR_GRAYTEXT));
    } else if (mButtonState == 1) {
        captionColor = TranslateColor(mForeColorHover, 0);
    } else {
        captionColor = TranslateColor(mForeColor, 0);
    }
    DrawCaptionText(mCaptionRect, captionColor, 0, 0);

    if (mDropDownSymbol != 0) {
        const bool symbolMovesTwice = mButtonStyle == 0 || mButtonStyle == 1 || mButtonStyle == 6 ||
                                      mButtonStyle == 7 || mButtonStyle == 11 || mButtonStyle == 12;
        if (mButtonState == 2 && symbolMovesTwice) {
            MoveRect(mDropDownRect, 1, 1);
        }
        const int symbolColor = mEnabled ? mForeColor : static_cast<int>(GetSysColor(COLOR_GRAYTEXT));
        UserControl::SetForeColor(symbolColor);
        SetTextColor(mDC, static_cast<COLORREF>(TranslateColor(symbolColor, 0)));
        DrawDropDownSymbol(mDropDownSymbol);
    }
}

void QuButton::CalcPictureRect()
{
    if (mPictureNormal.IsNothing()) {
        return;
    }
    const int W = mScaleWidth;
    const int H = mScaleHeight;
    const int pw = mPicWidth;
    const int ph = mPicHeight;
    const RECT& c = mCaptionRect;
    const bool dropDown = mDropDownSeparator || mDropDownSymbol != 0;
    int left = mPictureRect.Left;
    int top = mPictureRect.Top;

    // Only the space character counts here: a caption of tabs, line breaks or ideographic spaces
    // is still a caption that the picture is placed beside.
    const bool noCaption = std::all_of(mCaption.cbegin(), mCaption.cend(), [](QChar c) { return c == u' '; });
    if (noCaption || mPictureAlign == 4) {
        left = (W - pw) / 2;
        top = (H - ph) / 2;
        if (dropDown) {
            left -= 8;
        }
    } else {
        switch (mPictureAlign) {
        case 0:
            left = 3;
            top = (H - ph) / 2;
            break;
        case 1:
            left = c.Left - pw - 4;
            top = (H - ph) / 2;
            break;
        case 2:
        case 3:
            left = mPictureAlign == 2 ? W - pw - 3 : c.Right + 4;
            top = (H - ph) / 2;
            if (dropDown) {
                left -= 16;
            }
            if (left < c.Right + 2) {
                left = c.Right + 2;
            }
            break;
        case 5:
            left = (W - pw) / 2;
            top = 4;
            break;
        case 6:
            left = (W - pw) / 2;
            top = c.Top - ph - 2;
            break;
        case 7:
            left = (W - pw) / 2;
            top = H - ph - 4;
            break;
        case 8:
            left = (W - pw) / 2;
            top = c.Bottom + 2;
            break;
        default:
            break;
        }
        if (dropDown && mPictureAlign >= 5 && mPictureAlign <= 8) {
            left -= 8;
        }
    }
    mPictureRect = RECT{left, top, left + pw, top + ph};
}

// ---- caption ------------------------------------------------------------------------------------

void QuButton::DrawCaptionText(const RECT& r, std::int32_t color, int offsetX, int offsetY)
{
    const COLORREF remembered = GetTextColor(mDC);
    RECT moved = r;
    MoveRect(moved, offsetX, offsetY);
    SetTextColor(mDC, static_cast<COLORREF>(color));
    DrawTextW(mDC, mCaption, -1, &moved, DT_CENTER | DT_WORDBREAK | (mRightToLeft ? DT_RTLREADING : 0));
    SetTextColor(mDC, remembered);
}

void QuButton::DrawCaptionEffects()
{
    const std::int32_t b = TranslateColor(mBackColor, 0);
    switch (mCaptionEffects) {
    case 1:
        DrawCaptionText(mCaptionRect, ShiftColor(b, 0.14f), -1, -1);
        break;
    case 2:
        DrawCaptionText(mCaptionRect, ShiftColor(b, 0.14f), 1, 1);
        break;
    case 3:
        DrawCaptionText(mCaptionRect, TranslateColor(0xC0C0C0, 0), 1, 1);
        break;
    case 4:
    case 5: {
        const std::int32_t c = ShiftColor(b, mCaptionEffects == 4 ? 0.1f : -0.1f);
        DrawCaptionText(mCaptionRect, c, 1, 1);
        DrawCaptionText(mCaptionRect, c, 1, -1);
        DrawCaptionText(mCaptionRect, c, -1, 1);
        DrawCaptionText(mCaptionRect, c, -1, -1);
        break;
    }
    default:
        break;
    }
    const std::int32_t own =
        mEnabled ? TranslateColor(mForeColor, 0) : static_cast<std::int32_t>(GetSysColor(COLOR_GRAYTEXT));
    DrawCaptionText(mCaptionRect, own, 0, 0);
}

void QuButton::DrawDropDownSymbol(int code)
{
    const HFONT marlett = CreateMarlettFont(14);
    const HFONT previous = SelectObject(mDC, marlett);
    // Only the first decimal digit of the code is drawn (one character).
    const QString digits = QString::number(code);
    RECT r = mDropDownRect;
    DrawText(mDC, digits, 1, &r, DT_WORDBREAK);
    SelectObject(mDC, previous);
    DeleteObject(marlett);
}
