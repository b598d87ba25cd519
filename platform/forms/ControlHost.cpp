#include "ControlHost.h"

#include "ControlRegistry.h"
#include "DesignData.h"
#include "Runtime.h"
#include "UserControl.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {

// Unloaded controls wait here until no dispatch runs any more and the event loop has got back: a
// handler may unload a form whose controls have code of their own further down the stack (the
// scoring form's timer unloads the exam screen while the exam screen's clock tick, which showed
// the scoring form, is still running), and that code continues once the handlers return.
std::vector<std::unique_ptr<::Control>>& Graveyard()
{
    static auto* graveyard = new std::vector<std::unique_ptr<::Control>>();
    return *graveyard;
}

bool gReleaseScheduled = false;

void ReleaseNow()
{
    // Destroying a control may discard others (a user control's children): take the list first.
    while (!Graveyard().empty()) {
        std::vector<std::unique_ptr<::Control>> dead = std::move(Graveyard());
        Graveyard().clear();
        dead.clear();
    }
}

void Discard(std::unique_ptr<::Control> control)
{
    control->DestroyWindow();
    Graveyard().push_back(std::move(control));
    if (DispatchDepth() == 0) {
        ReleaseNow();
    }
}

} // namespace

void ControlHost::ReleaseDiscarded()
{
    if (DispatchDepth() != 0 || Graveyard().empty() || gReleaseScheduled) {
        return;
    }
    if (QCoreApplication::instance() == nullptr) {
        ReleaseNow();
        return;
    }
    gReleaseScheduled = true;
    QTimer::singleShot(0, [] {
        gReleaseScheduled = false;
        // Inside a nested loop of a running dispatch it waits: that dispatch asks again as it ends.
        if (DispatchDepth() == 0) {
            ReleaseNow();
        }
    });
}

ControlHost::ControlHost() = default;

ControlHost::~ControlHost()
{
    DestroyControls();
}

std::vector<::Control*> ControlHost::Controls() const
{
    std::vector<::Control*> controls;
    controls.reserve(mControls.size());
    for (const auto& control : mControls) {
        controls.push_back(control.get());
    }
    return controls;
}

::Control* ControlHost::FindControl(const QString& name, int index) const
{
    for (const auto& control : mControls) {
        if (control->Index() == index && control->Name().compare(name, Qt::CaseInsensitive) == 0) {
            return control.get();
        }
    }
    return nullptr;
}

void ControlHost::ThrowMissing(const QString& name, int index) const
{
    if (index >= 0) {
        throw RuntimeError(340, QStringLiteral("控件数组元素 '%1' 不存在 (%2)").arg(index).arg(name));
    }
    throw RuntimeError(424, QStringLiteral("要求对象: %1").arg(name));
}

bool ControlHost::Dispatch(const std::function<void()>& body)
{
    return RunGuarded(body);
}

void ControlHost::AddBinder(const QString& name, bool arrayWide, std::function<void(::Control&)> binder)
{
    mBinders.push_back({name, arrayWide, binder});
    for (const auto& control : mControls) {
        if (control->Name().compare(name, Qt::CaseInsensitive) == 0 && (control->Index() >= 0) == arrayWide) {
            binder(*control);
        }
    }
}

void ControlHost::Bind(::Control& control)
{
    for (const auto& binder : mBinders) {
        if (control.Name().compare(binder.Name, Qt::CaseInsensitive) == 0 &&
            (control.Index() >= 0) == binder.ArrayWide) {
            binder.Attach(control);
        }
    }
}

::Control& ControlHost::AddControl(std::unique_ptr<::Control> control, const QString& name, int index,
                                   ::Control* container)
{
    if (FindControl(name, index) != nullptr) {
        throw RuntimeError(360, QStringLiteral("对象已经加载: %1").arg(name));
    }
    ::Control& added = *control;
    mControls.push_back(std::move(control));
    added.Place(this, name, index, container);
    if (QWidget* parent = added.ContainerWindow()) {
        added.CreateWindowIn(parent);
    }
    if (auto* user = dynamic_cast<UserControl*>(&added)) {
        user->InitNew();
    }
    added.EndDesignLoad();
    Bind(added);
    ApplyTabOrder();
    return added;
}

