#include "RuntimeEventFilter.h"

#include "Form.h"
#include "FormWindow.h"
#include "KeyCodes.h"
#include "UserControl.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

void NotePointerPosition(const QPoint& globalPos);

namespace {

bool gReplaying = false;

Form* FormOf(QWidget* widget)
{
    auto* window = dynamic_cast<FormWindow*>(widget->window());
    return window != nullptr ? window->Owner() : nullptr;
}

// The click of a control's window, as far as message boxes are concerned.
struct ClickState {
    bool PressSeen = false;      // a press reached a form's window and has had no release yet
    bool PressPending = false;   // a box opened during a press that has not reached its window yet
    bool ReleaseOwnedByBox = false;
    bool SwallowRelease = false; // the pending press was taken; its release goes too
};
ClickState gClick;

bool MouseButtonHeld()
{
    return QGuiApplication::mouseButtons() != Qt::NoButton;
}

// Returns true when the event is taken by a message box shown during its click.
bool TakenByMessageBox(QWidget* widget, QEvent* event)
{
    if (FormOf(widget) == nullptr) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (gClick.PressPending) {
            gClick.PressPending = false;
            gClick.SwallowRelease = MouseButtonHeld();
            return true;
        }
        gClick = ClickState{};
        gClick.PressSeen = true;
        return false;
    }
    // A release.
    const bool taken = gClick.SwallowRelease || gClick.ReleaseOwnedByBox;
    gClick = ClickState{};
    return taken;
}


::Control* ControlOf(QWidget* widget, Form* form)
{
    for (QWidget* current = widget; current != nullptr && current != form->hWnd(); current = current->parentWidget()) {
        if (::Control* control = ControlFromWindow(current)) {
            return control;
        }
    }
    return nullptr;
}

UserControl* AccessKeyOwner(Form* form, QChar key)
{
    for (::Control* control : form->Controls()) {
        auto* user = dynamic_cast<UserControl*>(control);
        if (user != nullptr && user->AccessKeys().contains(key) && user->hWnd() != nullptr &&
            user->hWnd()->isEnabled() && user->hWnd()->isVisibleTo(form->hWnd())) {
            return user;
        }
    }
    return nullptr;
}

bool KeyPress(QWidget* widget, QKeyEvent* key)
{
    Form* form = FormOf(widget);
    if (form == nullptr || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;
    }
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if ((modifiers & Qt::AltModifier) != 0 && (modifiers & Qt::ControlModifier) == 0 && !key->text().isEmpty()) {
        const QChar pressed = key->text().at(0).toLower();
        if (UserControl* owner = AccessKeyOwner(form, pressed)) {
            const int keyAscii = pressed.unicode();
            ControlHost::Dispatch([owner, keyAscii] { owner->UserControl_AccessKeyPress(keyAscii); });
            return true;
        }
    }
    ::Control* control = ControlOf(widget, form);
    const bool intrinsic = control != nullptr && control->TakesKeysFromFilter();
    int keyCode = VirtualKeyFromQt(*key);
    int shift = ShiftMaskFromQt(modifiers);
    const int originalAscii = KeyAsciiFromQt(*key);
    int keyAscii = originalAscii;
    const QPointer<QWidget> target = widget;
    bool eat = false;
    ControlHost::Dispatch([&] {
        if (keyCode != 0) {
            if (form->KeyPreview()) {
                form->Form_KeyDown(keyCode, shift);
            }
            if (keyCode != 0 && intrinsic && form->IsLoaded()) {
                control->DispatchKeyDown(keyCode, shift);
            }
            if (keyCode == 0) {
                eat = true;
                return;
            }
        }
        if (keyAscii != 0) {
            if (form->KeyPreview() && form->IsLoaded()) {
                form->Form_KeyPress(keyAscii);
            }
            if (keyAscii != 0 && intrinsic && form->IsLoaded()) {
                control->DispatchKeyPress(keyAscii);
            }
            if (keyAscii == 0) {
                eat = true;
            }
        }
    });
    if (eat || target == nullptr || !form->IsLoaded()) {
        return true;
    }
    if (keyAscii != originalAscii && keyAscii > 0) {
        // A handler changed the character: the window gets the new one instead.
        QKeyEvent replaced(QEvent::KeyPress, 0, modifiers & ~Qt::ShiftModifier, QString(QChar(keyAscii)));
        gReplaying = true;
        QApplication::sendEvent(target, &replaced);
        gReplaying = false;
        return true;
    }
    return false;
}

bool KeyRelease(QWidget* widget, QKeyEvent* key)
{
    Form* form = FormOf(widget);
    if (form == nullptr || key->isAutoRepeat() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;
    }
    ::Control* control = ControlOf(widget, form);
    const bool intrinsic = control != nullptr && control->TakesKeysFromFilter();
    int keyCode = VirtualKeyFromQt(*key);
    int shift = ShiftMaskFromQt(key->modifiers());
    if (keyCode == 0) {
        return false;
    }
    bool eat = false;
    ControlHost::Dispatch([&] {
        if (form->KeyPreview()) {
            form->Form_KeyUp(keyCode, shift);
        }
        if (keyCode != 0 && intrinsic && form->IsLoaded()) {
            control->DispatchKeyUp(keyCode, shift);
        }
        eat = keyCode == 0 || !form->IsLoaded();
    });
    return eat;
}

} // namespace

void MessageBoxOpening()
{
    if (!MouseButtonHeld()) {
        return;
    }
    if (gClick.PressSeen) {
        gClick.ReleaseOwnedByBox = true;
    } else {
        gClick.PressPending = true;
    }
}

void MessageBoxClosed()
{
    // A release made while the box was up went to the box.
    if (!MouseButtonHeld()) {
        gClick.ReleaseOwnedByBox = false;
        gClick.PressSeen = false;
    }
    // An interrupted press reaches its window as the box's loop unwinds, before the event loop runs
    // again; a press held over some other window (a list, another box) never comes, and must not
    // take the next real click with it.
    if (gClick.PressPending) {
        QTimer::singleShot(0, [] { gClick.PressPending = false; });
    }
}

bool RuntimeEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseMove || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::MouseButtonRelease) {
        // Menus and drop-down lists see the pointer too: GetCursorPos is the program's.
        NotePointerPosition(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        if (type == QEvent::MouseMove) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        // A later leg of an event that travels up the parents finds the state already settled.
        return widget != nullptr && TakenByMessageBox(widget, event);
    }
    if (gReplaying || (type != QEvent::KeyPress && type != QEvent::KeyRelease)) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    // A key event travels up the parents when the receiver ignores it: act on the first leg only.
    QWidget* focus = QApplication::focusWidget();
    if (widget != focus && !(focus == nullptr && widget->isWindow())) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    return event->type() == QEvent::KeyPress ? KeyPress(widget, key) : KeyRelease(widget, key);
}

void InstallRuntimeEventFilter()
{
    static RuntimeEventFilter* filter = nullptr;
    if (filter == nullptr) {
        filter = new RuntimeEventFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
    }
}
