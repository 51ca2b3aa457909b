#include "platform/foundation/FileManager.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace platform {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

// The XDG rules ignore a relative path in these variables.
std::optional<fs::path> absoluteEnvironmentPath(const char* name) {
    auto value = environment(name);
    if (!value || (*value)[0] != '/')
        return std::nullopt;
    return fs::path(*value);
}

void setError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

std::string describe(const std::error_code& code, const fs::path& path) {
    return path.string() + ": " + code.message();
}

// The process id in a name writeAtomically gave its temporary file: "<name>.tmp-<pid>-<n>".
std::optional<pid_t> temporaryFileOwner(const std::string& name) {
    const std::size_t mark = name.rfind(".tmp-");
    if (mark == std::string::npos || mark == 0)
        return std::nullopt;
    const std::string tail = name.substr(mark + 5);
    const std::size_t dash = tail.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 >= tail.size() || dash > 9)
        return std::nullopt;
    const auto digits = [](std::string_view text) {
        return std::all_of(text.begin(), text.end(),
                           [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    if (!digits(std::string_view(tail).substr(0, dash)) ||
        !digits(std::string_view(tail).substr(dash + 1)))
        return std::nullopt;
    const long pid = std::stol(tail.substr(0, dash));
    if (pid <= 0)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

// A process we may not signal (another user's) still runs; only "no such process" is gone.
bool processIsRunning(pid_t pid) {
    if (pid == getpid())
        return true;
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

bool endsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    if (suffix.size() > text.size())
        return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

fs::path homeDirectory() {
    if (auto home = environment("HOME"))
        return fs::path(*home);
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return fs::path(entry->pw_dir);
    return fs::path("/");
}

fs::path applicationSupportDirectory() {
    if (auto path = absoluteEnvironmentPath("XDG_DATA_HOME"))
        return *path;
    return homeDirectory() / ".local" / "share";
}

fs::path preferencesDirectory() {
    if (auto path = absoluteEnvironmentPath("XDG_CONFIG_HOME"))
        return *path;
    return homeDirectory() / ".config";
}

std::optional<fs::path> userDirectory(std::string_view name) {
    const std::string key = "XDG_" + std::string(name) + "_DIR";
    if (auto path = absoluteEnvironmentPath(key.c_str()))
        return path;
    std::ifstream in(preferencesDirectory() / "user-dirs.dirs");
    std::string line;
    while (in && std::getline(in, line)) {
        if (line.rfind(key + "=", 0) != 0)
            continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.rfind("$HOME", 0) == 0)
            value = homeDirectory().string() + value.substr(5);
        if (value.empty() || value[0] != '/')
            return std::nullopt;
        return fs::path(value);
    }
    return std::nullopt;
}

fs::path desktopDirectory() {
    if (auto path = userDirectory("DESKTOP"))
        return *path;
    return homeDirectory() / "Desktop";
}

fs::path documentsDirectory() {
    if (auto path = userDirectory("DOCUMENTS"))
        return *path;
    return homeDirectory() / "Documents";
}

fs::path runtimeDirectory() {
    if (auto path = absoluteEnvironmentPath("XDG_RUNTIME_DIR"))
        return *path;
    std::error_code code;
    fs::path temp = fs::temp_directory_path(code);
    return code ? fs::path("/tmp") : temp;
}

fs::path expandTilde(const std::string& path) {
    if (path.empty() || path[0] != '~')
        return fs::path(path);
    const std::size_t slash = path.find('/');
    const std::string user =
        path.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
    fs::path home;
    if (user.empty()) {
        home = homeDirectory();
    } else {
        const passwd* entry = getpwnam(user.c_str());
        if (!entry || !entry->pw_dir)
            return fs::path(path);
        home = entry->pw_dir;
    }
    if (slash == std::string::npos || slash + 1 >= path.size())
        return home;
    return home / path.substr(slash + 1);
}

fs::path asideName(const fs::path& file, std::string_view tag) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    const std::string base =
        file.filename().string() + "." + std::string(tag) + "-" + std::to_string(seconds);
    fs::path candidate = file.parent_path() / base;
    std::error_code code;
    for (int n = 2; fs::exists(fs::symlink_status(candidate, code)); ++n)
        candidate = file.parent_path() / (base + "-" + std::to_string(n));
    return candidate;
}

void ignoreFileSizeLimitSignal() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
}

FileManager& FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

bool FileManager::fileExistsAtPath(const fs::path& path, bool* isDirectory) const {
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    const bool exists = !code && fs::exists(status);
    if (isDirectory)
        *isDirectory = exists && fs::is_directory(status);
    return exists;
}

bool FileManager::createDirectoryAtPath(const fs::path& path, bool withIntermediateDirectories,
                                        std::string* error) const {
    std::error_code code;
    if (withIntermediateDirectories) {
        fs::create_directories(path, code);
        if (!code && fs::is_directory(path, code))
            return true;
        if (!code)
            code = std::make_error_code(std::errc::not_a_directory);
    } else {
        // Like the original, an existing folder is an error unless intermediates were asked for.
        if (fs::create_directory(path, code) && !code)
            return true;
        if (!code)
            code = std::make_error_code(std::errc::file_exists);
    }
    setError(error, describe(code, path));
    return false;
}

bool FileManager::copyItemAtPath(const fs::path& from, const fs::path& to,
                                 std::string* error) const {
    std::error_code code;
    if (!fs::exists(fs::symlink_status(from, code))) {
        setError(error, describe(std::make_error_code(std::errc::no_such_file_or_directory), from));
        return false;
    }
    if (fs::exists(fs::symlink_status(to, code))) {
        setError(error, describe(std::make_error_code(std::errc::file_exists), to));
        return false;
    }
    code.clear();
    const auto status = fs::symlink_status(from, code);
    if (fs::is_directory(status)) {
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, code);
        if (code) {
            // Leave nothing half-copied behind.
            std::error_code ignored;
            fs::remove_all(to, ignored);
        }
    } else if (fs::is_symlink(status)) {
        fs::copy_symlink(from, to, code);
    } else {
        fs::copy_file(from, to, fs::copy_options::none, code);
    }
    if (code) {
        setError(error, describe(code, to));
        return false;
    }
    return true;
}

