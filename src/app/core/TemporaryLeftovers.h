#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

// The defaults key of the folder the contacts were last exported to: a process killed during
// an export leaves its temporary files there.
inline constexpr std::string_view lastExportFolderKey = "contacts.export.lastFolder";

// Removes the temporary files that processes killed between writing and renaming left in the
// folders this program writes: the settings folder, the engine's folder, the defaults file's
// folder (only the defaults file's own) and the last export folder (only contact files).
// Those of processes still running are kept. Answers the paths removed.
std::vector<std::filesystem::path>
removeTemporaryLeftovers(const std::filesystem::path& settingsFolder,
                         const std::filesystem::path& engineFolder);
