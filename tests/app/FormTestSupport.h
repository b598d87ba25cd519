#pragma once

#include "BankFixture.h"

#include <Control.h>
#include <Form.h>

#include <QImage>
#include <QString>

#include <functional>

namespace qkmtest {

// One run of the program inside the test process: a fresh program folder (with a bank when the
// test builds one), the control types registered, the shared state of ModSystem at its starting
// values with the screen measured as start-up would, and fresh default instances of the forms.
// Everything still loaded is discarded at the end, so the next test starts a new program.
class ProgramFixture : public BankFixture {
public:
    ProgramFixture();
    ~ProgramFixture();

    // The shared variables back at their values before start-up.
    static void ResetSharedState();
};

// Lets the event loop run until done() holds or the time is up; returns done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs action from the event loop once the form is loaded and visible: the way to act inside a modal
// form, whose Show does not return until it closes. Queue it before the click that shows the form.
void WhenShown(Form& form, std::function<void()> action, int timeoutMs = 5000);

// Real mouse press and release at the centre of a control's window (or at a point in pixels of it).
void ClickControl(::Control& control);
void ClickControlAt(::Control& control, QPoint pixel);
// Moves the pointer onto a control's window (a real mouse move event).
void MovePointerOnto(::Control& control);
// A real key press and release of a virtual-key code, sent to the window that has the focus in the
// active form (or the form's window itself).
void PressKey(Form& form, int virtualKey);
// Types text into the window that has the focus.
void TypeText(Form& form, const QString& text);

// Renders a loaded form's window to <test executable folder>/forms/<name>.png for a person to
// look at, and returns the picture.
QImage SaveFormPng(Form& form, const QString& name);

} // namespace qkmtest
