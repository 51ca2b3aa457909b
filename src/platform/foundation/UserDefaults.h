#pragma once

#include "platform/foundation/Value.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Interface state that outlives the process, kept as a property list: the original's
// per-user defaults. A file that is not a readable property list is moved aside (with a
// warning in the log) and the defaults start empty; it is never silently overwritten.
//
// Changes are written together on the main run loop's next pass (a sign-in sets many keys,
// and each write is an fsync), by synchronize(), and when the defaults go or are replaced;
// each write still replaces the file atomically. The shared defaults are never destroyed: the
// application saves them when it terminates.
class UserDefaults {
public:
    // Told of every attempt to write a defaults file (tests count them).
    using WriteObserver = std::function<void(const std::filesystem::path& file)>;
    static void setWriteObserver(WriteObserver observer);
    // Told when the defaults stop being saved (disk full, folder not writable), with the
    // reason; once, until a save succeeds again, not on every retry.
    using SaveFailureHandler =
        std::function<void(const std::filesystem::path& file, const std::string& reason)>;
    static void setSaveFailureHandler(SaveFailureHandler handler);

    // The shared defaults, in the file defaultsFilePath() names.
    static UserDefaults& standardUserDefaults();
    // Points the shared defaults at another file (tests use a temporary folder).
    static void resetStandardUserDefaults(const std::filesystem::path& file);
    // "$XDG_CONFIG_HOME/<bundle identifier>.plist".
    static std::filesystem::path defaultsFilePath();

    explicit UserDefaults(std::filesystem::path file);
    // Writes what is still unsaved.
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;
    // Saves what this one has unsaved, then takes the other's state.
    UserDefaults& operator=(UserDefaults&& other);

    const Value& objectForKey(std::string_view key) const;
    // A string, or a number's description; nullopt otherwise.
    std::optional<std::string> stringForKey(std::string_view key) const;
    bool boolForKey(std::string_view key) const;
    std::int64_t integerForKey(std::string_view key) const;
    double doubleForKey(std::string_view key) const;
    std::optional<Value::Data> dataForKey(std::string_view key) const;

    // Saved on the main run loop's next pass.
    void setObject(std::string_view key, Value value);
    void setBool(std::string_view key, bool value) { setObject(key, Value(value)); }
    void setInteger(std::string_view key, std::int64_t value) {
        setObject(key, Value(static_cast<long long>(value)));
    }
    void setDouble(std::string_view key, double value) { setObject(key, Value(value)); }
    void setString(std::string_view key, std::string_view value) { setObject(key, Value(value)); }
    void removeObjectForKey(std::string_view key);
    // Writes unsaved changes now; false when they cannot be written (or, with nothing to
    // write, when the last attempt failed).
    bool synchronize();
    // Whether changes wait to be written.
    bool hasUnsavedChanges() const { return dirty_; }

    const std::filesystem::path& file() const { return file_; }
    const Value& dictionaryRepresentation() const { return values_; }

private:
    struct SaveTicket;
    void load();
    void changed();
    void releaseTicket();
    bool save();
    std::filesystem::path file_;
    Value values_;
    // False when an unreadable file could not be moved aside: it must not be overwritten.
    bool writable_ = true;
    bool dirty_ = false;
    bool lastSaveFailed_ = false;
    // Alive while a save waits on the run loop; a loop reset that drops the task drops it too.
    std::weak_ptr<SaveTicket> ticket_;
};

} // namespace platform
