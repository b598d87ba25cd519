#pragma once

#include <QtGlobal>

#include <functional>

class QWidget;

// Window messages the hooks deliver, by their Windows numbers.
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_SYSCOLORCHANGE = 0x0015;
constexpr unsigned WM_NCACTIVATE = 0x0086;
constexpr unsigned WM_MOUSELEAVE = 0x02A3;
constexpr unsigned WM_THEMECHANGED = 0x031A;
// Activation states in the low word of WM_ACTIVATE's wParam.
constexpr int WA_INACTIVE = 0;
constexpr int WA_ACTIVE = 1;
constexpr int WA_CLICKACTIVE = 2;

// A control's window procedure for the messages it registered: called with before True ahead
// of the window's own handling (setting handled skips that handling and later hooks' before
// calls), and with before False after it. result is the message's return value.
using WindowProc = std::function<void(bool before, bool& handled, long& result, QWidget* window, unsigned message,
                                      quintptr wParam, qintptr lParam)>;

// Window hooks ("subclassing"): lets a control see, for its own window and for its parent form's
// window, messages the host does not pass it as events (mouse leave, theme and system-colour
// changes, activation of the form). Each window has one shared hook with a list of interested
// owners, so owners come and go in any order without disturbing the others.
//
// Message sources on Qt: WM_MOUSELEAVE from the leave event; WM_THEMECHANGED from theme and
// style changes; WM_SYSCOLORCHANGE from palette changes; WM_ACTIVATE and WM_NCACTIVATE (wParam
// 1 active, 0 inactive) from window activation and deactivation; WM_SETFOCUS, WM_KILLFOCUS from
// focus changes.
class WindowHooks {
public:
    // Hooks window for owner (any stable address, normally the control). Installing twice for
    // one owner replaces its procedure and keeps its registrations. Returns false for nullptr.
    static bool Install(QWidget* window, const void* owner, WindowProc proc);
    // Registers a message for owner on window: when 1 after the window's handling, 2 before,
    // 3 both. message ~0u registers every message the hooks know. Registering twice keeps one.
    static void AddMessage(QWidget* window, const void* owner, unsigned message, int when);
    static void Remove(QWidget* window, const void* owner);
    static void RemoveAll(const void* owner);
    static bool IsInstalled(const QWidget* window, const void* owner);
    // Owners currently hooked on window (tests).
    static int OwnerCount(const QWidget* window);
};
