#include "WindowApi.h"

#include "Control.h"
#include "ControlHost.h"
#include "Form.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace {

struct PointerState {
    QPointer<QWidget> PressedWindow;
    QPointer<QWidget> ExplicitCapture;
    std::optional<QPoint> LastGlobalPos;
    const QCursor* Current = nullptr;
    // The window SetCursor last changed, and the pointer of its own it had before.
    QPointer<QWidget> CursorWindow;
    std::optional<QCursor> CursorWindowOwn;
};

// Gives the window SetCursor changed its own pointer back.
void RestoreCursorWindow(PointerState& pointer)
{
    if (QWidget* window = pointer.CursorWindow.data()) {
        if (pointer.CursorWindowOwn.has_value()) {
            window->setCursor(*pointer.CursorWindowOwn);
        } else {
            window->unsetCursor();
        }
    }
    pointer.CursorWindow = nullptr;
    pointer.CursorWindowOwn.reset();
}

PointerState& Pointer()
{
    static PointerState state;
    return state;
}

} // namespace

// Called by the runtime's windows for every mouse event they receive.
void NoteMouseEvent(QWidget* window, const QMouseEvent& event)
{
    auto& pointer = Pointer();
    pointer.LastGlobalPos = event.globalPosition().toPoint();
    if (event.type() == QEvent::MouseMove) {
        // A cursor set by SetCursor lasts until the pointer moves: then the window's own pointer
        // shows again, unless the move's handler sets it once more.
        RestoreCursorWindow(pointer);
    }
    if (event.type() == QEvent::MouseButtonPress || event.type() == QEvent::MouseButtonDblClick) {
        pointer.PressedWindow = window;
    }
}

// Called by the runtime's filter for mouse events of every window of the program, its menus and
// drop-down lists included: the pointer position is the program's, not only its forms'.
void NotePointerPosition(const QPoint& globalPos)
{
    Pointer().LastGlobalPos = globalPos;
}

// Called after a release has been handled: the implicit capture of the press ends with it.
void NoteMouseReleased(const QMouseEvent& event)
{
    if (event.buttons() == Qt::NoButton) {
        Pointer().PressedWindow = nullptr;
    }
}

int MouseButtonsToVb(Qt::MouseButtons buttons)
{
    int result = 0;
    if ((buttons & Qt::LeftButton) != 0) {
        result |= 1;
    }
    if ((buttons & Qt::RightButton) != 0) {
        result |= 2;
    }
    if ((buttons & Qt::MiddleButton) != 0) {
        result |= 4;
    }
    return result;
}

void SetCapture(QWidget* window)
{
    auto& pointer = Pointer();
    if (pointer.ExplicitCapture != nullptr && pointer.ExplicitCapture != window) {
        pointer.ExplicitCapture->releaseMouse();
    }
    pointer.ExplicitCapture = window;
    if (window != nullptr && window->isVisible()) {
        window->grabMouse();
    }
}

void ReleaseCapture()
{
    auto& pointer = Pointer();
    if (pointer.ExplicitCapture != nullptr) {
        pointer.ExplicitCapture->releaseMouse();
    }
    pointer.ExplicitCapture = nullptr;
    pointer.PressedWindow = nullptr;
}

QWidget* GetCapture()
{
    auto& pointer = Pointer();
    if (pointer.ExplicitCapture != nullptr) {
        return pointer.ExplicitCapture.data();
    }
    return pointer.PressedWindow.data();
}

QPoint GetCursorPos()
{
    auto& pointer = Pointer();
    return pointer.LastGlobalPos.value_or(QCursor::pos());
}

QWidget* WindowFromPoint(const QPoint& globalPos)
{
    return QApplication::widgetAt(globalPos);
}

HCURSOR LoadCursor(int id)
{
    static const QCursor arrow(Qt::ArrowCursor);
    static const QCursor ibeam(Qt::IBeamCursor);
    static const QCursor wait(Qt::WaitCursor);
    static const QCursor cross(Qt::CrossCursor);
    static const QCursor hand(Qt::PointingHandCursor);
    switch (id) {
    case IDC_ARROW:
        return &arrow;
    case IDC_IBEAM:
        return &ibeam;
    case IDC_WAIT:
        return &wait;
    case IDC_CROSS:
        return &cross;
    case IDC_HAND:
        return &hand;
    default:
        return nullptr;
    }
}

HCURSOR LoadCursor(const QString& name)
{
    if (name.startsWith(u'#')) {
        bool ok = false;
        const int id = name.mid(1).toInt(&ok);
        return ok ? LoadCursor(id) : nullptr;
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    auto& pointer = Pointer();
    const QCursor* previous = pointer.Current;
    pointer.Current = cursor;
    QWidget* target = GetCapture();
    if (target == nullptr) {
        target = WindowFromPoint(GetCursorPos());
    }
    if (target != nullptr) {
        if (target != pointer.CursorWindow) {
            RestoreCursorWindow(pointer);
            pointer.CursorWindow = target;
            if (target->testAttribute(Qt::WA_SetCursor)) {
                pointer.CursorWindowOwn = target->cursor();
            }
        }
        target->setCursor(cursor != nullptr ? *cursor : QCursor(Qt::BlankCursor));
    }
    return previous;
}

void SendKeys(const QString& keys)
{
    const QString normal = keys.trimmed().toUpper();
    const bool forward = normal == u"{TAB}";
    const bool backward = normal == u"+{TAB}";
    if (!forward && !backward) {
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    Form* form = Form::ActiveForm();
    if (form == nullptr || form->hWnd() == nullptr) {
        return;
    }
    // The tab order of the form: its focusable, visible, enabled controls by TabIndex.
    std::vector<::Control*> order;
    for (::Control* control : form->Controls()) {
        QWidget* window = control->hWnd();
        if (window != nullptr && control->CanTakeFocus() && control->TabStop() && window->isEnabled() &&
            window->isVisibleTo(form->hWnd())) {
            order.push_back(control);
        }
    }
    if (order.empty()) {
        return;
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ::Control* a, const ::Control* b) { return a->TabIndex() < b->TabIndex(); });
    const int count = static_cast<int>(order.size());
    int current = -1;
    for (int i = 0; i < count; ++i) {
        QWidget* window = order[static_cast<std::size_t>(i)]->hWnd();
        if (focus != nullptr && (window == focus || window->isAncestorOf(focus))) {
            current = i;
            break;
        }
    }
    int next = 0;
    if (current < 0) {
        next = forward ? 0 : count - 1;
    } else {
        next = (current + (forward ? 1 : count - 1)) % count;
    }
    order[static_cast<std::size_t>(next)]->hWnd()->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}
