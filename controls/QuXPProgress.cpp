#include "QuXPProgress.h"

#include <ControlRegistry.h>
#include <PropertyBag.h>

#include <QFont>
#include <QLocale>
#include <QWidget>

#include <algorithm>
#include <cmath>

using namespace gdi;

namespace {

constexpr std::int32_t DefaultColor = static_cast<std::int32_t>(0x8000000D); // system highlight
constexpr COLORREF White = 0xFFFFFF;
constexpr COLORREF BorderOuter = 0x686868;
constexpr COLORREF BorderMiddle = 0xBEBEBE;
constexpr COLORREF BorderInner = 0xEFEFEF;
constexpr int LightenBar = 150;

// Nearest whole number, ties to even; a value that is no number gives 0.
int Round(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(std::clamp(value, -2147483648., 2147483647.)));
}

// The 16-bit channels of a gradient vertex: each 8-bit channel times 256.
void ColorToTriVertex(std::int32_t color, TRIVERTEX& vertex)
{
    const auto c = static_cast<COLORREF>(color);
    vertex.Red = static_cast<COLOR16>(GetRValue(c) << 8);
    vertex.Green = static_cast<COLOR16>(GetGValue(c) << 8);
    vertex.Blue = static_cast<COLOR16>(GetBValue(c) << 8);
    vertex.Alpha = 0;
}

// Two vertices (x, y) and (x + w, y + h); mode GRADIENT_FILL_RECT_H or _V.
void GradientRect(HDC dc, int x, int y, int w, int h, std::int32_t color1, std::int32_t color2, ULONG mode)
{
    TRIVERTEX vertices[2];
    vertices[0].X = x;
    vertices[0].Y = y;
    ColorToTriVertex(color1, vertices[0]);
    vertices[1].X = x + w;
    vertices[1].Y = y + h;
    ColorToTriVertex(color2, vertices[1]);
    GRADIENT_RECT rect;
    rect.UpperLeft = 0;
    rect.LowerRight = 1;
    GradientFill(dc, vertices, 2, &rect, 1, mode);
}

void FrameRectColor(const RECT& rect, COLORREF color, HDC dc)
{
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &rect, brush);
    DeleteObject(brush);
}

void FillRectColor(const RECT& rect, std::int32_t color, HDC dc)
{
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(QuXPProgress::TranslateColor(color)));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

RECT MakeRect(int left, int top, int right, int bottom)
{
    RECT r;
    SetRect(&r, left, top, right, bottom);
    return r;
}

const bool gRegistered = (QuXPProgress::Register(), true);

} // namespace

QuXPProgress::QuXPProgress()
{
    SetCanGetFocus(false);
}

QuXPProgress::~QuXPProgress()
{
    DestroyBackBuffer();
}

std::int32_t QuXPProgress::TranslateColor(std::int32_t color)
{
    if ((static_cast<std::uint32_t>(color) & 0x80000000U) != 0) {
        return static_cast<std::int32_t>(GetSysColor(color & 0x7FFFFFFF));
    }
    return color;
}

std::int32_t QuXPProgress::LightenColor(std::int32_t color, int amount)
{
    const auto c = static_cast<COLORREF>(color);
    const auto lighten = [amount](int channel) { return std::min(255, channel * (255 - amount) / 255 + amount); };
    return static_cast<std::int32_t>(RGB(lighten(GetRValue(c)), lighten(GetGValue(c)), lighten(GetBValue(c))));
}

void QuXPProgress::SetColor(std::int32_t color)
{
    mColor = TranslateColor(color);
}

void QuXPProgress::SetShowText(bool value)
{
    mShowText = value;
    DrawProgressBar();
}

void QuXPProgress::SetValue(std::int32_t value)
{
    mValue = value;
    DrawProgressBar();
}

void QuXPProgress::SethDC(std::intptr_t)
{
    const int width = Round(ScaleWidth());
    const int height = Round(ScaleHeight());
    HDC dc = EnsureBackBuffer(width, height);
    if (dc == nullptr) {
        mDrawDC = ControlDC();
    } else {
        mDrawDC = dc;
        mUseBackBuffer = true;
    }
}

HDC QuXPProgress::ControlDC()
{
    return UserControl::hDC();
}

RECT QuXPProgress::ClientRect() const
{
    if (mHwnd != nullptr) {
        return MakeRect(0, 0, mHwnd->width(), mHwnd->height());
    }
    return MakeRect(0, 0, Round(ScaleWidth()), Round(ScaleHeight()));
}

