#pragma once

#include "platform/foundation/Object.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Base of an object that an interface definition makes and that is neither a view nor a
// window (those have awake() of their own): awake() runs once the definition's builder has
// made every object and set every outlet, so that it may use its outlets.
class Awakable {
public:
    virtual ~Awakable() = default;
    virtual void awake() {}
};

// One loading of an interface definition: what the builder is given and hands back.
class InterfaceDefinitionLoad {
public:
    explicit InterfaceDefinitionLoad(Object* owner) : owner_(owner) {}

    // The object that asked for the definition ("File's Owner"); it may be null.
    Object* owner() const { return owner_; }

    // Keeps a top-level object alive with the load's result and, when it has awake(), wakes
    // it after the builder returns. Objects wake in the order they were named.
    template <class T> std::shared_ptr<T> addTopLevelObject(std::shared_ptr<T> object) {
        topLevelObjects_.push_back(object);
        if constexpr (requires(T & t) { t.awake(); }) {
            wakeLater(object.get());
        }
        return object;
    }
    // Wakes an object that is not top-level (a view kept by its window, the owner when the
    // builder set its outlets) after the builder returns.
    template <class T> void wakeLater(T* object) {
        if (object) {
            toWake_.push_back([object] { object->awake(); });
        }
    }

    const std::vector<std::shared_ptr<Object>>& topLevelObjects() const { return topLevelObjects_; }
    std::vector<std::shared_ptr<Object>> takeTopLevelObjects() {
        return std::move(topLevelObjects_);
    }

private:
    friend class InterfaceDefinition;
    Object* owner_;
    std::vector<std::shared_ptr<Object>> topLevelObjects_;
    std::vector<std::function<void()>> toWake_;
};

// The registry of interface definitions, the counterpart of the original's interface files:
// each definition is a builder registered under its name. Loading a definition runs its
// builder (which creates the objects and sets the outlets), then wakes the objects in the
// order the builder named them.
class InterfaceDefinition {
public:
    using Builder = std::function<void(InterfaceDefinitionLoad&)>;

    static void registerDefinition(std::string name, Builder builder);
    static void unregisterDefinition(std::string_view name);
    static bool isRegistered(std::string_view name);

    // The top-level objects of the definition, or nullopt (with a line in the log) when no
    // definition has that name.
    static std::optional<std::vector<std::shared_ptr<Object>>> load(std::string_view name,
                                                                    Object* owner);
};

} // namespace platform
