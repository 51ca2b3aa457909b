#pragma once

#include "platform/layers/Layer.h"

#include <cstdint>
#include <memory>

namespace platform {

// A layer that shows a picture held elsewhere (a video frame): opaque 32-bit pixels in native
// byte order, scaled to the bounds, optionally mirrored (left to right) and flipped (upside
// down). The owner keeps the pixels alive while the layer shows them.
class PixelLayer : public Layer {
public:
    static std::shared_ptr<PixelLayer> layer() { return std::make_shared<PixelLayer>(); }

    // The first row is the top of the picture; `stride` bytes a row.
    void setPixels(std::shared_ptr<const void> owner, const std::uint32_t* pixels, int width,
                   int height, int stride);
    void clearPixels();
    bool hasPixels() const { return pixels_ != nullptr; }
    bool isMirrored() const { return mirrored_; }
    void setMirrored(bool flag);
    bool isFlipped() const { return flipped_; }
    void setFlipped(bool flag);

protected:
    void drawInContext(GraphicsContext& context) override;

private:
    std::shared_ptr<const void> owner_;
    const std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    bool mirrored_ = false;
    bool flipped_ = false;
};

} // namespace platform
