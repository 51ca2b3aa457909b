#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The audio file a recorded call leaves: 16-bit mono PCM WAV at 8 kHz, one file per
// recording, named after the other party and the time it was made.
class CallRecording {
public:
    static constexpr int sampleRate = 8000;

    // Writes a recording of `seconds` (at least a quarter of a second, at most ten minutes)
    // into the folder, made when missing. The file's path, or nullopt when it could not be
    // written whole (a partial file is removed).
    static std::optional<std::filesystem::path> write(const std::filesystem::path& folder,
                                                      const std::string& party, double seconds);

    // A name usable as a file name on every file system: letters, digits, spaces, dots and
    // dashes kept, anything else becomes "_"; never empty, never "." or "..".
    static std::string safeName(const std::string& text);
};
