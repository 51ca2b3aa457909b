#pragma once

#include <filesystem>
#include <string>

namespace sdltest {

// Writes what the X server's screen shows now as a PNG; false with the reason in `why`.
bool saveScreenshot(const std::string& display, const std::filesystem::path& path,
                    std::string& why);

} // namespace sdltest
