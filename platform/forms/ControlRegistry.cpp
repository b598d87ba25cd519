#include "ControlRegistry.h"

#include "IntrinsicControls.h"

#include <map>

namespace {

std::map<QString, std::pair<QString, ControlFactory>>& Registry()
{
    static std::map<QString, std::pair<QString, ControlFactory>> registry = [] {
        std::map<QString, std::pair<QString, ControlFactory>> builtIn;
        for (auto& [name, factory] : IntrinsicControlFactories()) {
            builtIn[name.toLower()] = {name, factory};
        }
        return builtIn;
    }();
    return registry;
}

} // namespace

void RegisterControlType(const QString& typeName, ControlFactory factory)
{
    Registry()[typeName.toLower()] = {typeName, std::move(factory)};
}

std::unique_ptr<Control> CreateControlOfType(const QString& typeName)
{
    auto& registry = Registry();
    auto found = registry.find(typeName.toLower());
    if (found == registry.end()) {
        return nullptr;
    }
    return found->second.second();
}

QStringList RegisteredControlTypes()
{
    QStringList names;
    for (const auto& entry : Registry()) {
        names.append(entry.second.first);
    }
    return names;
}
