// The button's window hooks: its own window and its parent form's window, for the messages the
// host does not pass as events (mouse leave, theme and system-colour changes, activation of the
// form). The per-control table keeps one record per hooked window with its before and after
// lists; delivery goes through the forms runtime's shared hook per window, so controls of one
// form come and go in any order without disturbing each other.
#include "QuButton.h"

#include <Form.h>
#include <WindowHooks.h>

namespace {

constexpr unsigned EveryMessage = ~0u;
constexpr int After = 1;
constexpr int Before = 2;

bool ListMatches(const std::vector<unsigned>& list, int count, unsigned message)
{
    if (count == -1) {
        return true;
    }
    for (int i = 1; i <= count && i < static_cast<int>(list.size()); ++i) {
        if (list[static_cast<std::size_t>(i)] == message) {
            return true;
        }
    }
    return false;
}

} // namespace

int QuButton::FindSubclassEntry(QWidget* hWnd, bool bAdd) const
{
    for (int i = static_cast<int>(mSubclassTable.size()) - 1; i >= 0; --i) {
        const SubclassRecord& record = mSubclassTable[static_cast<std::size_t>(i)];
        if (bAdd ? record.Window.isNull() : record.Window == hWnd) {
            return i;
        }
    }
    return -1;
}

int QuButton::SubclassWindow(QWidget* hWnd)
{
    if (hWnd == nullptr) {
        return -1;
    }
    // A window already hooked by this control keeps its one hook (properties read again, as for a
    // control-array element that copies element 0, must not stack a second record).
    const int existing = mHookCode ? FindSubclassEntry(hWnd, false) : -1;
    if (existing >= 0) {
        return existing;
    }
    int index = -1;
    if (!mHookCode) {
        mHookCode = true;
        mSubclassTable.assign(1, SubclassRecord{});
        index = 0;
    } else {
        index = FindSubclassEntry(hWnd, true);
        if (index < 0) {
            mSubclassTable.push_back(SubclassRecord{});
            index = static_cast<int>(mSubclassTable.size()) - 1;
        }
    }
    SubclassRecord& record = mSubclassTable[static_cast<std::size_t>(index)];
    record = SubclassRecord{};
    record.Window = hWnd;

    // The hook is prepared completely before it is installed: it looks at this control's table
    // for the window at every message, so later registrations take effect at once.
    const bool installed =
        WindowHooks::Install(hWnd, this,
                             [this](bool before, bool& handled, long& result, QWidget* window, unsigned message,
                                    quintptr wParam, qintptr lParam) {
                                 const int entry = FindSubclassEntry(window, false);
                                 if (entry < 0) {
                                     return;
                                 }
                                 const SubclassRecord& hooked = mSubclassTable[static_cast<std::size_t>(entry)];
                                 const bool wanted = before
                                                         ? ListMatches(hooked.BeforeList, hooked.BeforeCount, message)
                                                         : ListMatches(hooked.AfterList, hooked.AfterCount, message);
                                 if (!wanted) {
                                     return;
                                 }
                                 if (message == WM_MOUSELEAVE && window == this->hWnd()) {
                                     // The leave arrives once per request, as the tracking of the platform reports it.
                                     if (!mLeaveTracked) {
                                         return;
                                     }
                                     mLeaveTracked = false;
                                 }
                                 QWidget* hwndArg = window;
                                 unsigned msgArg = message;
                                 quintptr wParamArg = wParam;
                                 qintptr lParamArg = lParam;
                                 Subclass_WndProc(before, handled, result, hwndArg, msgArg, wParamArg, lParamArg);
                             });
    if (!installed) {
        // A window that cannot be hooked keeps its own procedure; the record stays free.
        record = SubclassRecord{};
        return -1;
    }
    return index;
}