void QuXPProgress::UserControl_Initialize()
{
    SetFont(QFont(QStringLiteral("Tahoma"), 8));
    SetBackColor(0xFFFFFF);
    SetScaleMode(vbPixels);
    SethDC(0);
    mHwnd = hWnd();
    mMax = 100;
    mMin = 0;
    mValue = 0;
    mOrientation = 0;
    mScrolling = 0;
    mColor = TranslateColor(DefaultColor);
    DrawProgressBar();
}

void QuXPProgress::UserControl_ReadProperties(const PropertyBag& bag)
{
    SetColor(bag.ReadProperty(QStringLiteral("Color"), DefaultColor).toInt());
    SetMax(bag.ReadProperty(QStringLiteral("Max"), 100).toInt());
    SetMin(bag.ReadProperty(QStringLiteral("Min"), 0).toInt());
    SetOrientation(bag.ReadProperty(QStringLiteral("Orientation"), 0).toInt());
    SetScrolling(bag.ReadProperty(QStringLiteral("Scrolling"), 0).toInt());
    SetShowText(bag.ReadProperty(QStringLiteral("ShowText"), false).toBool());
    SetValue(bag.ReadProperty(QStringLiteral("Value"), 0).toInt());
}

void QuXPProgress::UserControl_WriteProperties(PropertyBag& bag)
{
    bag.WriteProperty(QStringLiteral("Color"), mColor, DefaultColor);
    bag.WriteProperty(QStringLiteral("Max"), mMax, 100);
    bag.WriteProperty(QStringLiteral("Min"), mMin, 0);
    bag.WriteProperty(QStringLiteral("Orientation"), mOrientation, 0);
    bag.WriteProperty(QStringLiteral("Scrolling"), mScrolling, 0);
    bag.WriteProperty(QStringLiteral("ShowText"), mShowText, false);
    bag.WriteProperty(QStringLiteral("Value"), mValue, 0);
}

void QuXPProgress::UserControl_Paint()
{
    mInPaint = true;
    DrawProgressBar();
    mInPaint = false;
    if (QWidget* window = hWnd()) {
        ApplyRoundRegion(MakeRect(0, 0, window->width(), window->height()), window);
    }
}

void QuXPProgress::UserControl_Resize()
{
    SethDC(0);
}

void QuXPProgress::UserControl_Terminate()
{
    DestroyBackBuffer();
}

void QuXPProgress::DrawProgressBar()
{
    if (mDrawDC == nullptr) {
        SethDC(0);
    }
    mClientRect = ClientRect();
    FillRectColor(mClientRect, static_cast<std::int32_t>(White), mDrawDC);
    CalcBarRect();
    DrawBar();
    if (mScrolling == 0) {
        DrawSeparators();
    }
    DrawPercentText();
    DrawBorder();
    if (mUseBackBuffer) {
        pDraw(ControlDC(), 0, 0, Round(ScaleWidth()), Round(ScaleHeight()), 0, 0);
    }
    if (!mInPaint) {
        if (QWidget* window = hWnd()) {
            window->update();
        }
    }
}

void QuXPProgress::pDraw(HDC dc, int xSrc, int ySrc, int widthSrc, int heightSrc, int xDst, int yDst)
{
    BitBlt(dc, xDst, yDst, widthSrc > 0 ? widthSrc : mBackWidth, heightSrc > 0 ? heightSrc : mBackHeight, mBackDC, xSrc,
           ySrc, SRCCOPY);
}

void QuXPProgress::CalcBarRect()
{
    mBlockWidth = 8;
    mBlockGap = 2;
    mBarRect = mClientRect;
    const int step = mBlockWidth + mBlockGap;
    // Max equal to Min: a value above Min counts as full, any other as empty.
    mFraction = (static_cast<double>(mValue) - mMin) / (static_cast<double>(mMax) - mMin);
    if (std::isnan(mFraction) || mFraction < 0.) {
        mFraction = 0.;
    } else if (mFraction > 1.) {
        mFraction = 1.;
    }
    if (mOrientation == 0) {
        const int right = Round((mClientRect.Right - mClientRect.Left) * mFraction + mClientRect.Left);
        mBarRect.Right = right - ((right - mBarRect.Left) % step);
    } else {
        mFraction = 1. - mFraction - 0.02;
        const int top = Round((mClientRect.Bottom - mClientRect.Top) * mFraction + mClientRect.Top);
        // % keeps the sign of the dividend (top - Bottom <= 0), so the bar is rounded down in length.
        mBarRect.Top = top - ((top - mBarRect.Bottom) % step);
    }
}

