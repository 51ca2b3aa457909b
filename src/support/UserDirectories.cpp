#include "support/UserDirectories.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace OrvantaExtensions {

namespace {

std::filesystem::path homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::filesystem::path(home) : std::filesystem::path("/");
}

// The value of `XDG_DOWNLOAD_DIR="..."` in the file: the text between the quotes, with
// "$HOME" expanded and the escapes \" and \\ undone. Only absolute results count.
std::optional<std::filesystem::path> downloadFolderIn(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::optional<std::filesystem::path> found;
    const std::string key = "XDG_DOWNLOAD_DIR=";
    while (std::getline(in, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string raw = line.substr(start + key.size());
        if (raw.size() < 2 || raw.front() != '"')
            continue;
        std::string value;
        bool closed = false;
        for (std::size_t i = 1; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                value += raw[++i];
            } else if (raw[i] == '"') {
                closed = true;
                break;
            } else {
                value += raw[i];
            }
        }
        if (!closed)
            continue;
        if (value == "$HOME" || value.starts_with("$HOME/"))
            value = homeFolder().string() + value.substr(5);
        if (std::filesystem::path(value).is_absolute())
            found = std::filesystem::path(value);
    }
    return found;
}

} // namespace

std::filesystem::path userDownloadFolder() {
    if (const char* direct = std::getenv("XDG_DOWNLOAD_DIR");
        direct && std::filesystem::path(direct).is_absolute())
        return direct;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const auto configFolder = config && std::filesystem::path(config).is_absolute()
                                  ? std::filesystem::path(config)
                                  : homeFolder() / ".config";
    if (auto folder = downloadFolderIn(configFolder / "user-dirs.dirs"))
        return *folder;
    return homeFolder() / "Downloads";
}

} // namespace OrvantaExtensions
