#pragma once

#include <QObject>

// The application-wide filter of the forms runtime: form key preview (Form_KeyDown, Form_KeyPress
// and Form_KeyUp before the focused control), the intrinsic controls' key events, and access keys
// of user controls (Alt+key). Installed once by InitializeRuntime.
class RuntimeEventFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

void InstallRuntimeEventFilter();