void QuXPProgress::DrawBar()
{
    HDC dc = mDrawDC;
    const RECT& client = mClientRect;
    const RECT& bar = mBarRect;
    const std::int32_t light = LightenColor(mColor, LightenBar);
    const bool horizontal = mOrientation == 0;

    if (mScrolling != 2) {
        if (horizontal) {
            GradientRect(dc, 2, 3, bar.Right - 2, 6, light, mColor, GRADIENT_FILL_RECT_V);
            FillRectColor(MakeRect(2, 8, bar.Right, client.Bottom - 6), mColor, dc);
            GradientRect(dc, 2, client.Bottom - 8, bar.Right - 2, 6, mColor, light, GRADIENT_FILL_RECT_V);
        } else {
            // The bands are Client.Bottom high from the bar's top, so they run past the bottom edge.
            GradientRect(dc, 2, bar.Top, 6, client.Bottom, light, mColor, GRADIENT_FILL_RECT_H);
            FillRectColor(MakeRect(7, bar.Top, client.Right - 8, client.Bottom), mColor, dc);
            GradientRect(dc, client.Right - 8, bar.Top, 6, client.Bottom, mColor, light, GRADIENT_FILL_RECT_H);
        }
        return;
    }

    // Busy: three blocks after the value's position, the first the lightest.
    for (int i = 0; i < 3; ++i) {
        const std::int32_t outer = LightenColor(mColor, 220 - 40 * i);
        const std::int32_t middle = LightenColor(mColor, 200 - 40 * i);
        if (horizontal) {
            const RECT block = MakeRect(bar.Right + 12 * i, 8, bar.Right + 12 * i + 10, client.Bottom - 6);
            GradientRect(dc, block.Left, 3, 10, 6, outer, middle, GRADIENT_FILL_RECT_V);
            FillRectColor(block, middle, dc);
            GradientRect(dc, block.Left, block.Bottom - 2, 10, 6, middle, outer, GRADIENT_FILL_RECT_V);
        } else {
            const RECT block = MakeRect(8, bar.Top + 12 * i, client.Right - 8, bar.Top + 12 * i + 10);
            GradientRect(dc, 2, block.Top, 6, 10, outer, middle, GRADIENT_FILL_RECT_V);
            FillRectColor(block, middle, dc);
            GradientRect(dc, block.Right, block.Top, 6, 10, middle, outer, GRADIENT_FILL_RECT_V);
        }
    }
}

void QuXPProgress::DrawSeparators()
{
    HBRUSH white = CreateSolidBrush(White);
    mWorkRect = mClientRect;
    if (mOrientation == 0) {
        for (int x = mBarRect.Left + mBlockWidth; x <= mBarRect.Right; x += mBlockWidth + mBlockGap) {
            mWorkRect.Left = x + mBlockGap;
            mWorkRect.Right = x + 2 * mBlockGap;
            FillRect(mDrawDC, &mWorkRect, white);
        }
    } else {
        for (int y = mBarRect.Bottom; y >= mBarRect.Top + mBlockWidth; y -= mBlockWidth + mBlockGap) {
            mWorkRect.Top = y - mBlockGap;
            mWorkRect.Bottom = y;
            FillRect(mDrawDC, &mWorkRect, white);
        }
    }
    DeleteObject(white);
}

QString QuXPProgress::PercentText() const
{
    if (mScrolling == 2) {
        return QStringLiteral("正在生成试卷，请稍候...");
    }
    // The bar stores any value its host sets (a timer may keep counting past Max), but the text never
    // leaves the bar's range. The product is taken in 64 bits, so values whose product leaves the
    // 32-bit range still show.
    const std::int32_t shown = std::clamp(mValue, std::min(mMin, mMax), std::max(mMin, mMax));
    const double percent = static_cast<double>(static_cast<std::int64_t>(shown) * mMax) / 100.;
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(percent, 'g', 15) + QStringLiteral(" %");
}

