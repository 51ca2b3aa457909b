#include "widgets/QXRowHover.h"

#include "platform/kit/Event.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TrackingArea.h"
#include "platform/kit/Window.h"

namespace {

constexpr platform::TrackingAreaOptions kHoverOptions = platform::TrackingMouseEnteredAndExited |
                                                        platform::TrackingMouseMoved |
                                                        platform::TrackingActiveInKeyWindow;

} // namespace

void QXRowHover::setTrackMouseOver(platform::TableView& view, bool flag) {
    _trackMouseOver = flag;
    removeTrackingArea(view);
    if (!flag)
        return;
    platform::Window* window = view.window();
    _mouseOverView = false;
    _mouseRow = -1;
    _lastMouseRow = -1;
    bool inside = false;
    if (window) {
        const platform::Point location =
            view.convertPointFromView(window->mouseLocationOutsideOfEventStream(), nullptr);
        window->setAcceptsMouseMovedEvents(true);
        // The part in sight: a pointer beside a scrolled table is over rows it cannot see.
        inside = view.mouseInRect(location, view.visibleRect());
    }
    _mouseOverView = inside;
    _trackingArea = std::make_shared<platform::TrackingArea>(
        view.bounds(), kHoverOptions | (inside ? platform::TrackingAssumeInside : 0u), &view);
    view.addTrackingArea(_trackingArea);
}

void QXRowHover::updateTrackingAreas(platform::TableView& view) {
    if (!_trackingArea)
        return;
    view.removeTrackingArea(_trackingArea.get());
    _trackingArea = std::make_shared<platform::TrackingArea>(view.bounds(), kHoverOptions, &view);
    view.addTrackingArea(_trackingArea);
}

void QXRowHover::mouseEntered() {
    _mouseOverView = true;
}

void QXRowHover::mouseExited(platform::TableView& view) {
    _mouseOverView = false;
    if (_mouseRow >= 0)
        view.setNeedsDisplayInRect(view.rectOfRow(_mouseRow));
    _mouseRow = -1;
    _lastMouseRow = -1;
}

std::optional<QXRowHover::Change> QXRowHover::mouseMoved(platform::TableView& view,
                                                         const platform::Event& event) {
    if (!_trackMouseOver || !_mouseOverView)
        return std::nullopt;
    _mouseRow = view.rowAtPoint(view.convertPointFromView(event.locationInWindow(), nullptr));
    if (_mouseRow == _lastMouseRow)
        return std::nullopt;
    const long previous = _lastMouseRow;
    view.setNeedsDisplayInRect(view.rectOfRow(previous));
    _lastMouseRow = _mouseRow;
    view.setNeedsDisplayInRect(view.rectOfRow(_mouseRow));
    return Change{previous, _mouseRow};
}

void QXRowHover::removeTrackingArea(platform::TableView& view) {
    if (!_trackingArea)
        return;
    view.removeTrackingArea(_trackingArea.get());
    _trackingArea.reset();
}
