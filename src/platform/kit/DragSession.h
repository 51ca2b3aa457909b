#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"
#include "platform/kit/Event.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Image;
class Pasteboard;
class View;
class Window;

// Drag operations, bits as the original numbered them.
using DragOperation = unsigned;
inline constexpr DragOperation DragOperationNone = 0;
inline constexpr DragOperation DragOperationCopy = 1;
inline constexpr DragOperation DragOperationLink = 2;
inline constexpr DragOperation DragOperationGeneric = 4;
inline constexpr DragOperation DragOperationPrivate = 8;
inline constexpr DragOperation DragOperationMove = 16;
inline constexpr DragOperation DragOperationDelete = 32;
inline constexpr DragOperation DragOperationEvery = ~0u;

// What a destination learns of the drag going on over it.
class DraggingInfo {
public:
    virtual ~DraggingInfo() = default;
    virtual Pasteboard& draggingPasteboard() const = 0;
    // The object that started the drag (a view, usually), or nullptr.
    virtual Object* draggingSource() const = 0;
    // The pointer in the destination window's base coordinates.
    virtual Point draggingLocation() const = 0;
    virtual Window* draggingDestinationWindow() const = 0;
    // What the source allows; Option held limits it to copying, as with the original.
    virtual DragOperation draggingSourceOperationMask() const = 0;
    virtual long draggingSequenceNumber() const = 0;
    virtual const std::shared_ptr<Image>& draggedImage() const = 0;
};

// What the source of a drag hears. Every function is optional.
class DraggingSource {
public:
    virtual ~DraggingSource() = default;
    // Every drag here stays inside the process, so it is always local.
    virtual DragOperation draggingSourceOperationMaskForLocal(bool isLocal) {
        return isLocal ? DragOperationEvery : DragOperationNone;
    }
    // Screen points.
    virtual void draggedImageBeganAt(Image* /*image*/, Point /*screenPoint*/) {}
    virtual void draggedImageMovedTo(Image* /*image*/, Point /*screenPoint*/) {}
    virtual void draggedImageEndedAt(Image* /*image*/, Point /*screenPoint*/,
                                     DragOperation /*operation*/) {}
};

// A view that takes drops derives from this too and names the pasteboard types it takes; the
// drag asks the deepest such view under the pointer whose types the pasteboard offers.
class DraggingDestination {
public:
    virtual ~DraggingDestination() = default;
    virtual std::vector<std::string> registeredDraggedTypes() const { return {}; }
    virtual DragOperation draggingEntered(DraggingInfo& /*info*/) { return DragOperationNone; }
    // Without an answer of its own, the destination keeps what draggingEntered said.
    virtual std::optional<DragOperation> draggingUpdated(DraggingInfo& /*info*/) {
        return std::nullopt;
    }
    virtual void draggingExited(DraggingInfo* /*info*/) {}
    virtual bool prepareForDragOperation(DraggingInfo& /*info*/) { return true; }
    virtual bool performDragOperation(DraggingInfo& /*info*/) { return false; }
    virtual void concludeDragOperation(DraggingInfo& /*info*/) {}
};

// One drag of data inside the process, from the mouse-down view of a window to any view of any
// of the application's windows: the source writes the drag pasteboard, the session follows the
// pointer, tells the destinations under it what happens and, on release, asks the one under the
// pointer to take the drop.
//
// beginDrag follows the mouse itself while events are waiting (as the original's blocking drag
// did); events that arrive later reach the source view, which hands its mouseDragged and mouseUp
// to the current session (DragSession::current()) while there is one.
class DragSession : public DraggingInfo {
public:
    // Starts a drag from `sourceView` for the mouse event `event` (the down or a drag), showing
    // `image` (may be null) with its origin at `imageLocation` in the view. Answers the session
    // while it is under way, or nullptr when it already ended (the release was waiting).
    static DragSession* beginDrag(View& sourceView, DraggingSource* source,
                                  std::shared_ptr<Image> image, Point imageLocation,
                                  const Event& event, Pasteboard& pasteboard);
    // The drag under way, or nullptr.
    static DragSession* current();
    // Ends the drag under way without a drop (tests, a window going away).
    static void cancelCurrent();

    ~DragSession() override;

    // The source view's mouse events while the drag is under way.
    void mouseDragged(const Event& event);
    void mouseUp(const Event& event);

    Pasteboard& draggingPasteboard() const override { return *pasteboard_; }
    Object* draggingSource() const override;
    Point draggingLocation() const override { return location_; }
    Window* draggingDestinationWindow() const override;
    DragOperation draggingSourceOperationMask() const override;
    long draggingSequenceNumber() const override { return sequence_; }
    const std::shared_ptr<Image>& draggedImage() const override { return image_; }
    // The operation the destination under the pointer answered last.
    DragOperation currentOperation() const { return operation_; }

private:
    DragSession() = default;
    void moveTo(const Event& event);
    void finish(const Event& event);
    Point screenPointOf(const Event& event) const;
    // The destination view under a screen point that takes the pasteboard's types.
    View* destinationAt(Point screenPoint) const;
    DraggingDestination* destination() const;

    std::weak_ptr<View> sourceView_;
    DraggingSource* source_ = nullptr;
    std::shared_ptr<Image> image_;
    Pasteboard* pasteboard_ = nullptr;
    EventModifierFlags flags_ = 0;
    Point location_;
    int destinationWindow_ = 0;
    std::weak_ptr<View> destinationView_;
    DragOperation operation_ = DragOperationNone;
    long sequence_ = 0;
};

} // namespace platform
