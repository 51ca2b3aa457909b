#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFallbackIdentifier = "com.orvanta.lumiq";

UserDefaults::WriteObserver& writeObserver() {
    static UserDefaults::WriteObserver observer;
    return observer;
}

UserDefaults::SaveFailureHandler& saveFailureHandler() {
    static UserDefaults::SaveFailureHandler handler;
    return handler;
}

UserDefaults& sharedDefaults() {
    // Never destroyed: a save from a static destructor at exit would reach logging and run-loop
    // state already gone. The application saves when it terminates instead.
    static UserDefaults* defaults = new UserDefaults(UserDefaults::defaultsFilePath());
    return *defaults;
}

} // namespace

struct UserDefaults::SaveTicket {
    UserDefaults* owner;
};

void UserDefaults::setWriteObserver(WriteObserver observer) {
    writeObserver() = std::move(observer);
}

void UserDefaults::setSaveFailureHandler(SaveFailureHandler handler) {
    saveFailureHandler() = std::move(handler);
}

UserDefaults& UserDefaults::standardUserDefaults() {
    return sharedDefaults();
}

void UserDefaults::resetStandardUserDefaults(const fs::path& file) {
    // Replaced in place, so references taken earlier stay valid. What is unsaved is written
    // before the new file is read, which may be the same one.
    UserDefaults& shared = sharedDefaults();
    if (shared.dirty_)
        shared.save();
    shared = UserDefaults(file);
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

UserDefaults::~UserDefaults() {
    if (dirty_)
        save();
    releaseTicket();
}

UserDefaults& UserDefaults::operator=(UserDefaults&& other) {
    if (this == &other)
        return *this;
    if (dirty_)
        save();
    releaseTicket();
    other.releaseTicket();
    file_ = std::move(other.file_);
    values_ = std::move(other.values_);
    writable_ = other.writable_;
    dirty_ = other.dirty_;
    lastSaveFailed_ = other.lastSaveFailed_;
    other.dirty_ = false;
    if (dirty_)
        changed();
    return *this;
}

void UserDefaults::releaseTicket() {
    if (auto ticket = ticket_.lock())
        ticket->owner = nullptr;
    ticket_.reset();
}

void UserDefaults::changed() {
    dirty_ = true;
    if (!ticket_.expired())
        return;
    // The task owns the ticket: run or dropped, it expires with the task, so a loop reset
    // never leaves the defaults believing a save is on its way.
    auto ticket = std::make_shared<SaveTicket>(SaveTicket{this});
    ticket_ = ticket;
    RunLoop::main().performInModes(
        [ticket] {
            if (UserDefaults* owner = ticket->owner; owner && owner->dirty_)
                owner->save();
        },
        commonModes());
}

void UserDefaults::load() {
    values_ = Value(Value::Dictionary{});
    writable_ = true;
    FileManager& files = FileManager::defaultManager();
    std::error_code code;
    if (!fs::exists(fs::symlink_status(file_, code)))
        return;
    std::string why;
    std::optional<Value> parsed = Value::readPropertyListFile(file_, &why);
    if (parsed && parsed->isDictionary()) {
        values_ = std::move(*parsed);
        return;
    }
    if (parsed)
        why = "it holds no dictionary";
    // Keep what the user had for inspection; starting over must not destroy it.
    const fs::path aside = asideName(file_, "unreadable");
    std::string error;
    if (files.moveItemAtPath(file_, aside, &error)) {
        Logf("Warning: the settings file %@ could not be read (%@); it was moved to %@ and the "
             "settings start empty.",
             file_.string(), why, aside.string());
    } else {
        writable_ = false;
        Logf("Warning: the settings file %@ could not be read (%@) and could not be moved aside "
             "(%@); settings will not be saved.",
             file_.string(), why, error);
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
    changed();
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    values_.removeObjectForKey(key);
    changed();
}

bool UserDefaults::synchronize() {
    if (!writable_ || file_.empty())
        return false;
    if (!dirty_)
        return !lastSaveFailed_;
    return save();
}

bool UserDefaults::save() {
    if (!writable_ || file_.empty())
        return false;
    std::error_code code;
    if (file_.has_parent_path())
        fs::create_directories(file_.parent_path(), code);
    if (writeObserver())
        writeObserver()(file_);
    std::string error;
    const std::string bytes = values_.toPropertyList(PropertyListFormat::XML);
    if (bytes.empty())
        error = "the settings cannot be written as a property list";
    if (bytes.empty() || !FileManager::defaultManager().writeAtomically(file_, bytes, &error)) {
        // Still unsaved: the next change, synchronize() or the end tries again.
        if (!lastSaveFailed_) {
            lastSaveFailed_ = true;
            Logf("Warning: the settings could not be saved to %@: %@", file_.string(), error);
            if (saveFailureHandler())
                saveFailureHandler()(file_, error);
        }
        return false;
    }
    dirty_ = false;
    lastSaveFailed_ = false;
    return true;
}

} // namespace platform
