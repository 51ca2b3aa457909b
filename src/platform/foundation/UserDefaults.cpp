#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"

#include <chrono>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFallbackIdentifier = "com.orvanta.lumiq";

UserDefaults& sharedDefaults() {
    static UserDefaults defaults(UserDefaults::defaultsFilePath());
    return defaults;
}

// A name next to `file` that nothing uses yet: "<name>.unreadable-<unix time>[-n]".
fs::path asideName(const fs::path& file) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    const std::string base = file.filename().string() + ".unreadable-" + std::to_string(seconds);
    fs::path candidate = file.parent_path() / base;
    std::error_code code;
    for (int n = 2; fs::exists(fs::symlink_status(candidate, code)); ++n)
        candidate = file.parent_path() / (base + "-" + std::to_string(n));
    return candidate;
}

} // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
    return sharedDefaults();
}

void UserDefaults::resetStandardUserDefaults(const fs::path& file) {
    // Replaced in place, so references taken earlier stay valid.
    sharedDefaults() = UserDefaults(file);
}

fs::path UserDefaults::defaultsFilePath() {
    std::string identifier = Bundle::mainBundle().bundleIdentifier();
    if (identifier.empty() || identifier.find('/') != std::string::npos)
        identifier = kFallbackIdentifier;
    return preferencesDirectory() / (identifier + ".plist");
}

UserDefaults::UserDefaults(fs::path file) : file_(std::move(file)), values_(Value::Dictionary{}) {
    load();
}

void UserDefaults::load() {
    values_ = Value(Value::Dictionary{});
    writable_ = true;
    FileManager& files = FileManager::defaultManager();
    std::error_code code;
    if (!fs::exists(fs::symlink_status(file_, code)))
        return;
    auto contents = files.contentsAtPath(file_);
    std::optional<Value> parsed;
    if (contents)
        parsed = Value::fromPropertyList(std::string_view(*contents));
    if (parsed && parsed->isDictionary()) {
        values_ = std::move(*parsed);
        return;
    }
    // Keep what the user had for inspection; starting over must not destroy it.
    const fs::path aside = asideName(file_);
    std::string error;
    if (files.moveItemAtPath(file_, aside, &error)) {
        Logf("Warning: the settings file %@ could not be read; it was moved to %@ and the "
             "settings start empty.",
             file_.string(), aside.string());
    } else {
        writable_ = false;
        Logf("Warning: the settings file %@ could not be read and could not be moved aside "
             "(%@); settings will not be saved.",
             file_.string(), error);
    }
}

const Value& UserDefaults::objectForKey(std::string_view key) const {
    return values_[key];
}

std::optional<std::string> UserDefaults::stringForKey(std::string_view key) const {
    const Value& value = values_[key];
    if (value.isString() || value.isNumber())
        return value.stringValue();
    return std::nullopt;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    return values_[key].boolValue();
}

std::int64_t UserDefaults::integerForKey(std::string_view key) const {
    return values_[key].integerValue();
}

double UserDefaults::doubleForKey(std::string_view key) const {
    return values_[key].doubleValue();
}

std::optional<Value::Data> UserDefaults::dataForKey(std::string_view key) const {
    if (const Value::Data* data = values_[key].data())
        return *data;
    return std::nullopt;
}

void UserDefaults::setObject(std::string_view key, Value value) {
    if (value.isNull()) {
        removeObjectForKey(key);
        return;
    }
    values_.setObject(key, std::move(value));
    synchronize();
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    values_.removeObjectForKey(key);
    synchronize();
}

bool UserDefaults::synchronize() {
    if (!writable_ || file_.empty())
        return false;
    std::error_code code;
    if (file_.has_parent_path())
        fs::create_directories(file_.parent_path(), code);
    if (!values_.writePropertyListFile(file_, PropertyListFormat::XML)) {
        Logf("Warning: the settings could not be saved to %@.", file_.string());
        return false;
    }
    return true;
}

} // namespace platform
