#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Event.h"
#include "platform/kit/Window.h"

#include <memory>

// Left, right and other mouse-down, mouse-up and mouse-dragged events; not moves, entries or
// exits. These are the events a pop menu re-addresses to its own window.
bool isMouseEventType(const platform::Event& event);

// A borderless floating window that shows any view the way a pop-up menu is shown: it opens at
// a point, takes over the event stream in a tracking loop that blocks the main thread until it
// ends, hands clicks, drags, scrolling and modifier changes to a target view and keys to a
// parent view, ends when the pointer leaves it or the user clicks elsewhere, then fades out.
// None of the three views is owned by the menu beyond what its view hierarchy holds.
class QXViewPopMenu : public platform::Window {
public:
    QXViewPopMenu(const platform::Rect& contentRect, platform::WindowStyleMask style,
                  platform::BackingStoreType backing = platform::BackingStoreType::Buffered,
                  bool defer = false);

    void initialize() override;

    // A new pop menu, made for one use: it lives until its fade ends.
    static std::shared_ptr<QXViewPopMenu> windowMenu();
    static std::shared_ptr<QXViewPopMenu>
    windowMenuWithHolderView(std::shared_ptr<platform::View> holder, platform::View* target,
                             platform::View* parent);

    // Opens the menu (a new one when null) with its top-left corner 10 points left of and
    // 5 points below the event's location, tracks until it closes, then fades it out.
    static void popUpWindowMenu(std::shared_ptr<QXViewPopMenu> menu, const platform::Event& event,
                                platform::View* view);
    // The same with the top-left corner at `point` of the view's window.
    static void popUpWindowMenu(std::shared_ptr<QXViewPopMenu> menu, platform::Point point,
                                const platform::Event& event, platform::View* view);

    // Adds the view to the content view; with sizeToFit the window takes the view's frame and
    // the view moves to the origin.
    void setHolderView(std::shared_ptr<platform::View> view, bool sizeToFit);
    platform::View* holderView() const { return _holder.lock().get(); }
    platform::View* targetView() const { return _target.lock().get(); }
    void setTargetView(platform::View* view);
    platform::View* parentView() const { return _parentView.lock().get(); }
    void setParentView(platform::View* view);

    // The modal tracking loop; `event` is the one that opened the menu.
    void trackWithEvent(const platform::Event& event);
    // Fades the window out over `seconds` in 1/30-second steps, then orders it out.
    void fadeWithTimeInterval(platform::TimeInterval seconds);
    void timerFadeCallback(platform::Timer& timer, platform::TimeInterval seconds);
    // A mouse event of another window rebuilt for this one; any other event unchanged.
    platform::Event transmogrify(const platform::Event& event) const;

    bool canBecomeKeyWindow() const override { return true; }
    bool canBecomeMainWindow() const override { return true; }

private:
    // What the loop does with one exit from the window: ends tracking when the pointer is
    // outside the menu, allowing 20 points above it.
    bool exitEndsTracking(platform::Point screenPoint) const;

    std::weak_ptr<platform::View> _holder;
    std::weak_ptr<platform::View> _target;
    std::weak_ptr<platform::View> _parentView;
};
