#pragma once

#include "platform/graphics/Geometry.h"

#include <memory>

namespace platform {
class Image;
}

// One of the small buttons at the right end of a contact row.
class CellButton {
public:
    static constexpr int buttonTypeMoreMenu = 0;
    static constexpr int buttonTypeCall = 1;
    static constexpr int buttonTypeChat = 2;
    static constexpr int buttonTypeSMS = 3;

    CellButton(int type, std::shared_ptr<platform::Image> image)
        : type(type), image(std::move(image)) {}

    // The opacity it is drawn with: 1 pressed, 0.7 available, 0.35 not available.
    double opacity() const { return !available ? 0.35 : (pressed ? 1.0 : 0.7); }
    // Draws the image into the frame, keeping its proportions; nothing when hidden.
    void draw() const;

    int type;
    platform::Rect frame{0, 0, 16, 16};
    bool available = false;
    bool hidden = false;
    bool hasMenu = false;
    std::shared_ptr<platform::Image> image;
    bool pressed = false;
};
