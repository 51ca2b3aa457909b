#pragma once

#include <cstdint>
#include <span>

struct _cairo_surface;

namespace platform {

// Whether the bytes start like a JPEG file.
bool isJPEG(std::span<const std::uint8_t> bytes);

// Decodes a JPEG file (baseline or progressive, grey, RGB or CMYK) into a new ARGB32 Cairo
// image surface; nullptr when the data is not a readable JPEG (a corrupt or cut-off file
// gives nullptr, never a half-read picture). The caller owns the surface.
_cairo_surface* decodeJPEG(std::span<const std::uint8_t> bytes);

} // namespace platform
