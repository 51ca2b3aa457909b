#pragma once

#include <filesystem>

namespace OrvantaExtensions {

// The user's download folder as the desktop names it: $XDG_DOWNLOAD_DIR when set to an
// absolute path, else the XDG_DOWNLOAD_DIR line of user-dirs.dirs in the user's configuration
// folder ($XDG_CONFIG_HOME, or ~/.config), else ~/Downloads. "$HOME" in the file's value
// stands for the home folder. Nothing is created.
std::filesystem::path userDownloadFolder();

} // namespace OrvantaExtensions
