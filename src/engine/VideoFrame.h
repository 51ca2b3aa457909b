#pragma once

#include <cstdint>
#include <vector>

// One picture of a video stream: opaque 32-bit ARGB words in native byte order (the layout of
// Cairo's RGB24 and ARGB32 surfaces), `width` words a row, the first row at the top.
struct VideoFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    VideoFrame() = default;
    VideoFrame(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    int stride() const { return width * 4; }
};
