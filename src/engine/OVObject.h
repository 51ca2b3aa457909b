#pragma once

#include "platform/foundation/Object.h"

#include <memory>

// Root of the engine objects the interface receives (accounts, calls, sessions, toasts,
// notices). The interface finds such an object again by identity, never by value.
class OVObject : public platform::Object {
public:
    bool isEqualToInterface(const platform::Object* other) const { return other == this; }
    template <class T> bool isEqualToInterface(const std::shared_ptr<T>& other) const {
        return other.get() == this;
    }
};
