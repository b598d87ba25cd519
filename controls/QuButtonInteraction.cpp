// How the button reacts to the host's notifications: mouse, keys, focus, access keys, size,
// paint, show and hide, creation and destruction; when it raises its events; option groups.
// Mouse coordinates are pixels of the client area; button codes 1 left, 2 right, 4 middle; shift
// codes 1 Shift, 2 Ctrl, 4 Alt.
#include "QuButton.h"

#include <Form.h>
#include <KeyCodes.h>
#include <Runtime.h>
#include <WindowApi.h>
#include <WindowHooks.h>

namespace {

constexpr int MinimumSizeTwips = 220;

} // namespace

void QuButton::SetState(int state)
{
    if (mButtonState != state) {
        mButtonState = state;
        RedrawButton();
    }
}

// ---- life cycle ---------------------------------------------------------------------------------

void QuButton::UserControl_Initialize()
{
    mLightTable = QuButtonColors::LightTable();
    mDarkTable = QuButtonColors::DarkTable();
    mShell32 = IsLibraryAvailable(QStringLiteral("shell32.dll"));
    // Text is Unicode throughout on this platform: the wide text functions are always the ones.
    mIsNT = true;
}

void QuButton::UserControl_Terminate()
{
    mShell32 = false;
    UnsetPopupMenu();
    if (Ambient().UserMode) {
        UnsubclassAll();
    }
}

void QuButton::UserControl_Resize()
{
    if (Width() < MinimumSizeTwips) {
        SetWidth(MinimumSizeTwips);
    }
    if (Height() < MinimumSizeTwips) {
        SetHeight(MinimumSizeTwips);
    }
    CreateButtonRegion();
    RedrawButton();
}

void QuButton::UserControl_Paint()
{
    RedrawButton();
}

void QuButton::UserControl_Show()
{
    // Only the button's own tooltip is to appear, never the host's.
    SetToolTipText(QString());
}

void QuButton::UserControl_Hide()
{
    SetToolTipText(mToolTip);
}

void QuButton::UserControl_AmbientChanged(const QString& propertyName)
{
    mDisplayAsDefault = Ambient().DisplayAsDefault;
    if (propertyName.compare(QStringLiteral("DisplayAsDefault"), Qt::CaseInsensitive) == 0 ||
        propertyName.compare(QStringLiteral("BackColor"), Qt::CaseInsensitive) == 0) {
        RedrawButton();
    }
}

// ---- focus --------------------------------------------------------------------------------------

void QuButton::UserControl_GotFocus()
{
    mHasFocus = true;
}

void QuButton::UserControl_LostFocus()
{
    mHasFocus = false;
    mMouseDown = false;
    mSpaceDown = false;
    mButtonState = (mParentActive && mMouseOver) ? 1 : 0;
    RedrawButton();
    if (mDisplayAsDefault) {
        RedrawButton();
    }
}

// ---- mouse --------------------------------------------------------------------------------------

void QuButton::ApplyHandPointer()
{
    if (!mHandPointer) {
        return;
    }
    if (mHandCursor == nullptr) {
        mHandCursor = LoadCursor(IDC_HAND);
    }
    SetCursor(mHandCursor);
}

bool QuButton::PointerOverOwnWindow() const
{
    const QWidget* own = hWnd();
    return own != nullptr && WindowFromPoint(GetCursorPos()) == own;
}

// The whole face clicks, its first column and row too: a candidate aims at what the button shows,
// which is exactly the pixels of its window region. The pointer is held by the button while
// pressed, so a release beside it (or on a rounded corner the region leaves out) reaches it too
// and must not click.
bool QuButton::ReleasedOnButton(float x, float y) const
{
    if (!(x >= 0 && x < ScaleWidth() && y >= 0 && y < ScaleHeight())) {
        return false;
    }
    const gdi::HRGN region = hWnd() != nullptr ? gdi::GetWindowRgnHandle(hWnd()) : nullptr;
    return region == nullptr || gdi::PtInRegion(region, static_cast<int>(x), static_cast<int>(y));
}

void QuButton::UserControl_MouseDown(int button, int shift, float x, float y)
{
    mMouseButton = static_cast<short>(button);
    mMouseShift = static_cast<short>(shift);
    mMouseX = x;
    mMouseY = y;
    ApplyHandPointer();
    if (button != 1 && !mMenuClosedOver) {
        return;
    }
    mHasFocus = true;
    mMouseDown = true;
    if (!mSpaceDown) {
        SetState(2);
    }
    if (!mHasPopupMenu) {
        short b = static_cast<short>(button);
        short s = static_cast<short>(shift);
        MouseDown(b, s, x, y);
    } else if (!mMenuClosedOver) {
        ShowDropDownMenu();
    }
}

void QuButton::UserControl_MouseMove(int button, int shift, float x, float y)
{
    ApplyHandPointer();
    if (PointerOverOwnWindow()) {
        mMouseOver = true;
        TrackMouseLeave(hWnd());
        MouseEnter();
    } else {
        mMouseOver = false;
    }
    if (!mSpaceDown) {
        if (!mMouseOver) {
            SetState(0);
        } else if (mMouseDown) {
            SetState(2);
        } else if (mButtonState != 1) {
            mButtonState = 1;
            RedrawButton();
            ShowToolTip();
        }
    }
    short b = static_cast<short>(button);
    short s = static_cast<short>(shift);
    MouseMove(b, s, x, y);
}

