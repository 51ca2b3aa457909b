#include "platform/graphics/JpegDecoding.h"

#include <cairo.h>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace platform {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the decoder, which gives up.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void failed(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(errors->jump, 1);
}

void quiet(j_common_ptr /*info*/, int /*level*/) {}

} // namespace

bool isJPEG(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

_cairo_surface* decodeJPEG(std::span<const std::uint8_t> bytes) {
    if (!isJPEG(bytes)) {
        return nullptr;
    }
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = failed;
    errors.base.emit_message = quiet;
    // Everything the jump may skip lives outside the protected part.
    cairo_surface_t* surface = nullptr;
    std::vector<JSAMPLE> line;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (surface) {
            cairo_surface_destroy(surface);
        }
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int components = static_cast<int>(info.output_components);
    line.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(components));
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW row = line.data();
        jpeg_read_scanlines(&info, &row, 1);
        auto* out =
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const JSAMPLE* in = line.data() + static_cast<std::ptrdiff_t>(x) * components;
            std::uint32_t r = 0, g = 0, b = 0;
            if (cmyk) {
                // Adobe's files store the inks inverted: the value is already 255 - ink.
                const std::uint32_t k = in[3];
                r = in[0] * k / 255;
                g = in[1] * k / 255;
                b = in[2] * k / 255;
            } else if (components >= 3) {
                r = in[0];
                g = in[1];
                b = in[2];
            } else {
                r = g = b = in[0];
            }
            out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    // A file cut off in its data makes libjpeg fill the rest with grey and warn; such a
    // picture is not taken.
    const bool damaged = errors.base.num_warnings > 0;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    cairo_surface_mark_dirty(surface);
    if (damaged) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

} // namespace platform
