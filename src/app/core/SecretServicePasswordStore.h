#pragma once

#include "app/core/PasswordStore.h"

// The password in the desktop's secret store (the Secret Service of the session bus, which
// keyring daemons provide), under the application's identifier.
class SecretServicePasswordStore : public PasswordStore {
public:
    // A store on the session bus's Secret Service, or null when there is no session bus or
    // no service owns or can be started for the name. Never starts a bus of its own.
    static std::unique_ptr<SecretServicePasswordStore> connect(std::string application);

    std::optional<std::string> password() override;
    bool setPassword(const std::string& password, std::string* error = nullptr) override;
    bool removePassword(std::string* error = nullptr) override;
    std::string description() const override;

    const std::string& application() const { return application_; }

private:
    explicit SecretServicePasswordStore(std::string application)
        : application_(std::move(application)) {}
    std::string application_;
};
