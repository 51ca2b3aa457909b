#include "app/core/FilePasswordStore.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace fs = std::filesystem;

fs::path FilePasswordStore::defaultFile() {
    const auto& bundle = platform::Bundle::mainBundle();
    const std::string company = bundle.objectForInfoDictionaryKey("CompanyName").stringValue();
    return platform::applicationSupportDirectory() / company / bundle.bundleName() /
           "remembered-password";
}

fs::path FilePasswordStore::file() const {
    return file_.empty() ? defaultFile() : file_;
}

std::string FilePasswordStore::description() const {
    return "the file " + file().string() + " (readable by its owner only)";
}

std::optional<std::string> FilePasswordStore::password() {
    const fs::path path = file();
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // A copy restored from a backup, or written by hand, may be open to others.
    if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), 0600) != 0)
        platform::Logf("Warning: %@ is readable by others and cannot be changed: %@", path.string(),
                       std::strerror(errno));
    auto contents = platform::FileManager::defaultManager().contentsAtPath(path);
    if (!contents || contents->empty())
        return std::nullopt;
    return contents;
}

bool FilePasswordStore::setPassword(const std::string& password, std::string* error) {
    const fs::path path = file();
    std::string failure;
    if (!platform::FileManager::defaultManager().createDirectoryAtPath(path.parent_path(), true,
                                                                       &failure) ||
        !platform::FileManager::defaultManager().writeAtomically(path, password, &failure, 0600)) {
        if (error)
            *error = failure;
        return false;
    }
    return true;
}

bool FilePasswordStore::removePassword(std::string* error) {
    std::error_code code;
    fs::remove(file(), code);
    if (code && error)
        *error = file().string() + ": " + code.message();
    return !code;
}
