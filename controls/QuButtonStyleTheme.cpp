// ButtonStyle 13: the platform's own push button (its visual style) under the caption and
// picture. Only reached while the application is themed; otherwise the repaint turns the button
// into style 2.
#include "QuButton.h"

using namespace gdi;

void QuButton::PaintStyleTheme(int state)
{
    UserControl::SetBackColor(static_cast<int>(GetSysColor(COLOR_BTNFACE)));
    int themeState = PBS_NORMAL;
    if (!mEnabled) {
        themeState = PBS_DISABLED;
    } else {
        if (state == 1) {
            themeState = PBS_HOT;
        } else if (state == 2) {
            themeState = PBS_PRESSED;
        }
        // A focused or default button at rest, on the active form, is drawn as the default one.
        if (mButtonState == 0 && (mHasFocus || mDisplayAsDefault) && mParentActive) {
            themeState = PBS_DEFAULTED;
        }
    }
    DrawThemedBackground(QStringLiteral("Button"), BP_PUSHBUTTON, themeState);
    DrawPictureAndCaption();
}

void QuButton::DrawThemedBackground(const QString& className, int part, int themeState)
{
    const HTHEME theme = OpenThemeData(hWnd(), className);
    if (theme == nullptr) {
        return;
    }
    // The region comes from a rectangle one pixel larger on three sides and two at the bottom.
    const RECT regionRect{-1, -1, mClientRect.Right + 1, mClientRect.Bottom + 2};
    HRGN region = nullptr;
    GetThemeBackgroundRegion(theme, mDC, part, themeState, &regionRect, &region);
    if (SetWindowRgn(hWnd(), region, TRUE) == 0 && region != nullptr) {
        DeleteObject(region);
    }
    DrawThemeBackground(theme, mDC, part, themeState, &mClientRect, &mClientRect);
    CloseThemeData(theme);
}
