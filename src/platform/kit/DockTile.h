#pragma once

#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Image;

// How urgently the application asks for the user's attention: critical keeps asking until
// the application becomes active, informational asks once.
enum class RequestUserAttentionType { CriticalRequest = 0, InformationalRequest = 10 };

// The application's tile in the desktop's launcher, as the original's Dock tile. Linux has no
// Dock, so the tile keeps what the application sets (icon image, content image, badge label,
// attention requests), composes the picture the Dock would show, and hands it to the screen
// backend, which makes it the icon of the application's windows. Tests read it all back.
class DockTile {
public:
    DockTile();
    ~DockTile();
    DockTile(const DockTile&) = delete;
    DockTile& operator=(const DockTile&) = delete;

    // The bundle's own icon: the image named by the Info key "CFBundleIconFile", else the
    // resource "AppIcon", else a transparent 128-point square. Setting the application's icon
    // image never changes it, so callers can always start again from the original picture.
    std::shared_ptr<Image> standardApplicationIcon() const;

    // The image shown for the application: what setApplicationIconImage set last, or the
    // standard icon. Null restores the standard icon. The tile redisplays at once.
    std::shared_ptr<Image> applicationIconImage() const;
    void setApplicationIconImage(std::shared_ptr<Image> image);

    // A picture shown instead of the icon image (the original's content view); null for none.
    // Like the original it shows only after display().
    std::shared_ptr<Image> contentImage() const { return contentImage_; }
    void setContentImage(std::shared_ptr<Image> image);

    // A short text drawn in a red disc at the top right corner; empty for none. The tile
    // redisplays at once.
    const std::string& badgeLabel() const { return badgeLabel_; }
    void setBadgeLabel(std::string label);

    // The size of the tile's picture: that of the content image or icon image shown.
    Size size() const;

    // Composes the picture again and hands it to the screen backend when it differs from
    // the one the backend has (sending an unchanged icon to the display server costs much
    // and shows nothing new).
    void display();
    // The picture composed last (null before the first display).
    std::shared_ptr<Image> composedImage() const { return composed_; }
    // How many times the picture was composed.
    int displayCount() const { return displayCount_; }

    // Records a request for the user's attention and answers its number (above 0).
    int requestUserAttention(RequestUserAttentionType type);
    void cancelUserAttentionRequest(int request);
    // Every request made, oldest first, and those not cancelled.
    const std::vector<RequestUserAttentionType>& attentionRequests() const {
        return attentionRequests_;
    }
    std::vector<int> pendingAttentionRequests() const;

private:
    std::shared_ptr<Image> iconImage_;
    std::shared_ptr<Image> contentImage_;
    mutable std::shared_ptr<Image> standardIcon_;
    std::string badgeLabel_;
    std::shared_ptr<Image> composed_;
    int displayCount_ = 0;
    // The picture last handed over, and to which backend.
    std::shared_ptr<Image> handedOver_;
    std::uint64_t handedTo_ = 0;
    std::vector<RequestUserAttentionType> attentionRequests_;
    std::vector<bool> cancelled_;
};

} // namespace platform
