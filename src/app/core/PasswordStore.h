#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {
class UserDefaults;
}

// Where the login view keeps the remembered password: the desktop's secret store where one
// runs, else a file only the user can read. Never the defaults file, which is world-readable.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;

    // The stored password, or nullopt when none is stored (or it cannot be read).
    virtual std::optional<std::string> password() = 0;
    // False with the reason in `error` when it could not be stored.
    virtual bool setPassword(const std::string& password, std::string* error = nullptr) = 0;
    // Forgets the password; true also when none was stored.
    virtual bool removePassword(std::string* error = nullptr) = 0;
    // Where it is kept, for the log.
    virtual std::string description() const = 0;

    // The store in use: one set with setShared, else the Secret Service when one is reachable
    // on the session bus, else the file in the settings folder (chosen once).
    static PasswordStore& shared();
    // Replaces the store in use (tests install a file in a temporary folder); null goes back
    // to choosing at the next use.
    static void setShared(std::unique_ptr<PasswordStore> store);
};

// The defaults key under which older versions kept the password, encrypted with a key anyone
// can read in the program.
inline constexpr const char* legacyRememberedPasswordKey = "login.last_value.password";

// Moves a password older versions left in the defaults into `store` and removes it from the
// defaults. Should the store refuse it, the old value stays, so nothing is lost.
void migrateRememberedPassword(platform::UserDefaults& defaults, PasswordStore& store);
