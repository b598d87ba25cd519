#pragma once

#include <Form.h>

#include <functional>
#include <memory>

// The forms' default instances: one long-lived object per form, made on first use, whose fields
// keep their values while the form is unloaded and shown again. The forms reach each other only
// through these (show, unload, set a control's property), never through each other's procedures,
// so the accessors hand out the plain Form.
namespace Forms {

Form& FrmStart();
Form& FrmMain();
Form& FrmZjcx();
Form& FrmMnlx();
Form& FrmExam();
Form& FrmJsdf();
Form& FrmExamResults();
Form& FrmKbdSet();

// Destroys every default instance, so that the next use makes a fresh one with its fields at their
// starting values. Only for forms that are unloaded: the program calls it once its loop has ended,
// tests between two runs of the program in one process.
void DestroyAll();

// Called by DefaultInstance when it makes an instance; DestroyAll runs every hook once.
void OnDestroyAll(std::function<void()> hook);

} // namespace Forms

// The default instance of form class T; each form's accessor above is defined with it.
template <typename T> T& DefaultInstance()
{
    static std::unique_ptr<T> instance;
    if (!instance) {
        instance = std::make_unique<T>();
        Forms::OnDestroyAll([] { instance.reset(); });
    }
    return *instance;
}
