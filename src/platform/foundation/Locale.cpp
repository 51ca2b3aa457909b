#include "platform/foundation/Locale.h"

#include <cstdlib>
#include <mutex>
#include <optional>

namespace platform {

namespace {

std::mutex& localeMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& localeOverride() {
    static std::string identifier;
    return identifier;
}

// "fr_CA.UTF-8@euro" -> "fr_CA"; "C" and "POSIX" name no language at all.
std::optional<std::string> identifierFromPosix(const char* value) {
    if (!value || !*value)
        return std::nullopt;
    std::string text(value);
    // LANGUAGE-style lists ("fr_CA:en") are not used by these variables, but be lenient.
    text = text.substr(0, text.find(':'));
    text = text.substr(0, text.find('.'));
    text = text.substr(0, text.find('@'));
    if (text.empty() || text == "C" || text == "POSIX")
        return std::nullopt;
    for (char& c : text)
        if (c == '-')
            c = '_';
    return text;
}

} // namespace

std::string currentLocaleIdentifier() {
    {
        std::lock_guard lock(localeMutex());
        if (!localeOverride().empty())
            return localeOverride();
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            // The first variable that is set decides, as it does for the C library.
            if (auto identifier = identifierFromPosix(value))
                return *identifier;
            return "en_US";
        }
    }
    return "en_US";
}

void setCurrentLocaleIdentifier(const std::string& identifier) {
    std::lock_guard lock(localeMutex());
    localeOverride() = identifier;
}

} // namespace platform
