#include "platform/kit/TrackingArea.h"

#include "platform/kit/View.h"

namespace platform {

TrackingArea::TrackingArea(const Rect& rect, TrackingAreaOptions options, Responder* owner,
                           Value userInfo)
    : rect_(rect), options_(options), owner_(owner), userInfo_(std::move(userInfo)),
      inside_((options & TrackingAssumeInside) != 0) {}

Rect TrackingArea::effectiveRect() const {
    if ((options_ & TrackingInVisibleRect) && view_)
        return view_->visibleRect();
    return rect_;
}

} // namespace platform
