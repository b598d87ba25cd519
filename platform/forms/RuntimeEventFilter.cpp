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

#include <algorithm>
#include <vector>

void NotePointerPosition(const QPoint& globalPos);

namespace {

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

// The key events the runtime has acted on, while it delivers them to their window and on up its
// parents: the filter lets those legs pass. An event is listed only while its delivery runs, so
// an event made later at the same address (the next press, each auto-repeat) is a new one.
std::vector<const QEvent*> gDelivering;

bool Delivering(const QEvent* event)
{
    return std::find(gDelivering.begin(), gDelivering.end(), event) != gDelivering.end();
}

// Ends the runtime's leg of a key event it has acted on, and with it Qt's walk of the parents.
bool Consumed(QKeyEvent* key)
{
    key->accept();
    return true;
}

// Delivers a key event the runtime has acted on to its window and, as far as that window ignores
// it, on up the parents, as Qt does with every key event. Qt's own walk cannot be left to carry
// on: the filter sees each of its legs, and once a handler has moved the focus (a message box
// closing, SetFocus, a hidden control) a later leg cannot be told from a fresh key.
bool Deliver(QWidget* target, QKeyEvent* key)
{
    gDelivering.push_back(key);
    // notify, not sendEvent, which would mark a key of the window system as one sent by code.
    QCoreApplication::instance()->notify(target, key);
    gDelivering.pop_back();
    return Consumed(key);
}

// Whether the key's window still takes the key after the handlers ran: a window of the form still
// loaded, of a control that was not unloaded (its window's further messages go with it).
bool StillReceives(const QPointer<QWidget>& target, Form* form, const ::Control* control)
{
    return target != nullptr && form->IsLoaded() && FormOf(target) == form &&
           (control == nullptr || control->hWnd() != nullptr);
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
            return Consumed(key);
        }
    }
    ::Control* control = ControlOf(widget, form);
    const bool intrinsic = control != nullptr && control->TakesKeysFromFilter();
    int keyCode = VirtualKeyFromQt(*key);
    int shift = ShiftMaskFromQt(modifiers);
    const int originalAscii = KeyAsciiFromQt(*key);
    int keyAscii = originalAscii;
    const QPointer<QWidget> target = widget;
    // The control (discarded ones live until the dispatch ends) and the form may be unloaded by
    // any handler; what is gone raises nothing more of this key.
    bool receives = true;
    ControlHost::Dispatch([&] {
        if (keyCode != 0) {
            if (form->KeyPreview()) {
                form->Form_KeyDown(keyCode, shift);
            }
            receives = keyCode != 0 && StillReceives(target, form, control);
            if (receives && intrinsic) {
                control->DispatchKeyDown(keyCode, shift);
                receives = keyCode != 0 && StillReceives(target, form, control);
            }
        }
        if (receives && keyAscii != 0) {
            if (form->KeyPreview()) {
                form->Form_KeyPress(keyAscii);
            }
            receives = keyAscii != 0 && StillReceives(target, form, control);
            if (receives && intrinsic) {
                control->DispatchKeyPress(keyAscii);
                receives = keyAscii != 0 && StillReceives(target, form, control);
            }
        }
    });
    if (!receives) {
        return Consumed(key);
    }
    if (keyAscii != originalAscii && keyAscii > 0) {
        // A handler changed the character: the window gets the new one instead.
        QKeyEvent replaced(QEvent::KeyPress, 0, modifiers & ~Qt::ShiftModifier, QString(QChar(keyAscii)));
        Deliver(target, &replaced);
        return Consumed(key);
    }
    return Deliver(target, key);
}

bool KeyRelease(QWidget* widget, QKeyEvent* key)
{
    Form* form = FormOf(widget);
    if (form == nullptr || key->isAutoRepeat() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;
    }
    int keyCode = VirtualKeyFromQt(*key);
    int shift = ShiftMaskFromQt(key->modifiers());
    if (keyCode == 0) {
        return false;
    }
    ::Control* control = ControlOf(widget, form);
    const bool intrinsic = control != nullptr && control->TakesKeysFromFilter();
    const QPointer<QWidget> target = widget;
    bool receives = true;
    ControlHost::Dispatch([&] {
        if (form->KeyPreview()) {
            form->Form_KeyUp(keyCode, shift);
        }
        receives = keyCode != 0 && StillReceives(target, form, control);
        if (receives && intrinsic) {
            control->DispatchKeyUp(keyCode, shift);
            receives = keyCode != 0 && StillReceives(target, form, control);
        }
    });
    return receives ? Deliver(target, key) : Consumed(key);
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
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || Delivering(event)) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    // The first leg of a key event, its receiver: the runtime acts on the key here, or on none of
    // its legs (keys of no form, Tab), and a key acted on never comes back here (see Deliver).
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
