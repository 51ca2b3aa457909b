#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Failures to keep the user's data that must reach the user, not only the log.
namespace StorageAlerts {

// From now on a failure to save the settings (disk full, folder not writable) shows a warning
// on the next pass of the run loop: once, until a save succeeds again.
void reportSettingsSaveFailures();

// Asks what to do about the engine's store `storeFile` that cannot be opened, showing
// `reason`. When the file exists the user may move it aside and start afresh: then it is
// moved and the answer is true. False means quit (also when the move fails, after saying why).
bool offerToStartAfresh(const std::string& reason, const std::filesystem::path& storeFile);

// Renames a store with its journal files to "<name>.damaged-<unix time>[-n]" next to it, so
// that the next open starts afresh and nothing of the old one is lost. Answers the new name,
// or nullopt with the reason in `error`.
std::optional<std::filesystem::path> moveStoreAside(const std::filesystem::path& storeFile,
                                                    std::string* error = nullptr);

} // namespace StorageAlerts