void QuXPProgress::DrawPercentText()
{
    if (!mShowText) {
        return;
    }
    const QString text = PercentText();
    HFONT font = CreateFontFromQFont(Font());
    mOldFont = SelectObject(mDrawDC, font);
    SetBkMode(mDrawDC, TRANSPARENT);
    SetTextColor(mDrawDC, 0);
    RECT rect = mClientRect;
    DrawText(mDrawDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(mDrawDC, mOldFont);
    DeleteObject(font);
}

void QuXPProgress::DrawBorder()
{
    const RECT& c = mClientRect;
    FrameRectColor(MakeRect(c.Left + 1, c.Top + 1, c.Right, c.Bottom), BorderMiddle, mDrawDC);
    FrameRectColor(MakeRect(c.Left + 1, c.Top + 2, c.Right - 1, c.Bottom - 1), BorderInner, mDrawDC);
    FrameRectColor(c, BorderOuter, mDrawDC);
    SetPixelV(mDrawDC, 1, 1, BorderOuter);
    SetPixelV(mDrawDC, c.Right - 2, 1, BorderOuter);
    SetPixelV(mDrawDC, 1, c.Bottom - 2, BorderOuter);
    SetPixelV(mDrawDC, c.Right - 2, c.Bottom - 2, BorderOuter);
}

void QuXPProgress::ApplyRoundRegion(const RECT& rect, QWidget* window)
{
    HRGN region = CreateRectRgn(0, 0, rect.Right, rect.Bottom);
    const RECT cuts[] = {
        MakeRect(0, 0, 2, 1),
        MakeRect(0, rect.Bottom - 1, 2, rect.Bottom),
        MakeRect(rect.Right - 2, 0, rect.Right, 1),
        MakeRect(rect.Right - 2, rect.Bottom - 1, rect.Right, rect.Bottom),
        MakeRect(0, 1, 1, 2),
        MakeRect(0, rect.Bottom - 2, 1, rect.Bottom - 1),
        MakeRect(rect.Right - 1, 1, rect.Right, 2),
        MakeRect(rect.Right - 1, rect.Bottom - 2, rect.Right, rect.Bottom - 1),
    };
    for (const RECT& cut : cuts) {
        HRGN piece = CreateRectRgnIndirect(&cut);
        CombineRgn(region, region, piece, RGN_DIFF);
        DeleteObject(piece);
    }
    // The window owns the region from now on; only a refused one is still ours to delete.
    if (SetWindowRgn(window, region, TRUE) == 0) {
        DeleteObject(region);
    }
}

HDC QuXPProgress::EnsureBackBuffer(int width, int height)
{
    if (mBackDC != nullptr) {
        if (width > mBackWidth || height > mBackHeight) {
            CreateBackBuffer(std::max(width, mBackWidth), std::max(height, mBackHeight));
        }
    } else if (width > 0 && height > 0) {
        CreateBackBuffer(width, height);
    }
    return mBackDC;
}

void QuXPProgress::CreateBackBuffer(int width, int height)
{
    DestroyBackBuffer();
    HDC display = CreateDCA("DISPLAY", "", "", nullptr);
    if (display == nullptr) {
        return;
    }
    HDC memory = CreateCompatibleDC(display);
    HBITMAP bitmap = memory != nullptr ? CreateCompatibleBitmap(display, width, height) : nullptr;
    HBITMAP old = bitmap != nullptr ? SelectObject(memory, bitmap) : nullptr;
    if (old == nullptr) {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        if (memory != nullptr) {
            DeleteDC(memory);
        }
        DeleteDC(display);
        return;
    }
    mBackDC = memory;
    mBackBitmap = bitmap;
    mOldBitmap = old;
    mBackWidth = width;
    mBackHeight = height;
    DeleteDC(display);
}

void QuXPProgress::DestroyBackBuffer()
{
    if (mBackDC != nullptr) {
        if (mDrawDC == mBackDC) {
            mDrawDC = nullptr; // drawing makes or finds a context again
        }
        SelectObject(mBackDC, mOldBitmap);
        DeleteObject(mBackBitmap);
        DeleteDC(mBackDC);
    }
    mBackDC = nullptr;
    mBackBitmap = nullptr;
    mOldBitmap = nullptr;
    mBackWidth = 0;
    mBackHeight = 0;
}

void QuXPProgress::Register()
{
    RegisterControlType(QStringLiteral("QuXPProgress"), [] { return std::make_unique<QuXPProgress>(); });
}
