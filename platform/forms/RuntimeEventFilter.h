#pragma once

#include <QObject>

// The application-wide filter of the forms runtime: form key preview (Form_KeyDown, Form_KeyPress
// and Form_KeyUp before the focused control), the intrinsic controls' key events, and access keys
// of user controls (Alt+key), the clicks that a message box takes, and the pointer position of
// every window (see GetCursorPos). Installed once by InitializeRuntime.
class RuntimeEventFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void InstallRuntimeEventFilter();

// A message box shown while a mouse button is down takes that click, as an owned modal box does: a
// press that the box interrupted on its way to a control (the focus moved on the press and a
// LostFocus asked something) never reaches the control, and a press already delivered gets no
// release, so no Click follows either way. The message boxes call these around their modal loop.
void MessageBoxOpening();
void MessageBoxClosed();
