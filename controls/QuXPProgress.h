#pragma once

#include <Gdi.h>
#include <UserControl.h>

#include <QString>

#include <cstdint>

class PropertyBag;

// Self-drawn progress bar: a white field with a three-tone border and cut corners; the bar in the
// control's colour grows from the left (or, vertical, from the bottom) in 10-pixel steps, drawn
// as blocks with white gaps (Scrolling 0), as one bar (1), or as three fading busy blocks after
// the value's position (2); an optional centred text. It raises no events.
//
// Drawing is in pixels into a back buffer that is copied to the control's surface in one blit;
// the buffer only grows. With Max equal to Min a value above Min gives a full bar, any other an
// empty one.
class QuXPProgress : public UserControl {
public:
    QuXPProgress();
    ~QuXPProgress() override;

    QString TypeName() const override { return QStringLiteral("QuXPProgress"); }
    // Registers the type with the forms runtime's control registry under "QuXPProgress" (also done when
    // the program is linked with this file; calling it again does no harm).
    static void Register();

    // Colour of the bar, &H00BBGGRR; a system colour (&H800000nn) is stored translated, so the
    // getter returns the colour itself.
    std::int32_t Color() const noexcept { return mColor; }
    void SetColor(std::int32_t color);
    std::int32_t Max() const noexcept { return mMax; }
    void SetMax(std::int32_t value) { mMax = value; }
    std::int32_t Min() const noexcept { return mMin; }
    void SetMin(std::int32_t value) { mMin = value; }
    // 0 horizontal; any other value vertical, growing upwards.
    std::int32_t Orientation() const noexcept { return mOrientation; }
    void SetOrientation(std::int32_t value) { mOrientation = value; }
    // 0 segmented, 1 continuous, 2 busy.
    std::int32_t Scrolling() const noexcept { return mScrolling; }
    void SetScrolling(std::int32_t value) { mScrolling = value; }
    // Setting ShowText or Value redraws; the other setters take effect at the next drawing. Value keeps
    // whatever is set; the bar and its text show it limited to Min..Max.
    bool ShowText() const noexcept { return mShowText; }
    void SetShowText(bool value);
    std::int32_t Value() const noexcept { return mValue; }
    void SetValue(std::int32_t value);

    // The window whose client rectangle the drawing measures; initially the control's own.
    QWidget* hwnd() const noexcept { return mHwnd; }
    void Sethwnd(QWidget* window) { mHwnd = window; }
    // The context the drawing goes to: the back buffer, or the control's surface when none could be
    // made. Setting it (the value is not used) fits the back buffer to the control's size.
    gdi::HDC hDC() const noexcept { return mDrawDC; }
    void SethDC(std::intptr_t ignored);

    // Redraws everything into the drawing context and shows it.
    void DrawProgressBar();
    // Copies the back buffer to dc; a width or height of 0 or less copies the buffer's.
    void pDraw(gdi::HDC dc, int xSrc = 0, int ySrc = 0, int widthSrc = 0, int heightSrc = 0, int xDst = 0,
               int yDst = 0);

    // The bar's rectangle and fraction of the last drawing (pixels).
    const gdi::RECT& BarRect() const noexcept { return mBarRect; }
    double Fraction() const noexcept { return mFraction; }

    // The colour helpers of the drawing, &H00BBGGRR.
    static std::int32_t TranslateColor(std::int32_t color);
    static std::int32_t LightenColor(std::int32_t color, int amount);

    void UserControl_Initialize() override;
    void UserControl_ReadProperties(const PropertyBag& bag) override;
    void UserControl_WriteProperties(PropertyBag& bag) override;
    void UserControl_Paint() override;
    void UserControl_Resize() override;
    void UserControl_Terminate() override;

private:
    void CalcBarRect();
    void DrawBar();
    void DrawSeparators();
    void DrawPercentText();
    void DrawBorder();
    QString PercentText() const;
    void ApplyRoundRegion(const gdi::RECT& rect, QWidget* window);
    gdi::HDC EnsureBackBuffer(int width, int height);
    void CreateBackBuffer(int width, int height);
    void DestroyBackBuffer();
    // The control's own surface as a device context (the user control's hDC).
    gdi::HDC ControlDC();
    gdi::RECT ClientRect() const;

    std::int32_t mColor = 0;
    std::int32_t mMax = 100;
    std::int32_t mMin = 0;
    std::int32_t mOrientation = 0;
    std::int32_t mScrolling = 0;
    bool mShowText = false;
    std::int32_t mValue = 0;
    QWidget* mHwnd = nullptr;
    gdi::HDC mDrawDC = nullptr;

    gdi::RECT mClientRect;
    gdi::RECT mBarRect;
    gdi::RECT mWorkRect;
    int mBlockWidth = 8; // pixels
    int mBlockGap = 2;   // pixels
    double mFraction = 0.;

    gdi::HDC mBackDC = nullptr;
    gdi::HBITMAP mBackBitmap = nullptr;
    gdi::HBITMAP mOldBitmap = nullptr;
    int mBackWidth = 0; // pixels
    int mBackHeight = 0;
    bool mUseBackBuffer = false;
    gdi::HFONT mOldFont = nullptr;

    bool mInPaint = false;
};
