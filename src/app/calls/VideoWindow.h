#pragma once

#include "widgets/QXAttachWindow.h"

#include <memory>

class LogoView;
class ToolbarControllerPrt;
class VideoController;
class VideoView;

namespace platform {
struct Notification;
}

// The one window that shows video, shared by every call: made on first use with its video
// view and controller, released at shutdown. With the brand's "attachToMainWindow" it docks
// beside the main window (on the left with "attachPosition" "left", else on the right) and
// slides open and closed with it; otherwise it floats free. It floats above other windows
// while "mainPhone.ui.alwaysOnTop" is on. Showing it starts the camera; hiding it stops the
// camera, except for a window docked on the left, which only slides closed.
class VideoWindow : public QXAttachWindow {
public:
    // Docked (the brand's "attachToMainWindow") or free.
    VideoWindow(bool docked, const platform::Rect& contentRect);
    ~VideoWindow() override;

    static bool videoWindowExist();
    // Made on first use.
    static VideoWindow& sharedVideoWindow();
    static void sharedVideoWindowRelease();

    // The skin, the logo, the view as content, the level and the docking, from the brand.
    void awake() override;

    void orderFront(platform::Object* sender) override;
    void orderOut(platform::Object* sender) override;
    void close() override;
    // At application shutdown: a window docked on the left closes, any other hides.
    void shouldClose(const platform::Notification& notification);

    platform::Size windowWillResize(platform::Window& sender, platform::Size frameSize) override;
    void setContentView(std::shared_ptr<platform::View> view) override;

    // Not owned; set by the toolbar.
    ToolbarControllerPrt* toolBar() const { return _toolBar; }
    void setToolBar(ToolbarControllerPrt* toolBar) { _toolBar = toolBar; }
    const std::shared_ptr<VideoController>& controller() const { return _controller; }
    void setController(std::shared_ptr<VideoController> controller);
    const std::shared_ptr<VideoView>& videoView() const { return _videoView; }
    void setVideoView(std::shared_ptr<VideoView> view) { _videoView = std::move(view); }
    LogoView* logoView() const { return _logoView.get(); }
    bool isDocked() const { return _docked; }

private:
    bool _docked;
    bool _observingShutdown = false;
    ToolbarControllerPrt* _toolBar = nullptr;
    std::shared_ptr<VideoController> _controller;
    std::shared_ptr<VideoView> _videoView;
    std::shared_ptr<LogoView> _logoView;
};
