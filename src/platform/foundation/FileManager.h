#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

// Folders of the user's home, after Linux's conventions: the original's
// "Library/Application Support" is $XDG_DATA_HOME (default ~/.local/share) and
// "Library/Preferences" is $XDG_CONFIG_HOME (default ~/.config).
std::filesystem::path homeDirectory();
std::filesystem::path applicationSupportDirectory();
std::filesystem::path preferencesDirectory();
std::filesystem::path desktopDirectory();
// A folder the user's XDG folders name: $XDG_<NAME>_DIR, else its line in
// ~/.config/user-dirs.dirs (XDG_DOCUMENTS_DIR="$HOME/Dokumente"); nullopt when neither names
// one. `name` is "DESKTOP", "DOCUMENTS" and the like.
std::optional<std::filesystem::path> userDirectory(std::string_view name);
// The documents folder the XDG folders name, else ~/Documents.
std::filesystem::path documentsDirectory();
// The runtime folder for sockets ($XDG_RUNTIME_DIR, else the temporary folder).
std::filesystem::path runtimeDirectory();
// "~" and "~/..." expanded to the home folder.
std::filesystem::path expandTilde(const std::string& path);
// A name next to `file` that nothing uses yet, for keeping a damaged file out of the way:
// "<name>.<tag>-<unix time>[-n]".
std::filesystem::path asideName(const std::filesystem::path& file, std::string_view tag);
// A write past the file-size limit (ulimit -f) kills the process with SIGXFSZ by default;
// ignored, the write fails with EFBIG and is reported like any other failed write.
void ignoreFileSizeLimitSignal();

class FileManager {
public:
    static FileManager& defaultManager();

    bool fileExistsAtPath(const std::filesystem::path& path, bool* isDirectory = nullptr) const;
    bool createDirectoryAtPath(const std::filesystem::path& path, bool withIntermediateDirectories,
                               std::string* error = nullptr) const;
    // Copies a file or a whole folder; fails when the destination exists.
    bool copyItemAtPath(const std::filesystem::path& from, const std::filesystem::path& to,
                        std::string* error = nullptr) const;
    bool moveItemAtPath(const std::filesystem::path& from, const std::filesystem::path& to,
                        std::string* error = nullptr) const;
    bool removeItemAtPath(const std::filesystem::path& path, std::string* error = nullptr) const;
    std::optional<std::string> contentsAtPath(const std::filesystem::path& path) const;
    // Writes through a temporary file "<name>.tmp-<pid>-<n>" and a rename. A new file gets
    // `mode` (less the umask); a file replaced keeps no mode of its own, so callers asking
    // for 0600 get it also when an older file was more open.
    bool writeAtomically(const std::filesystem::path& path, const std::string& contents,
                         std::string* error = nullptr, mode_t mode = 0644) const;
    // Removes the temporary files writeAtomically leaves in `folder` when its process dies
    // between writing and renaming: regular files named "<name>.tmp-<pid>-<n>" whose process
    // no longer runs. Those of running processes (this one included) are kept, since they
    // may still be renamed. With `prefix`, only names starting with it are looked at; with
    // `suffixes`, only those whose <name> ends with one of them (compared without regard to
    // case). Answers the paths removed.
    std::vector<std::filesystem::path>
    removeStaleTemporaryFiles(const std::filesystem::path& folder, std::string_view prefix = {},
                              const std::vector<std::string>& suffixes = {}) const;
};

} // namespace platform
