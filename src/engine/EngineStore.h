#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// The engine's SQLite database in its user-setting folder. Opening creates the folder and
// the schema when they are missing.
class EngineStore {
public:
    EngineStore();
    ~EngineStore();
    EngineStore(const EngineStore&) = delete;
    EngineStore& operator=(const EngineStore&) = delete;

    static constexpr const char* fileName = "engine.sqlite";

    // nullopt on success, else why the store cannot be opened.
    std::optional<std::string> open(const std::filesystem::path& folder);
    void close();
    bool isOpen() const;
    const std::filesystem::path& file() const { return file_; }

    // A small key/value table for the engine's own facts (schema version, last culture).
    bool setValue(const std::string& key, const std::string& value);
    std::optional<std::string> value(const std::string& key) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::filesystem::path file_;
};
