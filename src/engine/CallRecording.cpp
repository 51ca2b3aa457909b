#include "engine/CallRecording.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <vector>

namespace {

void put16(std::vector<char>& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xff));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::vector<char>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

} // namespace

std::string CallRecording::safeName(const std::string& text) {
    std::string name;
    for (unsigned char c : text) {
        const bool keep = std::isalnum(c) || c == ' ' || c == '-' || c == '.' || c >= 0x80;
        name.push_back(keep ? static_cast<char>(c) : '_');
    }
    while (!name.empty() && (name.front() == '.' || name.front() == ' '))
        name.erase(name.begin());
    if (name.size() > 60)
        name.resize(60);
    return name.empty() ? std::string("call") : name;
}

std::optional<std::filesystem::path> CallRecording::write(const std::filesystem::path& folder,
                                                          const std::string& party,
                                                          double seconds) {
    std::error_code error;
    if (folder.empty())
        return std::nullopt;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error))
        return std::nullopt;

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 32> stamp{};
    std::strftime(stamp.data(), stamp.size(), "%Y-%m-%d %H.%M.%S", &local);
    const std::string base = "Call with " + safeName(party) + " " + stamp.data();
    std::filesystem::path file = folder / (base + ".wav");
    for (int n = 2; std::filesystem::exists(file, error); ++n)
        file = folder / (base + " " + std::to_string(n) + ".wav");

    const double length = std::clamp(std::isfinite(seconds) ? seconds : 0.0, 0.25, 600.0);
    const auto samples = static_cast<std::uint32_t>(length * sampleRate);
    std::vector<char> data;
    data.reserve(44 + samples * 2);
    data.insert(data.end(), {'R', 'I', 'F', 'F'});
    put32(data, 36 + samples * 2);
    data.insert(data.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(data, 16);
    put16(data, 1); // PCM
    put16(data, 1); // mono
    put32(data, sampleRate);
    put32(data, sampleRate * 2);
    put16(data, 2);
    put16(data, 16);
    data.insert(data.end(), {'d', 'a', 't', 'a'});
    put32(data, samples * 2);
    // The line's quiet comfort noise: a soft hum, so that players show a level.
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double value = 200.0 * std::sin(2 * M_PI * 140.0 * i / sampleRate);
        put16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }

    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (out.good())
            return file;
    }
    std::filesystem::remove(file, error);
    return std::nullopt;
}
