#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// Folders of the user's home, after Linux's conventions: the original's
// "Library/Application Support" is $XDG_DATA_HOME (default ~/.local/share) and
// "Library/Preferences" is $XDG_CONFIG_HOME (default ~/.config).
std::filesystem::path homeDirectory();
std::filesystem::path applicationSupportDirectory();
std::filesystem::path preferencesDirectory();
std::filesystem::path desktopDirectory();
// The runtime folder for sockets ($XDG_RUNTIME_DIR, else the temporary folder).
std::filesystem::path runtimeDirectory();
// "~" and "~/..." expanded to the home folder.
std::filesystem::path expandTilde(const std::string& path);

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
    // Writes through a temporary file and a rename.
    bool writeAtomically(const std::filesystem::path& path, const std::string& contents,
                         std::string* error = nullptr) const;
};

} // namespace platform
