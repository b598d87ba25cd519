// The button's own tooltip window, made afresh each time the button becomes hot, and its optional
// drop-down menu, shown modally beside the button by an alignment code 0-7. Positions are pixels
// of the client area.
#include "QuButton.h"

#include "QuToolTipWindow.h"

#include <RuntimeError.h>
#include <WindowApi.h>

#include <QAction>
#include <QMenu>

namespace {

constexpr int TPM_CENTERALIGN = 0x4;
constexpr int TPM_RIGHTALIGN = 0x8;
constexpr int TPM_VCENTERALIGN = 0x10;
constexpr int TPM_BOTTOMALIGN = 0x20;
constexpr int MaxTipWidth = 240;

} // namespace

void QuButton::SetPopupMenu(QMenu* menu, int align, const QVariant& flags, QAction* defaultMenu)
{
    if (menu == nullptr) {
        return;
    }
    mPopupMenu = menu;
    mPopupAlign = align;
    bool numeric = false;
    const int value = flags.toInt(&numeric);
    if (!flags.isValid() || !numeric) {
        throw RuntimeError(13, QStringLiteral("类型不匹配"));
    }
    mPopupFlags = value;
    mDefaultMenu = defaultMenu;
    mHasPopupMenu = true;
}

void QuButton::UnsetPopupMenu()
{
    mPopupMenu = nullptr;
    mDefaultMenu = nullptr;
    mHasPopupMenu = false;
    mMenuClosedOver = false;
}

void QuButton::ShowToolTip()
{
    if (!mEnabled || mMenuClosedOver || mButtonState == 2 || hWnd() == nullptr) {
        return;
    }
    // Each hot phase gets a fresh tooltip window.
    delete mToolTipWnd.data();
    auto* tip = new QuToolTipWindow(hWnd(), mToolTipType == 1, mRTLText);
    mToolTipWnd = tip;
    tip->SetText(mToolTip);
    if (!mTooltipTitle.isEmpty() || mToolTipIcon != 0) {
        tip->SetTitle(mTooltipTitle, mToolTipIcon);
    }
    tip->SetMaxTipWidth(MaxTipWidth);
    if (mTooltipBackColor != 0) {
        const std::int32_t c = TranslateColor(mTooltipBackColor, 0);
        tip->SetTipBkColor(QColor(QuButtonColors::Red(c), QuButtonColors::Green(c), QuButtonColors::Blue(c)));
    }
}

void QuButton::ShowDropDownMenu()
{
    RefreshScaleSize();
    mMenuShowing = true;
    int x = 0;
    int y = 0;
    int flags = mPopupFlags;
    switch (mPopupAlign) {
    case 0:
        y = mScaleHeight;
        break;
    case 1:
        flags = TPM_BOTTOMALIGN;
        break;
    case 2:
        // Or rather than add: the result is stored back, and adding the flag again at every
        // opening would turn it into TPM_VCENTERALIGN and move the menu each time.
        flags = flags | TPM_RIGHTALIGN;
        break;
    case 3:
        x = mScaleWidth;
        break;
    case 4:
        flags = TPM_BOTTOMALIGN + TPM_RIGHTALIGN;
        break;
    case 5:
        y = mScaleHeight;
        flags = flags | TPM_RIGHTALIGN;
        break;
    case 6:
        x = mScaleWidth;
        flags = TPM_BOTTOMALIGN;
        break;
    case 7:
        x = mScaleWidth;
        y = mScaleHeight;
        break;
    default:
        mMenuShowing = false;
        return;
    }
    mPopupFlags = flags;
    QMenu* menu = mPopupMenu.data();
    if (menu == nullptr || hWnd() == nullptr) {
        mMenuShowing = false;
        return;
    }

    QPoint anchor = hWnd()->mapToGlobal(QPoint(x, y));
    const QSize size = menu->sizeHint();
    if ((flags & TPM_RIGHTALIGN) != 0) {
        anchor.rx() -= size.width();
    } else if ((flags & TPM_CENTERALIGN) != 0) {
        anchor.rx() -= size.width() / 2;
    }
    if ((flags & TPM_BOTTOMALIGN) != 0) {
        anchor.ry() -= size.height();
    } else if ((flags & TPM_VCENTERALIGN) != 0) {
        anchor.ry() -= size.height() / 2;
    }
    menu->setDefaultAction(mDefaultMenu.data());
    menu->exec(anchor);

    if (WindowFromPoint(GetCursorPos()) == hWnd()) {
        // Closed with the pointer on the button: the next release resets the look.
        mMenuClosedOver = true;
        return;
    }
    mMouseDown = false;
    mMouseOver = false;
    mSpaceDown = false;
    mMenuClosedOver = false;
    mMenuShowing = false;
    mButtonState = 0;
    RedrawButton();
}
