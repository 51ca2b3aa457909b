#pragma once

#include "platform/foundation/Object.h"

#include <string>

// A way of signing in that the engine offers. The sign-in view lists them; a profile of type
// NO_LOGIN needs no sign-in at all.
class LoginProfileItem : public platform::Object {
public:
    enum class Type {
        NO_LOGIN,
        BUILTIN,
        USER_BUILTIN,
        MANUAL,
        SEMI_MANUAL,
        USER_MANUAL,
        AUTODETECT,
        LOCAL
    };

    LoginProfileItem(int profileID, std::string name, Type type)
        : profileID_(profileID), name_(std::move(name)), type_(type) {}

    int profileID() const { return profileID_; }
    const std::string& name() const { return name_; }
    Type type() const { return type_; }

    std::string description() const override { return name_; }

private:
    int profileID_;
    std::string name_;
    Type type_;
};
