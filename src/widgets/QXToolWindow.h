#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Animation.h"
#include "widgets/QXBaseWindow.h"

#include <cstdint>
#include <memory>

namespace platform {
class Event;
class Image;
class Screen;
class View;
class ViewAnimation;
} // namespace platform
class QXGradient;
class QXToolWindowFrameView;

// A small borderless window shown next to a point: the suggestion drop-down under a search
// field, a toast in a screen corner, an information bubble pointing at a row. It places itself
// from an anchor point and its own size, fades out when ordered out, animates changes of its
// size, and can be dragged away from its anchor when allowed. Its frame view draws the shape
// that belongs to its type.
//
// Create with platform::make<QXToolWindow>(), set the type, then the content view, then show
// it with showForWindow.
class QXToolWindow : public QXBaseWindow, public platform::AnimationDelegate {
public:
    static constexpr std::int32_t dropdownType() { return 0; }
    static constexpr std::int32_t popupType() { return 1; }
    static constexpr std::int32_t toastType() { return 2; }
    static constexpr std::int32_t bubbleType() { return 3; }
    static constexpr std::int32_t autoBubbleType() { return 10; }

    // Content rectangle (0, 0, 10, 10), borderless, buffered, deferred.
    QXToolWindow();
    ~QXToolWindow() override;

    void initialize() override;

    std::int32_t type() const { return _type; }
    // Makes the frame view on first need and gives it the type's style (the auto-bubble starts
    // as a bubble with its arrow at the left centre). Set the type before the content view.
    void setType(std::int32_t type);
    QXToolWindowFrameView* toolFrameView() const { return _frameView.get(); }

    // The content is placed at the anchor and the window moves there, animated.
    void setContentView(std::shared_ptr<platform::View> view) override;
    void setContentSize(platform::Size size) override;

    // Shows the window at `point`: a point of `window` in its base coordinates, or a screen
    // point when there is no window. The window is ordered above `window` (or to the front)
    // at the floating level, fully opaque.
    void showForWindow(platform::Window* window, platform::Point point);
    // Re-places a shown window at a new anchor; a window the user dragged stays where it is.
    void updatePositionForWindow(platform::Window* window, platform::Point point, bool animate);
    // The window of the last showForWindow, while it lives.
    platform::Window* forWindow() const { return _showForWindow.lock().get(); }
    platform::Point anchor() const { return _anchor; }

    // Fades out: 0.15 s for a bubble, 1.5 s for a toast, 0.2 s otherwise, ease-in. At the end
    // the window is ordered out, except a toast, which stays in, transparent, until its owner
    // closes it. A second call while a fade runs is ignored.
    void orderOut(platform::Object* sender) override;
    // Orders out at once, without fading.
    void orderOut();
    bool isFading() const;
    // Closes at once, without fading.
    void forceClose();
    // Leaves any parent, returns to the floating level, stops hiding on deactivation, closes.
    void close() override;

    void setBackgroundGradient(std::shared_ptr<QXGradient> gradient);
    void setImageBackgroundTop(std::shared_ptr<platform::Image> image);
    void setImageBackgroundBottom(std::shared_ptr<platform::Image> image);

    // Every type but the drop-down, which leaves the keys with the field under it.
    bool canBecomeKeyWindow() const override;

    bool allowMove() const { return _allowMove; }
    void setAllowMove(bool flag) { _allowMove = flag; }
    bool didMove() const { return _didMove; }
    void setDidMove(bool flag) { _didMove = flag; }
    bool isDragging() const { return _dragging; }

    // (|dw| + |dh|) / 150 x 0.04 s: a change of 150 points takes 0.04 s.
    platform::TimeInterval animationResizeTime(const platform::Rect& newFrame) const override;

    // The frame of `size` placed at `anchor` (screen coordinates) on the parent window's
    // screen, else the anchor's; the auto-bubble also picks its frame view's style.
    platform::Rect calculateBestLayoutOnScreen(platform::Point anchor, platform::Size size);
    // The placement rule itself, against a given screen frame (the zero rectangle for none).
    // For the auto-bubble, `style` receives the frame-view style of the chosen side.
    static platform::Rect calculateBestLayout(std::int32_t type, platform::Point anchor,
                                              platform::Size size, const platform::Rect& screen,
                                              std::int32_t* style = nullptr);

    // The user may drag the window away from its anchor once the pointer has moved more than
    // 8 points; from then on it no longer follows its anchor.
    void mouseDown(const platform::Event& event) override;
    void mouseDragged(const platform::Event& event) override;
    void mouseUp(const platform::Event& event) override;

    void animationDidEnd(platform::Animation& animation) override;
    void animationDidStop(platform::Animation& animation) override;

private:
    QXToolWindowFrameView* ensureFrameView();
    // The frame of the parent window's screen, else of the screen holding the anchor, else of
    // this window's own (zero for none).
    platform::Rect placementScreenFrame(platform::Point anchor) const;
    void stopAnimation();
    platform::Point anchorFor(platform::Window* window, platform::Point point) const;

    std::shared_ptr<QXToolWindowFrameView> _frameView;
    std::int32_t _type = 3;
    std::shared_ptr<platform::ViewAnimation> _anim;
    platform::Point _anchor;
    std::weak_ptr<platform::Window> _showForWindow;
    bool _allowMove = false;
    bool _dragging = false;
    bool _didMove = false;
    bool _forceClose = false;
    // The last pointer position of a move, in screen coordinates. The base window keeps its
    // own for the resize handle, which a tool window does not have.
    platform::Point _start;
};