::Control& ControlHost::CreateOne(const DesignControl& design, ::Control* container)
{
    std::unique_ptr<::Control> made = CreateControlOfType(design.Type);
    if (made == nullptr) {
        throw RuntimeError(380, QStringLiteral("设计数据第 %1 行: 未知的控件类型 '%2' (%3)")
                                    .arg(design.Line)
                                    .arg(design.Type, design.Name));
    }
    if (FindControl(design.Name, design.Index) != nullptr) {
        throw RuntimeError(380, QStringLiteral("设计数据第 %1 行: 控件 '%2' 重复").arg(design.Line).arg(design.Name));
    }
    ::Control& control = *made;
    mControls.push_back(std::move(made));
    control.Place(this, design.Name, design.Index, container);
    if (QWidget* parent = control.ContainerWindow()) {
        control.CreateWindowIn(parent);
    }
    for (const auto& [name, value] : design.Properties) {
        if (!control.SetDesignProperty(name, value)) {
            throw RuntimeError(
                380,
                QStringLiteral("设计数据第 %1 行: 控件 '%2' 没有属性 '%3'").arg(design.Line).arg(design.Name, name));
        }
    }
    control.EndDesignLoad();
    if (auto* user = dynamic_cast<UserControl*>(&control)) {
        user->LoadProperties(design.Bag);
    } else if (design.HasBag) {
        throw RuntimeError(
            380,
            QStringLiteral("设计数据第 %1 行: 控件 '%2' 不是用户控件, 不能有属性包").arg(design.Line).arg(design.Name));
    }
    if (!design.Children.empty()) {
        if (!control.IsContainer()) {
            throw RuntimeError(
                380, QStringLiteral("设计数据第 %1 行: 控件 '%2' 不能包含其他控件").arg(design.Line).arg(design.Name));
        }
        CreateControls(design.Children, &control);
    }
    return control;
}

void ControlHost::CreateControls(const std::vector<DesignControl>& controls, ::Control* container)
{
    std::vector<::Control*> created;
    for (const auto& design : controls) {
        created.push_back(&CreateOne(design, container));
    }
    for (auto* control : created) {
        Bind(*control);
    }
    if (container == nullptr) {
        ApplyTabOrder();
    }
}

void ControlHost::DestroyControls()
{
    // Children were created after their containers: going backwards unloads them first.
    while (!mControls.empty()) {
        std::unique_ptr<::Control> control = std::move(mControls.back());
        mControls.pop_back();
        if (auto* user = dynamic_cast<UserControl*>(control.get())) {
            user->TerminateControl();
        }
        Discard(std::move(control));
    }
    mRunTimeElements.clear();
}

::Control& ControlHost::LoadElement(const QString& name, int index)
{
    ::Control* first = nullptr;
    for (const auto& control : mControls) {
        if (control->Index() >= 0 && control->Name().compare(name, Qt::CaseInsensitive) == 0 &&
            (first == nullptr || control->Index() < first->Index())) {
            first = control.get();
        }
    }
    if (first == nullptr) {
        ThrowMissing(name, 0);
    }
    if (index < 0 || index > 32767) {
        throw RuntimeError(340, QStringLiteral("控件数组元素 '%1' 不存在 (%2)").arg(index).arg(name));
    }
    if (FindControl(name, index) != nullptr) {
        throw RuntimeError(360, QStringLiteral("对象已经加载: %1(%2)").arg(name).arg(index));
    }
    std::unique_ptr<::Control> made = CreateControlOfType(first->TypeName());
    if (made == nullptr) {
        throw RuntimeError(380, QStringLiteral("未知的控件类型 '%1'").arg(first->TypeName()));
    }
    ::Control& control = *made;
    mControls.push_back(std::move(made));
    control.Place(this, first->Name(), index, first->Container());
    control.SetVisible(false);
    control.SetTabIndex(first->TabIndex());
    if (QWidget* parent = control.ContainerWindow()) {
        control.CreateWindowIn(parent);
    }
    control.CopyPropertiesFrom(*first);
    control.EndDesignLoad();
    mRunTimeElements.push_back(&control);
    Bind(control);
    ApplyTabOrder();
    return control;
}

void ControlHost::UnloadElement(const QString& name, int index)
{
    ::Control* control = FindControl(name, index);
    if (control == nullptr) {
        ThrowMissing(name, index);
    }
    auto runTime = std::find(mRunTimeElements.begin(), mRunTimeElements.end(), control);
    if (runTime == mRunTimeElements.end()) {
        throw RuntimeError(362, QStringLiteral("不能卸载在设计时创建的控件: %1(%2)").arg(name).arg(index));
    }
    mRunTimeElements.erase(runTime);
    auto owned = std::find_if(mControls.begin(), mControls.end(),
                              [control](const auto& candidate) { return candidate.get() == control; });
    std::unique_ptr<::Control> removed = std::move(*owned);
    mControls.erase(owned);
    if (auto* user = dynamic_cast<UserControl*>(removed.get())) {
        user->TerminateControl();
    }
    Discard(std::move(removed));
}

void ControlHost::ApplyTabOrder()
{
    std::vector<::Control*> order;
    for (const auto& control : mControls) {
        if (control->hWnd() != nullptr && control->CanTakeFocus()) {
            order.push_back(control.get());
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const ::Control* a, const ::Control* b) { return a->TabIndex() < b->TabIndex(); });
    for (std::size_t i = 1; i < order.size(); ++i) {
        if (order[i - 1]->hWnd()->window() == order[i]->hWnd()->window()) {
            QWidget::setTabOrder(order[i - 1]->hWnd(), order[i]->hWnd());
        }
    }
}