void QuButton::AddSubclassMessage(QWidget* hWnd, unsigned uMsg, int when)
{
    const int index = FindSubclassEntry(hWnd, false);
    if (index < 0) {
        return;
    }
    SubclassRecord& record = mSubclassTable[static_cast<std::size_t>(index)];
    if ((when & Before) != 0) {
        AddMessageToTable(uMsg, record.BeforeList, record.BeforeCount, Before, hWnd);
    }
    if ((when & After) != 0) {
        AddMessageToTable(uMsg, record.AfterList, record.AfterCount, After, hWnd);
    }
}

void QuButton::AddMessageToTable(unsigned uMsg, std::vector<unsigned>& list, int& count, int when, QWidget* hWnd)
{
    if (uMsg == EveryMessage) {
        count = -1;
    } else if (count != -1) {
        bool placed = false;
        for (int i = 1; i <= count; ++i) {
            auto& slot = list[static_cast<std::size_t>(i)];
            if (slot == uMsg) {
                return;
            }
            if (slot == 0) {
                slot = uMsg;
                placed = true;
                break;
            }
        }
        if (!placed) {
            list.push_back(uMsg);
            count = static_cast<int>(list.size()) - 1;
        }
    }
    WindowHooks::AddMessage(hWnd, this, uMsg, when);
}

void QuButton::UnsubclassWindow(QWidget* hWnd)
{
    const int index = FindSubclassEntry(hWnd, false);
    if (index < 0) {
        return;
    }
    SubclassRecord& record = mSubclassTable[static_cast<std::size_t>(index)];
    if (!record.Window.isNull()) {
        WindowHooks::Remove(record.Window.data(), this);
    }
    record = SubclassRecord{};
}

void QuButton::UnsubclassAll()
{
    for (int i = static_cast<int>(mSubclassTable.size()) - 1; i >= 0; --i) {
        SubclassRecord& record = mSubclassTable[static_cast<std::size_t>(i)];
        if (!record.Window.isNull()) {
            UnsubclassWindow(record.Window.data());
        } else {
            // The window went first (its form closed): the shared hook went with it.
            record = SubclassRecord{};
        }
    }
    WindowHooks::RemoveAll(this);
}

void QuButton::InstallHooks()
{
    mHasTrackMouseEvent = IsFunctionExported(QStringLiteral("TrackMouseEvent"), QStringLiteral("User32"));
    QWidget* own = hWnd();
    SubclassWindow(own);
    SubclassWindow(mParentHwnd);
    AddSubclassMessage(own, WM_MOUSELEAVE, After);
    AddSubclassMessage(own, WM_THEMECHANGED, After);
    if (IsThemed()) {
        AddSubclassMessage(own, WM_SYSCOLORCHANGE, After);
    }
    // The forms here are never MDI children, so the form's own activation message is the one.
    AddSubclassMessage(mParentHwnd, WM_ACTIVATE, After);
}

void QuButton::Subclass_WndProc(bool bBefore, bool& bHandled, long& lReturn, QWidget*& lHwnd, unsigned& uMsg,
                                quintptr& wParam, qintptr& lParam)
{
    (void)bBefore;
    (void)bHandled;
    (void)lReturn;
    (void)lHwnd;
    (void)lParam;
    switch (uMsg) {
    case WM_MOUSELEAVE:
        mMouseOver = false;
        if (mHasPopupMenu) {
            if (mMenuShowing) {
                mMenuShowing = false;
                mMenuClosedOver = true;
                return;
            }
            mMenuClosedOver = false;
        }
        if (!mSpaceDown) {
            if (mButtonState != 0) {
                mButtonState = 0;
                RedrawButton();
            }
            MouseLeave();
        }
        break;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        RedrawButton();
        break;
    case WM_ACTIVATE:
    case WM_NCACTIVATE: {
        const quintptr activation = uMsg == WM_ACTIVATE ? (wParam & 0xFFFF) : wParam;
        if (activation != 0) {
            mParentActive = true;
            mButtonState = 0;
            if (mDisplayAsDefault) {
                RedrawButton();
            }
            RedrawButton();
        } else {
            mMouseDown = false;
            mSpaceDown = false;
            mHasFocus = false;
            mParentActive = false;
            mButtonState = 0;
            RedrawButton();
        }
        break;
    }
    default:
        break;
    }
}
