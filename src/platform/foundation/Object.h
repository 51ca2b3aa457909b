#pragma once

#include <string>

namespace platform {

// Root of every platform, engine and application object that takes part in messaging:
// notification senders, action senders and targets, objects boxed in a Value.
class Object {
public:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;
    virtual ~Object() = default;

    // What "%@" prints for this object.
    virtual std::string description() const;
};

} // namespace platform
