#include "platform/kit/InterfaceDefinition.h"

#include "platform/foundation/Log.h"

#include <map>

namespace platform {

namespace {

std::map<std::string, InterfaceDefinition::Builder, std::less<>>& registry() {
    static std::map<std::string, InterfaceDefinition::Builder, std::less<>> builders;
    return builders;
}

} // namespace

void InterfaceDefinition::registerDefinition(std::string name, Builder builder) {
    registry()[std::move(name)] = std::move(builder);
}

void InterfaceDefinition::unregisterDefinition(std::string_view name) {
    auto it = registry().find(name);
    if (it != registry().end()) {
        registry().erase(it);
    }
}

bool InterfaceDefinition::isRegistered(std::string_view name) {
    return registry().find(name) != registry().end();
}

std::optional<std::vector<std::shared_ptr<Object>>> InterfaceDefinition::load(std::string_view name,
                                                                              Object* owner) {
    auto it = registry().find(name);
    if (it == registry().end()) {
        Logf("Could not load the interface definition \"%@\"", std::string(name));
        return std::nullopt;
    }
    // A copy, so that a builder may register further definitions while it runs.
    const Builder builder = it->second;
    InterfaceDefinitionLoad loading(owner);
    builder(loading);
    // The top-level objects stay alive while they wake, even if one of them drops another.
    const auto keepAlive = loading.topLevelObjects();
    for (const auto& wake : loading.toWake_) {
        wake();
    }
    return loading.takeTopLevelObjects();
}

} // namespace platform
