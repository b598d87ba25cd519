#pragma once

#include "Control.h"
#include "Event.h"

#include <RuntimeError.h>

#include <QString>

#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

class ControlHost;
struct DesignControl;
struct FormDesign;

// The elements of one control array, as the forms reach them: CmdExam(1), Load CmdSelect(i).
template <typename T> class ControlArray {
public:
    ControlArray(ControlHost* host, QString name) : mHost(host), mName(std::move(name)) {}

    // The element with that index; run-time error 340 when it does not exist.
    T& operator()(int index) const;
    T& operator[](int index) const { return (*this)(index); }
    bool Exists(int index) const;
    int Count() const;
    int LBound() const;
    int UBound() const;
    // Loads a new element copying element 0's properties (invisible, as the forms expect);
    // error 360 when the index is taken.
    T& Load(int index) const;
    // Unloads a run-time loaded element; error 362 for an element of the design data.
    void Unload(int index) const;

private:
    ControlHost* mHost;
    QString mName;
};

// What owns a set of named controls built from design data: a form, or a user control that is
// made of child controls. Controls are rebuilt at every load; event handlers are bound by name
// once (in the form's constructor) and attached to every control of that name as it is created,
// run-time loaded array elements included.
class ControlHost {
public:
    ControlHost();
    virtual ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    // The window the host's controls sit in; nullptr while not loaded.
    virtual QWidget* HostWindow() const = 0;
    // The form the host belongs to (the form itself, or the form a user control sits on).
    virtual Form* HostForm() const = 0;

    // Every control, in creation order (design order, then run-time loads).
    std::vector<::Control*> Controls() const;
    // The named control (index -1 for a control that is not an array element), or nullptr.
    ::Control* FindControl(const QString& name, int index = -1) const;

    // The named control as its type; run-time error 424 when there is none of that name and
    // type (a fault of the program, not of the user).
    template <typename T> T& Control(const QString& name) const { return Checked<T>(FindControl(name, -1), name, -1); }
    template <typename T> ControlArray<T> Array(const QString& name) { return ControlArray<T>(this, name); }
    template <typename T> T& Array(const QString& name, int index) const
    {
        return Checked<T>(FindControl(name, index), name, index);
    }

    // Attaches handler to the event of the named control, now if it exists and at every creation.
    template <typename T, typename... Args>
    void OnEvent(const QString& name, Event<Args...> T::*event,
                 std::type_identity_t<std::function<void(Args...)>> handler)
    {
        AddBinder(name, false, [event, handler](::Control& control) {
            if (auto* typed = dynamic_cast<T*>(&control)) {
                (typed->*event).Connect(handler);
            }
        });
    }
    // The same for every element of a control array; the handler receives the element's Index.
    template <typename T, typename... Args>
    void OnArrayEvent(const QString& name, Event<Args...> T::*event,
                      std::type_identity_t<std::function<void(int, Args...)>> handler)
    {
        AddBinder(name, true, [event, handler](::Control& control) {
            if (auto* typed = dynamic_cast<T*>(&control)) {
                const int index = control.Index();
                (typed->*event).Connect([handler, index](Args... args) { handler(index, args...); });
            }
        });
    }

    // Adds a control made in code (tests; hosts without design data). container nullptr places
    // it on the host directly. The host owns it.
    ::Control& AddControl(std::unique_ptr<::Control> control, const QString& name, int index = -1,
                          ::Control* container = nullptr);

    // Run-time load and unload of control array elements (see ControlArray).
    ::Control& LoadElement(const QString& name, int index);
    void UnloadElement(const QString& name, int index);

    // Runs body through the runtime's error guard; every event dispatch of the host's controls
    // goes through it.
    static bool Dispatch(const std::function<void()>& body);

    // Called by the guard as each dispatch ends: once none runs any more, the unloaded controls are
    // deleted when the event loop gets back.
    static void ReleaseDiscarded();

protected:
    // Builds the controls of the design data inside HostWindow().
    void CreateControls(const std::vector<DesignControl>& controls, ::Control* container = nullptr);
    // Unloads every control (children before their containers), keeping the event bindings.
    void DestroyControls();
    // Re-applies the tab order of all controls from their TabIndex values.
    void ApplyTabOrder();

private:
    friend class ::Control;
    template <typename T> T& Checked(::Control* control, const QString& name, int index) const
    {
        auto* typed = dynamic_cast<T*>(control);
        if (typed == nullptr) {
            ThrowMissing(name, index);
        }
        return *typed;
    }
    [[noreturn]] void ThrowMissing(const QString& name, int index) const;
    void AddBinder(const QString& name, bool arrayWide, std::function<void(::Control&)> binder);
    void Bind(::Control& control);
    ::Control& CreateOne(const DesignControl& design, ::Control* container);

    struct Binder {
        QString Name;
        bool ArrayWide;
        std::function<void(::Control&)> Attach;
    };
    std::vector<std::unique_ptr<::Control>> mControls;
    std::vector<Binder> mBinders;
    // Elements loaded at run time; only these may be unloaded on their own.
    std::vector<const ::Control*> mRunTimeElements;
};

template <typename T> T& ControlArray<T>::operator()(int index) const
{
    return mHost->template Array<T>(mName, index);
}

template <typename T> bool ControlArray<T>::Exists(int index) const
{
    return dynamic_cast<T*>(mHost->FindControl(mName, index)) != nullptr;
}

template <typename T> int ControlArray<T>::Count() const
{
    int count = 0;
    for (auto* control : mHost->Controls()) {
        if (control->Name().compare(mName, Qt::CaseInsensitive) == 0 && control->Index() >= 0) {
            ++count;
        }
    }
    return count;
}

template <typename T> int ControlArray<T>::LBound() const
{
    int bound = -1;
    for (auto* control : mHost->Controls()) {
        if (control->Name().compare(mName, Qt::CaseInsensitive) == 0 && control->Index() >= 0 &&
            (bound < 0 || control->Index() < bound)) {
            bound = control->Index();
        }
    }
    return bound;
}

template <typename T> int ControlArray<T>::UBound() const
{
    int bound = -1;
    for (auto* control : mHost->Controls()) {
        if (control->Name().compare(mName, Qt::CaseInsensitive) == 0 && control->Index() > bound) {
            bound = control->Index();
        }
    }
    return bound;
}

template <typename T> T& ControlArray<T>::Load(int index) const
{
    return dynamic_cast<T&>(mHost->LoadElement(mName, index));
}

template <typename T> void ControlArray<T>::Unload(int index) const
{
    mHost->UnloadElement(mName, index);
}
