#pragma once

#include "platform/foundation/Value.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Interface state that outlives the process, kept as a property list: the original's
// per-user defaults. A file that is not a readable property list is moved aside (with a
// warning in the log) and the defaults start empty; it is never silently overwritten.
class UserDefaults {
public:
    // The shared defaults, in the file defaultsFilePath() names.
    static UserDefaults& standardUserDefaults();
    // Points the shared defaults at another file (tests use a temporary folder).
    static void resetStandardUserDefaults(const std::filesystem::path& file);
    // "$XDG_CONFIG_HOME/<bundle identifier>.plist".
    static std::filesystem::path defaultsFilePath();

    explicit UserDefaults(std::filesystem::path file);

    const Value& objectForKey(std::string_view key) const;
    // A string, or a number's description; nullopt otherwise.
    std::optional<std::string> stringForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;
    std::int64_t integerForKey(std::string_view key) const;
    double doubleForKey(std::string_view key) const;
    std::optional<Value::Data> dataForKey(std::string_view key) const;

    // Each write is saved at once.
    void setObject(std::string_view key, Value value);
    void setBool(std::string_view key, bool value) { setObject(key, Value(value)); }
    void setInteger(std::string_view key, std::int64_t value) {
        setObject(key, Value(static_cast<long long>(value)));
    }
    void setDouble(std::string_view key, double value) { setObject(key, Value(value)); }
    void setString(std::string_view key, std::string_view value) {
        setObject(key, Value(value));
    }
    void removeObjectForKey(std::string_view key);
    // Writes the file; false when it cannot be written.
    bool synchronize();

    const std::filesystem::path& file() const { return file_; }
    const Value& dictionaryRepresentation() const { return values_; }

private:
    void load();
    std::filesystem::path file_;
    Value values_;
    // False when an unreadable file could not be moved aside: it must not be overwritten.
    bool writable_ = true;
};

} // namespace platform
