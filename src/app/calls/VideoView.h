#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/layers/Layer.h"
#include "widgets/QXContentView.h"

#include <memory>
#include <vector>

class CocoaCAOpenGLLayer;
class LayerMenuItem;
class VideoRenderingLayer;

namespace platform {
class TextLayer;
class Timer;
} // namespace platform

// The content of the video window: a tree of layers composed with the platform's painter. A
// remote pane holds the far end's picture and a local pane the camera's; with a remote picture
// the local pane shrinks to a picture-in-picture that the user drags and that snaps to the
// nearest edges. Each pane has an overlay menu of small image buttons (mirror, flip, 4:3/16:9,
// statistics) that shows while the pointer moves over it, a statistics strip refreshed every
// 0.3 s and a waiting text while no picture comes; the local pane also says when the picture
// is not sent.
class VideoView : public QXContentView, public platform::LayerDelegate {
public:
    // Margins around the panes.
    static constexpr double verticalMargin = 5;

    explicit VideoView(const platform::Rect& frame = {});
    ~VideoView() override;

    void awake() override;

    // The engine's rendering targets of the two panes ("localVideo", "remoteVideo"), nullptr
    // when missing. These are what the video services draw into.
    std::shared_ptr<CocoaCAOpenGLLayer> localLayer() const;
    std::shared_ptr<CocoaCAOpenGLLayer> remoteLayer() const;

    bool hasRemote() const;
    void setHasRemote(bool flag);
    void displayRemoteWaiting();
    void displayLocalWaiting();
    void setSendingLocal(bool sending);
    // The size the window's content should take for the shown pane: its size plus the
    // margins.
    platform::Size contentSize();
    // Keeps the width and gives the height of the current aspect.
    platform::Size willResize(platform::Size size);
    bool displayHD() const { return displayHD_; }
    bool allowAnimation() const { return allowAnimation_; }

    void adjustLayers();
    void updateMenuLayerContents();
    void updateInfoContents();

    // Overlay-button actions; the sender is the button's LayerMenuItem.
    void toggleInfo(platform::Object* sender);
    void toggleMirror(platform::Object* sender);
    void toggleFlip(platform::Object* sender);
    void toggleHD(platform::Object* sender);

    const std::vector<std::shared_ptr<LayerMenuItem>>& menus() const { return menus_; }
    // The buttons of the local menu as it is now (tag 0, and tag 1 without remote video),
    // and of the remote one (tag 2).
    std::vector<LayerMenuItem*> localMenuItems() const;
    std::vector<LayerMenuItem*> remoteMenuItems() const;

    // The layer tree, for whoever looks at it (the tour, tests).
    platform::Layer& rootLayer() const { return *root_; }
    platform::Layer& localPane() const { return *localPane_; }
    platform::Layer& remotePane() const { return *remotePane_; }
    platform::Layer& localMenuLayer() const { return *localMenu_; }
    platform::Layer& remoteMenuLayer() const { return *remoteMenu_; }
    platform::Layer& localInfoLayer() const { return *localInfo_; }
    platform::Layer& remoteInfoLayer() const { return *remoteInfo_; }
    platform::TextLayer& localWaitingLayer() const { return *localWaiting_; }
    platform::TextLayer& remoteWaitingLayer() const { return *remoteWaiting_; }
    platform::TextLayer& localMessageLayer() const { return *localMessage_; }
    // The texts of the statistics strips, as last drawn.
    const std::string& localInfoText() const { return localInfoText_; }
    const std::string& remoteInfoText() const { return remoteInfoText_; }
    bool isMovingPiP() const { return movePiP_; }

    // View.
    void drawRect(const platform::Rect& dirtyRect) override;
    void setFrameSize(platform::Size size) override;
    void resetCursorRects() override;
    void updateTrackingAreas() override;
    void mouseMoved(const platform::Event& event) override;
    void mouseDown(const platform::Event& event) override;
    void mouseDragged(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;
    bool acceptsFirstMouse(const platform::Event*) override { return true; }
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // Layers.
    std::optional<platform::LayerAction> actionForLayer(platform::Layer& layer,
                                                        std::string_view key) override;

private:
    void setupLayers();
    void buildMenus();
    double horizontalMargin() const;
    double aspect() const;
    platform::Point pointOf(const platform::Event& event) const;
    // Which menu layer the point is on (local, remote), or nullptr.
    platform::Layer* menuLayerAt(platform::Point point) const;
    void pressMenuButton(platform::Layer& menu, platform::Point point, bool release);
    // The button of the menu under the point; nullptr on an empty menu or outside it.
    LayerMenuItem* menuButtonAt(platform::Layer& menu, platform::Point point) const;
    void updateMenu(platform::Layer& menu, platform::Layer& pane,
                    const std::vector<LayerMenuItem*>& items, bool withRemote);
    void updatePaneInfo(VideoRenderingLayer& video, platform::TextLayer& waiting,
                        platform::Layer& info, bool local);
    // Asks for the next composition, at most one each frame period.
    void scheduleFrame();

    std::shared_ptr<platform::Layer> root_;
    std::shared_ptr<platform::Layer> localPane_;
    std::shared_ptr<platform::Layer> remotePane_;
    std::shared_ptr<VideoRenderingLayer> localVideo_;
    std::shared_ptr<VideoRenderingLayer> remoteVideo_;
    std::shared_ptr<platform::Layer> localMenu_;
    std::shared_ptr<platform::Layer> remoteMenu_;
    std::shared_ptr<platform::Layer> localInfo_;
    std::shared_ptr<platform::Layer> remoteInfo_;
    std::shared_ptr<platform::TextLayer> localWaiting_;
    std::shared_ptr<platform::TextLayer> remoteWaiting_;
    std::shared_ptr<platform::TextLayer> localMessage_;
    std::shared_ptr<platform::TrackingArea> trackingArea_;
    std::vector<std::shared_ptr<LayerMenuItem>> menus_;
    platform::Point lastMouse_;
    bool movePiP_ = false;
    std::shared_ptr<platform::Timer> infoTimer_;
    platform::TimeInterval lastMouseMoved_ = 0;
    bool displayHD_ = false;
    bool allowAnimation_ = false;
    static constexpr double frameInterval = 1.0 / 30;
    bool framePending_ = false;
    platform::TimeInterval lastComposed_ = -1;
    std::string localInfoText_;
    std::string remoteInfoText_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
