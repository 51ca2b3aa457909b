#pragma once

#include "platform/foundation/Object.h"

#include <memory>
#include <string>

namespace platform {
class ActionTarget;
class Image;
} // namespace platform

// One small image button of the video view's overlay menus. The tag says where it shows:
// 0 the local menu, 1 the local menu while there is no remote picture, 2 the remote menu.
class LayerMenuItem : public platform::Object {
public:
    static constexpr long localTag = 0;
    static constexpr long localWithoutRemoteTag = 1;
    static constexpr long remoteTag = 2;

    LayerMenuItem(std::shared_ptr<platform::Image> image,
                  std::shared_ptr<platform::Image> alternateImage, long tag, std::string action,
                  platform::ActionTarget* target);

    const std::shared_ptr<platform::Image>& image() const { return image_; }
    void setImage(std::shared_ptr<platform::Image> image) { image_ = std::move(image); }
    // The image when no alternate was set.
    const std::shared_ptr<platform::Image>& alternateImage() const {
        return alternateImage_ ? alternateImage_ : image_;
    }
    void setAlternateImage(std::shared_ptr<platform::Image> image) {
        alternateImage_ = std::move(image);
    }
    bool selected() const { return selected_; }
    void setSelected(bool flag) { selected_ = flag; }
    bool pressed() const { return pressed_; }
    void setPressed(bool flag) { pressed_ = flag; }
    const std::string& action() const { return action_; }
    // Not owned.
    platform::ActionTarget* target() const { return target_; }
    long tag() const { return tag_; }
    // The image shown now: the alternate one while selected.
    const std::shared_ptr<platform::Image>& currentImage() const {
        return selected_ ? alternateImage() : image_;
    }

private:
    std::shared_ptr<platform::Image> image_;
    std::shared_ptr<platform::Image> alternateImage_;
    bool selected_ = false;
    bool pressed_ = false;
    std::string action_;
    platform::ActionTarget* target_;
    long tag_;
};
