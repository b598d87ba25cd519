#include "WindowHooks.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

struct Subscriber {
    const void* Owner = nullptr;
    std::shared_ptr<WindowProc> Proc;
    std::vector<unsigned> Before;
    std::vector<unsigned> After;
    bool AllBefore = false;
    bool AllAfter = false;

    bool Wants(unsigned message, bool before) const
    {
        const auto& list = before ? Before : After;
        return (before ? AllBefore : AllAfter) || std::find(list.begin(), list.end(), message) != list.end();
    }
};

struct Message {
    unsigned Number;
    quintptr WParam;
};

// The one hook of a window; a child object of the window, so it goes with it.
class HookFilter : public QObject {
public:
    explicit HookFilter(QWidget* window) : QObject(window)
    {
        setObjectName(QStringLiteral("qkmWindowHook"));
        window->installEventFilter(this);
    }

    std::vector<Subscriber> Subscribers;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent() || Subscribers.empty()) {
            return false;
        }
        Message messages[2];
        int count = 0;
        switch (event->type()) {
        case QEvent::Leave:
            messages[count++] = {WM_MOUSELEAVE, 0};
            break;
        case QEvent::ThemeChange:
        case QEvent::StyleChange:
            messages[count++] = {WM_THEMECHANGED, 0};
            break;
        case QEvent::PaletteChange:
        case QEvent::ApplicationPaletteChange:
            messages[count++] = {WM_SYSCOLORCHANGE, 0};
            break;
        case QEvent::WindowActivate:
            messages[count++] = {WM_NCACTIVATE, 1};
            messages[count++] = {WM_ACTIVATE, static_cast<quintptr>(WA_ACTIVE)};
            break;
        case QEvent::WindowDeactivate:
            messages[count++] = {WM_NCACTIVATE, 0};
            messages[count++] = {WM_ACTIVATE, static_cast<quintptr>(WA_INACTIVE)};
            break;
        case QEvent::FocusIn:
            messages[count++] = {WM_SETFOCUS, 0};
            break;
        case QEvent::FocusOut:
            messages[count++] = {WM_KILLFOCUS, 0};
            break;
        default:
            return false;
        }
        QPointer<QWidget> window = static_cast<QWidget*>(watched);
        bool handled = false;
        long result = 0;
        bool wantsAfter = false;
        for (int i = 0; i < count && !handled; ++i) {
            Call(window, messages[i], true, handled, result);
            for (const auto& subscriber : Subscribers) {
                wantsAfter = wantsAfter || subscriber.Wants(messages[i].Number, false);
            }
        }
        if (handled) {
            return true;
        }
        if (!wantsAfter || window == nullptr) {
            return false;
        }
        // The window's own handling first, then the after calls: the filter stands in for the
        // hook's call of the previous window procedure.
        static_cast<QObject*>(window.data())->event(event);
        for (int i = 0; i < count && window != nullptr; ++i) {
            bool afterHandled = false;
            Call(window, messages[i], false, afterHandled, result);
        }
        return true;
    }

private:
    void Call(const QPointer<QWidget>& window, const Message& message, bool before, bool& handled, long& result)
    {
        // Owners may remove their hooks (or others') from inside a call: work on a snapshot and
        // skip the owners that left meanwhile.
        std::vector<std::pair<const void*, std::shared_ptr<WindowProc>>> calls;
        for (const auto& subscriber : Subscribers) {
            if (subscriber.Wants(message.Number, before)) {
                calls.emplace_back(subscriber.Owner, subscriber.Proc);
            }
        }
        for (const auto& [owner, proc] : calls) {
            if (window == nullptr || handled) {
                return;
            }
            const bool present = std::any_of(Subscribers.begin(), Subscribers.end(),
                                             [&](const Subscriber& s) { return s.Owner == owner && s.Proc == proc; });
            if (present) {
                (*proc)(before, handled, result, window.data(), message.Number, message.WParam, 0);
            }
        }
    }
};

HookFilter* FindFilter(const QWidget* window)
{
    if (window == nullptr) {
        return nullptr;
    }
    return window->findChild<HookFilter*>(QStringLiteral("qkmWindowHook"), Qt::FindDirectChildrenOnly);
}

Subscriber* FindSubscriber(HookFilter* filter, const void* owner)
{
    if (filter == nullptr) {
        return nullptr;
    }
    for (auto& subscriber : filter->Subscribers) {
        if (subscriber.Owner == owner) {
            return &subscriber;
        }
    }
    return nullptr;
}

std::vector<QPointer<HookFilter>>& AllFilters()
{
    static std::vector<QPointer<HookFilter>> filters;
    return filters;
}

} // namespace

bool WindowHooks::Install(QWidget* window, const void* owner, WindowProc proc)
{
    if (window == nullptr) {
        return false;
    }
    HookFilter* filter = FindFilter(window);
    if (filter == nullptr) {
        filter = new HookFilter(window);
        auto& filters = AllFilters();
        filters.erase(std::remove(filters.begin(), filters.end(), nullptr), filters.end());
        filters.emplace_back(filter);
    }
    if (Subscriber* existing = FindSubscriber(filter, owner)) {
        existing->Proc = std::make_shared<WindowProc>(std::move(proc));
        return true;
    }
    Subscriber subscriber;
    subscriber.Owner = owner;
    subscriber.Proc = std::make_shared<WindowProc>(std::move(proc));
    filter->Subscribers.push_back(std::move(subscriber));
    return true;
}

void WindowHooks::AddMessage(QWidget* window, const void* owner, unsigned message, int when)
{
    Subscriber* subscriber = FindSubscriber(FindFilter(window), owner);
    if (subscriber == nullptr) {
        return;
    }
    auto add = [message](std::vector<unsigned>& list, bool& all) {
        if (message == ~0u) {
            all = true;
        } else if (std::find(list.begin(), list.end(), message) == list.end()) {
            list.push_back(message);
        }
    };
    if ((when & 2) != 0) {
        add(subscriber->Before, subscriber->AllBefore);
    }
    if ((when & 1) != 0) {
        add(subscriber->After, subscriber->AllAfter);
    }
}

void WindowHooks::Remove(QWidget* window, const void* owner)
{
    HookFilter* filter = FindFilter(window);
    if (filter == nullptr) {
        return;
    }
    auto& subscribers = filter->Subscribers;
    subscribers.erase(std::remove_if(subscribers.begin(), subscribers.end(),
                                     [owner](const Subscriber& s) { return s.Owner == owner; }),
                      subscribers.end());
}

void WindowHooks::RemoveAll(const void* owner)
{
    if (owner == nullptr) {
        return;
    }
    for (const auto& filter : AllFilters()) {
        if (filter != nullptr) {
            auto& subscribers = filter->Subscribers;
            subscribers.erase(std::remove_if(subscribers.begin(), subscribers.end(),
                                             [owner](const Subscriber& s) { return s.Owner == owner; }),
                              subscribers.end());
        }
    }
}

bool WindowHooks::IsInstalled(const QWidget* window, const void* owner)
{
    return FindSubscriber(FindFilter(window), owner) != nullptr;
}

int WindowHooks::OwnerCount(const QWidget* window)
{
    HookFilter* filter = FindFilter(window);
    return filter != nullptr ? static_cast<int>(filter->Subscribers.size()) : 0;
}
