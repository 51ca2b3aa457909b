#pragma once

#include "app/core/PasswordStore.h"

#include <filesystem>

// The password in a file of mode 0600: written with that mode from the start (never briefly
// readable by others), and an existing file's wider mode is tightened when it is read.
class FilePasswordStore : public PasswordStore {
public:
    // "remembered-password" in the product's settings folder, looked up at each use (it
    // follows $XDG_DATA_HOME).
    FilePasswordStore() = default;
    explicit FilePasswordStore(std::filesystem::path file) : file_(std::move(file)) {}

    std::optional<std::string> password() override;
    bool setPassword(const std::string& password, std::string* error = nullptr) override;
    bool removePassword(std::string* error = nullptr) override;
    std::string description() const override;

    std::filesystem::path file() const;
    static std::filesystem::path defaultFile();

private:
    std::filesystem::path file_;
};