void QuButton::UserControl_MouseUp(int button, int shift, float x, float y)
{
    ApplyHandPointer();
    if (mHasPopupMenu) {
        mMouseDown = false;
        mMenuClosedOver = false;
        mButtonState = 0;
        RedrawButton();
        return;
    }
    if (button == 1) {
        mMouseDown = false;
        if (ReleasedOnButton(x, y)) {
            if (mMode == 1) {
                SetValue(!mValue);
            } else if (mMode == 2) {
                UncheckOtherOptions();
                SetValue(true);
            }
            // A Space press still pending is answered by this click: its release must not click
            // a second time.
            mSpaceDown = false;
            mButtonState = 0;
            RedrawButton();
            Click();
        }
    }
    short b = static_cast<short>(button);
    short s = static_cast<short>(shift);
    MouseUp(b, s, x, y);
}

void QuButton::UserControl_DblClick()
{
    ApplyHandPointer();
    if (mMouseButton != 1) {
        return;
    }
    SetCapture(hWnd());
    mButtonState = 2;
    RedrawButton();
    UserControl_MouseDown(mMouseButton, mMouseShift, mMouseX, mMouseY);
    if (!mHasPopupMenu) {
        DblClick();
    } else if (!mMenuClosedOver) {
        ShowDropDownMenu();
    }
}

// ---- keys ---------------------------------------------------------------------------------------

void QuButton::UserControl_KeyDown(int& keyCode, int& shift)
{
    switch (keyCode) {
    case vbKeyReturn:
        Click();
        break;
    case vbKeySpace:
        if (shift == 4) {
            return;
        }
        if (mMouseDown) {
            SetState(mMouseOver ? 2 : 0);
        } else if (mSpaceDown) {
            // The held key repeating: the press already toggled the check or option state once.
            SetState(2);
        } else {
            mSpaceDown = true;
            if (mMode == 1) {
                SetValue(!mValue);
            } else if (mMode == 2) {
                UncheckOtherOptions();
                SetValue(true);
            }
            SetState(2);
        }
        if (GetCapture() != hWnd()) {
            ReleaseCapture();
            SetCapture(hWnd());
        }
        break;
    case vbKeyLeft:
    case vbKeyUp:
        SendKeys(QStringLiteral("+{TAB}"));
        break;
    case vbKeyRight:
    case vbKeyDown:
        SendKeys(QStringLiteral("{TAB}"));
        break;
    default:
        if (mSpaceDown) {
            mSpaceDown = false;
            mButtonState = 0;
            RedrawButton();
        }
        break;
    }
    short k = static_cast<short>(keyCode);
    short s = static_cast<short>(shift);
    KeyDown(k, s);
    keyCode = k;
    shift = s;
}

void QuButton::UserControl_KeyUp(int& keyCode, int& shift)
{
    if (keyCode != vbKeySpace) {
        return;
    }
    ReleaseCapture();
    if (mMouseOver) {
        SetState(mMouseDown ? 2 : 1);
    } else {
        SetState(0);
    }
    if (!mMouseDown && mSpaceDown) {
        Click();
    }
    short k = static_cast<short>(keyCode);
    short s = static_cast<short>(shift);
    KeyUp(k, s);
    keyCode = k;
    shift = s;
    mSpaceDown = false;
    mMouseDown = false;
}

void QuButton::UserControl_KeyPress(int& keyAscii)
{
    short k = static_cast<short>(keyAscii);
    KeyPress(k);
    keyAscii = k;
}

void QuButton::UserControl_AccessKeyPress(int keyAscii)
{
    if (!mEnabled) {
        return;
    }
    if (mSpaceDown) {
        mSpaceDown = false;
        mMouseDown = false;
    }
    const bool enterOrEscape = keyAscii == vbKeyReturn || keyAscii == vbKeyEscape;
    if (mMode == 1) {
        if (enterOrEscape) {
            return;
        }
        mValue = !mValue;
        if (!mValue) {
            mButtonState = 0;
        }
        PropertyChanged(QStringLiteral("Value"));
        RedrawButton();
    } else if (mMode == 2) {
        if (enterOrEscape) {
            return;
        }
        UncheckOtherOptions();
        SetValue(true);
        RedrawButton();
    }
    DoEvents();
    Click();
}

// ---- option groups ------------------------------------------------------------------------------

void QuButton::UncheckOtherOptions()
{
    Form* form = Parent();
    if (form == nullptr) {
        return;
    }
    const QWidget* ownContainer = ContainerWindow();
    for (::Control* control : form->Controls()) {
        auto* other = dynamic_cast<QuButton*>(control);
        if (other == nullptr || other == this) {
            continue;
        }
        if (other->ContainerWindow() == ownContainer && other->mMode == 2 && other->hWnd() != hWnd()) {
            other->SetValue(false);
        }
    }
}