bool FileManager::moveItemAtPath(const fs::path& from, const fs::path& to,
                                 std::string* error) const {
    std::error_code code;
    if (!fs::exists(fs::symlink_status(from, code))) {
        setError(error, describe(std::make_error_code(std::errc::no_such_file_or_directory), from));
        return false;
    }
    if (fs::exists(fs::symlink_status(to, code))) {
        setError(error, describe(std::make_error_code(std::errc::file_exists), to));
        return false;
    }
    code.clear();
    fs::rename(from, to, code);
    if (code == std::errc::cross_device_link) {
        if (!copyItemAtPath(from, to, error))
            return false;
        code.clear();
        fs::remove_all(from, code);
    }
    if (code) {
        setError(error, describe(code, from));
        return false;
    }
    return true;
}

bool FileManager::removeItemAtPath(const fs::path& path, std::string* error) const {
    std::error_code code;
    if (!fs::exists(fs::symlink_status(path, code))) {
        setError(error, describe(std::make_error_code(std::errc::no_such_file_or_directory), path));
        return false;
    }
    fs::remove_all(path, code);
    if (code) {
        setError(error, describe(code, path));
        return false;
    }
    return true;
}

std::optional<std::string> FileManager::contentsAtPath(const fs::path& path) const {
    std::error_code code;
    if (fs::is_directory(path, code))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(buffer).str();
}

bool FileManager::writeAtomically(const fs::path& path, const std::string& contents,
                                  std::string* error, mode_t mode) const {
    static std::atomic<unsigned> counter{0};
    fs::path temp = path;
    temp += ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);

    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        setError(error, temp.string() + ": " + std::strerror(errno));
        return false;
    }
    const char* data = contents.data();
    std::size_t left = contents.size();
    int failure = 0;
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failure = errno;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // The data must be on disk before the rename makes it the file.
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (failure) {
        setError(error, path.string() + ": " + std::strerror(failure));
        ::unlink(temp.c_str());
        return false;
    }
    std::error_code code;
    fs::rename(temp, path, code);
    if (code) {
        setError(error, describe(code, path));
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::vector<fs::path>
FileManager::removeStaleTemporaryFiles(const fs::path& folder, std::string_view prefix,
                                       const std::vector<std::string>& suffixes) const {
    std::vector<fs::path> removed;
    std::error_code code;
    fs::directory_iterator it(folder, code);
    if (code)
        return removed;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0)
            continue;
        const std::optional<pid_t> pid = temporaryFileOwner(name);
        if (!pid)
            continue;
        const std::string base = name.substr(0, name.rfind(".tmp-"));
        if (!suffixes.empty() &&
            std::none_of(suffixes.begin(), suffixes.end(), [&](const std::string& suffix) {
                return endsWithIgnoringCase(base, suffix);
            }))
            continue;
        std::error_code status;
        if (!fs::is_regular_file(entry.symlink_status(status)) || processIsRunning(*pid))
            continue;
        if (fs::remove(entry.path(), status))
            removed.push_back(entry.path());
    }
    std::sort(removed.begin(), removed.end());
    return removed;
}

} // namespace platform
