#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/kit/Responder.h"
#include "platform/kit/TrackingArea.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class Cursor;
class Event;
class Window;

// Autoresizing mask bits, as the original numbered them (callers store 18 and 34).
using AutoresizingMask = unsigned;
inline constexpr AutoresizingMask ViewNotSizable = 0;
inline constexpr AutoresizingMask ViewMinXMargin = 1;
inline constexpr AutoresizingMask ViewWidthSizable = 2;
inline constexpr AutoresizingMask ViewMaxXMargin = 4;
inline constexpr AutoresizingMask ViewMinYMargin = 8;
inline constexpr AutoresizingMask ViewHeightSizable = 16;
inline constexpr AutoresizingMask ViewMaxYMargin = 32;

// Where a subview goes among its siblings, and how a window is ordered.
enum class WindowOrderingMode : int { Below = -1, Out = 0, Above = 1 };

// Creation in two phases (see the architecture's "Objects, ownership and delegates"): the
// object is constructed, then its virtual initialize() runs, so that subclasses extend the
// set-up as the original's overridable initialisers did.
template <class T, class... Args> std::shared_ptr<T> make(Args&&... args) {
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    object->initialize();
    return object;
}

// A rectangle of a window that draws itself and handles events. A view owns its subviews
// (shared_ptr); its superview and window are plain pointers, cleared when it is removed or
// when they go away. Coordinates are points, y upwards unless isFlipped().
class View : public Responder, public std::enable_shared_from_this<View> {
public:
    explicit View(const Rect& frame = {});
    ~View() override;

    // The overridable set-up of the two-phase creation; awake() runs after an interface
    // definition has set the outlets.
    virtual void initialize() {}
    virtual void awake() {}

    // Geometry. setFrame is setFrameOrigin plus setFrameSize; the bounds follow the frame's
    // size, their origin can be moved (scrolling).
    Rect frame() const { return frame_; }
    virtual void setFrame(const Rect& frame);
    virtual void setFrameOrigin(Point origin);
    virtual void setFrameSize(Size size);
    Rect bounds() const { return {boundsOrigin_, frame_.size}; }
    virtual void setBoundsOrigin(Point origin);
    void setBounds(const Rect& bounds);

    // Hierarchy.
    View* superview() const { return superview_; }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    Window* window() const { return window_; }
    void addSubview(std::shared_ptr<View> view);
    // Above or below `relativeTo` (or all siblings when it is null).
    void addSubview(std::shared_ptr<View> view, WindowOrderingMode place, View* relativeTo);
    void removeFromSuperview();
    void replaceSubview(View* oldView, std::shared_ptr<View> newView);
    void setSubviews(std::vector<std::shared_ptr<View>> views);
    bool isDescendantOf(const View* view) const;
    View* ancestorSharedWithView(const View* view) const;
    // This view or a descendant with the tag, depth first; nullptr when none.
    View* viewWithTag(long tag);
    // The shared_ptr that owns this view (its superview's, or the window's), or an empty one.
    std::shared_ptr<View> sharedView();

    virtual void viewWillMoveToWindow(Window* /*window*/) {}
    virtual void viewDidMoveToWindow() {}
    virtual void viewWillMoveToSuperview(View* /*superview*/) {}
    virtual void viewDidMoveToSuperview() {}
    virtual void didAddSubview(View* /*subview*/) {}
    virtual void willRemoveSubview(View* /*subview*/) {}

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isHiddenOrHasHiddenAncestor() const;
    virtual void viewDidHide() {}
    virtual void viewDidUnhide() {}

    // Autoresizing: when this view's size changes, each subview is resized by its mask.
    AutoresizingMask autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(AutoresizingMask mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool flag) { autoresizesSubviews_ = flag; }
    virtual void resizeSubviewsWithOldSize(Size oldSize);
    virtual void resizeWithOldSuperviewSize(Size oldSize);

