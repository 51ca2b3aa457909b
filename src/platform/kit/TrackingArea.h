#pragma once

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"

namespace platform {

class Responder;
class View;

// Tracking-area options, as the original numbered them. One of the Active... options says when
// the area is live; the rest say what the owner is told.
using TrackingAreaOptions = unsigned;
inline constexpr TrackingAreaOptions TrackingMouseEnteredAndExited = 0x01;
inline constexpr TrackingAreaOptions TrackingMouseMoved = 0x02;
inline constexpr TrackingAreaOptions TrackingCursorUpdate = 0x04;
inline constexpr TrackingAreaOptions TrackingActiveWhenFirstResponder = 0x10;
inline constexpr TrackingAreaOptions TrackingActiveInKeyWindow = 0x20;
inline constexpr TrackingAreaOptions TrackingActiveInActiveApp = 0x40;
inline constexpr TrackingAreaOptions TrackingActiveAlways = 0x80;
inline constexpr TrackingAreaOptions TrackingAssumeInside = 0x100;
inline constexpr TrackingAreaOptions TrackingInVisibleRect = 0x200;
inline constexpr TrackingAreaOptions TrackingEnabledDuringMouseDrag = 0x400;

// A rectangle of a view (in the view's coordinates) whose owner hears mouseEntered,
// mouseExited and mouseMoved while the pointer crosses it. Views keep their areas by
// shared_ptr; the owner is not owned and must outlive the area or remove it.
class TrackingArea {
public:
    TrackingArea(const Rect& rect, TrackingAreaOptions options, Responder* owner,
                 Value userInfo = {});

    Rect rect() const { return rect_; }
    TrackingAreaOptions options() const { return options_; }
    Responder* owner() const { return owner_; }
    const Value& userInfo() const { return userInfo_; }
    // The view it was added to, or nullptr.
    View* view() const { return view_; }

    // The area in its view's coordinates: the visible rect when TrackingInVisibleRect is set.
    Rect effectiveRect() const;

private:
    friend class View;
    friend class Window;
    Rect rect_;
    TrackingAreaOptions options_;
    Responder* owner_;
    Value userInfo_;
    View* view_ = nullptr;
    // Whether the pointer was last seen inside; seeded by TrackingAssumeInside.
    bool inside_ = false;
};

} // namespace platform
