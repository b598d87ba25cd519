#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

// An event a control raises to its form (RaiseEvent). Handlers run in the order they were
// connected, synchronously, on the UI thread; arguments a handler may change (KeyAscii, Cancel)
// are declared as references. Handlers are not guarded here: the one error guard sits at the
// dispatch of the window-system event that led to the raise.
template <typename... Args> class Event {
public:
    using Handler = std::function<void(Args...)>;

    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // Returns a token for Disconnect.
    std::size_t Connect(Handler handler)
    {
        mHandlers.push_back({++mLastToken, std::move(handler)});
        return mLastToken;
    }

    void Disconnect(std::size_t token)
    {
        for (auto it = mHandlers.begin(); it != mHandlers.end(); ++it) {
            if (it->first == token) {
                mHandlers.erase(it);
                return;
            }
        }
    }

    bool HasHandlers() const noexcept { return !mHandlers.empty(); }

    // A handler may connect or disconnect while the event is raised; the raise works on a copy.
    void Raise(Args... args) const
    {
        const auto handlers = mHandlers;
        for (const auto& entry : handlers) {
            entry.second(args...);
        }
    }

    void operator()(Args... args) const { Raise(args...); }

private:
    std::vector<std::pair<std::size_t, Handler>> mHandlers;
    std::size_t mLastToken = 0;
};
