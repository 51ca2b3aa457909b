#include "app/calls/LayerMenuItem.h"

#include "platform/graphics/Image.h"

LayerMenuItem::LayerMenuItem(std::shared_ptr<platform::Image> image,
                             std::shared_ptr<platform::Image> alternateImage, long tag,
                             std::string action, platform::ActionTarget* target)
    : image_(std::move(image)), alternateImage_(std::move(alternateImage)),
      action_(std::move(action)), target_(target), tag_(tag) {}
