#pragma once

#include <QCursor>
#include <QPoint>
#include <QString>

class QWidget;

// The few window functions the controls and forms call, on Qt.

// Mouse capture as Windows gives it: the capturing window gets every mouse message until
// ReleaseCapture. A press on a runtime window captures implicitly until the release, so
// GetCapture reports the pressed window meanwhile.
void SetCapture(QWidget* window);
void ReleaseCapture();
QWidget* GetCapture();

// Pointer position in global pixels: the last position a window of the program (a form, a
// control, a menu or drop-down list) saw in a mouse event (Qt's own cursor position where none was
// seen yet), so that synthetic input in tests agrees.
QPoint GetCursorPos();
// The runtime window under a global position (the topmost child), or nullptr.
QWidget* WindowFromPoint(const QPoint& globalPos);

// Predefined cursors (LoadCursor ids) and the current cursor.
using HCURSOR = const QCursor*;
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_HAND = 32649;
// The shared cursor of a predefined id ("#32649" and 32649 name the hand); nullptr when unknown.
HCURSOR LoadCursor(int id);
HCURSOR LoadCursor(const QString& name);
// Shows the cursor over the window that has the mouse (the capturing one, else the one under the
// pointer) until the pointer moves again: handlers that want it to stay set it on every MouseMove.
// Returns the previous cursor (may be null).
HCURSOR SetCursor(HCURSOR cursor);

// Moves the focus as the keyboard would: "{TAB}" to the next control in tab order of the active
// form, "+{TAB}" to the previous one. Other key strings are not supported and do nothing.
void SendKeys(const QString& keys);
