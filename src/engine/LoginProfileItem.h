#pragma once

#include "platform/foundation/Object.h"

#include <optional>
#include <string>
#include <string_view>

// A way of signing in that the engine offers. The sign-in view lists them; a profile of type
// NO_LOGIN needs no sign-in at all. What a profile asks for and requires decides which fields
// the view shows and checks.
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
    static constexpr Type NO_LOGIN = Type::NO_LOGIN;
    static constexpr Type BUILTIN = Type::BUILTIN;
    static constexpr Type USER_BUILTIN = Type::USER_BUILTIN;
    static constexpr Type MANUAL = Type::MANUAL;
    static constexpr Type SEMI_MANUAL = Type::SEMI_MANUAL;
    static constexpr Type USER_MANUAL = Type::USER_MANUAL;
    static constexpr Type AUTODETECT = Type::AUTODETECT;
    static constexpr Type LOCAL = Type::LOCAL;

    // The type's name as provisioning data writes it ("NO_LOGIN", "MANUAL"), and back.
    static std::string_view typeName(Type type);
    static std::optional<Type> typeFromName(std::string_view name);

    LoginProfileItem(int profileID, std::string name, Type type)
        : profileID_(profileID), name_(std::move(name)), type_(type) {
        const bool asks = type != Type::NO_LOGIN;
        askUsername_ = askPassword_ = requiresUsername_ = requiresPassword_ = asks;
    }

    int profileID() const { return profileID_; }
    const std::string& name() const { return name_; }
    Type type() const { return type_; }

    // The server text; for manual profiles the sign-in view writes the server field into it.
    const std::string& data() const { return data_; }
    void setData(std::string data) { data_ = std::move(data); }
    // A token the provisioning gave; the interface relies only on whether it is empty.
    const std::string& token() const { return token_; }
    void setToken(std::string token) { token_ = std::move(token); }
    // Seconds before an automatic sign-in; negative: none.
    int autoLoginTimeout() const { return autoLoginTimeout_; }
    void setAutoLoginTimeout(int seconds) { autoLoginTimeout_ = seconds; }
    bool allowRemember() const { return allowRemember_; }
    void setAllowRemember(bool allow) { allowRemember_ = allow; }

    bool askUsername() const { return askUsername_; }
    bool askDisplayName() const { return askDisplayName_; }
    bool askAuthName() const { return askAuthName_; }
    bool askPassword() const { return askPassword_; }
    bool requiresUsername() const { return requiresUsername_; }
    bool requiresDisplayName() const { return requiresDisplayName_; }
    bool requiresAuthName() const { return requiresAuthName_; }
    bool requiresPassword() const { return requiresPassword_; }
    void setAsks(bool username, bool displayName, bool authName, bool password) {
        askUsername_ = username;
        askDisplayName_ = displayName;
        askAuthName_ = authName;
        askPassword_ = password;
    }
    void setRequires(bool username, bool displayName, bool authName, bool password) {
        requiresUsername_ = username;
        requiresDisplayName_ = displayName;
        requiresAuthName_ = authName;
        requiresPassword_ = password;
    }

    std::string description() const override { return name_; }

private:
    int profileID_;
    std::string name_;
    Type type_;
    std::string data_;
    std::string token_;
    int autoLoginTimeout_ = -1;
    bool allowRemember_ = true;
    bool askUsername_ = false;
    bool askDisplayName_ = false;
    bool askAuthName_ = false;
    bool askPassword_ = false;
    bool requiresUsername_ = false;
    bool requiresDisplayName_ = false;
    bool requiresAuthName_ = false;
    bool requiresPassword_ = false;
};