    // Drawing. A view asks for drawing with setNeedsDisplay; the window draws dirty views in
    // displayIfNeeded, calling drawRect with the current graphics context set up in the view's
    // coordinates and clipped to the dirty part.
    bool needsDisplay() const { return !dirtyRect_.isEmpty(); }
    void setNeedsDisplay(bool flag);
    void setNeedsDisplayInRect(const Rect& rect);
    // Draws now (this view and its subviews), whether dirty or not.
    void display();
    void displayRect(const Rect& rect);
    void displayIfNeeded();
    virtual void drawRect(const Rect& dirtyRect);
    virtual bool isFlipped() const { return false; }
    virtual bool isOpaque() const { return false; }
    // The part of the bounds not clipped away by superviews, in this view's coordinates.
    Rect visibleRect() const;
    double alphaValue() const { return alphaValue_; }
    void setAlphaValue(double alpha);
    bool wantsLayer() const { return wantsLayer_; }
    void setWantsLayer(bool flag) { wantsLayer_ = flag; }
    // Draws the view and its subviews into the current graphics context, whose coordinates are
    // this view's superview's (for backends and offscreen captures).
    void drawHierarchy(const Rect& dirtyInSuperview);

    // Hit testing: the deepest visible view under `point` (in the superview's coordinates),
    // or nullptr. Hidden views and their subviews are never hit.
    virtual View* hitTest(Point point);
    // The original's mouse:inRect: for this view's flipping.
    bool mouseInRect(Point point, const Rect& rect) const;
    virtual bool acceptsFirstMouse(const Event* /*event*/) { return false; }
    // Offers a key equivalent to this view and its subviews.
    bool performKeyEquivalent(const Event& event) override;

    // Conversion between views of one window; a null view stands for the window's base
    // coordinates.
    Point convertPointFromView(Point point, const View* view) const;
    Point convertPointToView(Point point, const View* view) const;
    Rect convertRectFromView(const Rect& rect, const View* view) const;
    Rect convertRectToView(const Rect& rect, const View* view) const;
    Size convertSizeFromView(Size size, const View* view) const;
    Size convertSizeToView(Size size, const View* view) const;

    // Tracking areas.
    void addTrackingArea(std::shared_ptr<TrackingArea> area);
    void removeTrackingArea(const TrackingArea* area);
    const std::vector<std::shared_ptr<TrackingArea>>& trackingAreas() const {
        return trackingAreas_;
    }
    // Called when the view's geometry or window changed, so that it can rebuild its areas.
    virtual void updateTrackingAreas() {}
    // Cursor rectangles: the window asks the view to add them (resetCursorRects) when it
    // rebuilds them, and shows the cursor of the rectangle under the pointer. The cursor is
    // not owned (the standard cursors live for the program).
    virtual void resetCursorRects() {}
    void addCursorRect(const Rect& rect, Cursor* cursor);
    void removeCursorRect(const Rect& rect, Cursor* cursor);
    void discardCursorRects();
    const std::vector<std::pair<Rect, Cursor*>>& cursorRects() const { return cursorRects_; }

    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip) { toolTip_ = std::move(toolTip); }
    void removeAllToolTips() { toolTip_.clear(); }

    // The original's tag: -1 for a plain view.
    virtual long tag() const { return tag_; }
    virtual void setTag(long tag) { tag_ = tag; }

    // Keyboard loop. Not owned: a view that went away reads as nullptr.
    View* nextKeyView() const;
    void setNextKeyView(View* view);
    View* previousKeyView() const;
    virtual bool canBecomeKeyView() const;
    View* nextValidKeyView() const;
    View* previousValidKeyView() const;

    std::string description() const override;

protected:
    // Moves the view (and its subviews) into a window; the window calls it for its content view.
    void setWindow(Window* window);

private:
    friend class Window;
    void setSuperview(View* superview);
    void invalidateInWindow(const Rect& rect);

    Rect frame_;
    Point boundsOrigin_;
    View* superview_ = nullptr;
    Window* window_ = nullptr;
    std::vector<std::shared_ptr<View>> subviews_;
    std::vector<std::shared_ptr<TrackingArea>> trackingAreas_;
    std::vector<std::pair<Rect, Cursor*>> cursorRects_;
    bool hidden_ = false;
    AutoresizingMask autoresizingMask_ = ViewNotSizable;
    bool autoresizesSubviews_ = true;
    Rect dirtyRect_;
    double alphaValue_ = 1.0;
    bool wantsLayer_ = false;
    std::string toolTip_;
    long tag_ = -1;
    std::weak_ptr<View> nextKeyView_;
    std::weak_ptr<View> previousKeyView_;
};

} // namespace platform
