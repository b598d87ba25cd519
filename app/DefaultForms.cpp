#include "DefaultForms.h"

#include <utility>
#include <vector>

namespace Forms {

namespace {

std::vector<std::function<void()>>& Hooks()
{
    static std::vector<std::function<void()>> hooks;
    return hooks;
}

} // namespace

void OnDestroyAll(std::function<void()> hook)
{
    Hooks().push_back(std::move(hook));
}

void DestroyAll()
{
    // A destroyed instance may be made again at once by a hook's side effects; take the list first.
    std::vector<std::function<void()>> hooks;
    hooks.swap(Hooks());
    for (const auto& hook : hooks) {
        hook();
    }
}

} // namespace Forms
