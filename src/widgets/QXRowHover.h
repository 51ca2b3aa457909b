#pragma once

#include "platform/graphics/Geometry.h"

#include <memory>
#include <optional>

namespace platform {
class Event;
class TableView;
class TrackingArea;
} // namespace platform

// The mouse-over row tracking shared by the branded table and outline: one tracking area over
// the whole view, the row under the mouse, and the row last marked as hovered. A change of
// hovered row redraws exactly the old and the new row.
class QXRowHover {
public:
    // A row change seen by mouseMoved, for the view to tell its delegate.
    struct Change {
        long previousRow;
        long newRow;
    };

    // Stores the flag and drops the tracking area; turning on reads where the mouse is now,
    // resets both rows to -1 and installs a new area, assumed inside when the mouse is over the
    // view already.
    void setTrackMouseOver(platform::TableView& view, bool flag);
    bool trackMouseOver() const { return _trackMouseOver; }
    // Replaces an existing area by one over the current bounds.
    void updateTrackingAreas(platform::TableView& view);
    // Both rows back to -1.
    void resetRows() {
        _mouseRow = -1;
        _lastMouseRow = -1;
    }
    void mouseEntered();
    // Redraws the hovered row and forgets it; the delegate is not told.
    void mouseExited(platform::TableView& view);
    // Follows the mouse over the rows while tracking is on and the mouse is inside.
    std::optional<Change> mouseMoved(platform::TableView& view, const platform::Event& event);
    // Takes the area off the view (destruction).
    void removeTrackingArea(platform::TableView& view);

    long mouseOverRow() const { return _mouseRow; }
    bool mouseOverView() const { return _mouseOverView; }
    const platform::TrackingArea* trackingArea() const { return _trackingArea.get(); }

private:
    bool _trackMouseOver = false;
    std::shared_ptr<platform::TrackingArea> _trackingArea;
    bool _mouseOverView = false;
    long _mouseRow = -1;
    long _lastMouseRow = -1;
};
