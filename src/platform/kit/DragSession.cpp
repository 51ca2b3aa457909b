#include "platform/kit/DragSession.h"

#include "platform/graphics/Image.h"
#include "platform/kit/Control.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/View.h"
#include "platform/kit/Window.h"
#include "platform/kit/WindowServer.h"

#include <algorithm>

namespace platform {

namespace {

std::unique_ptr<DragSession>& currentSession() {
    static std::unique_ptr<DragSession> session;
    return session;
}

long nextSequenceNumber = 0;

bool offersAny(const Pasteboard& pasteboard, const std::vector<std::string>& types) {
    return pasteboard.availableTypeFromArray(types).has_value();
}

} // namespace

DragSession* DragSession::beginDrag(View& sourceView, DraggingSource* source,
                                    std::shared_ptr<Image> image, Point /*imageLocation*/,
                                    const Event& event, Pasteboard& pasteboard) {
    cancelCurrent();
    currentSession().reset(new DragSession());
    DragSession* session = currentSession().get();
    session->sourceView_ = sourceView.weak_from_this();
    session->source_ = source;
    session->image_ = std::move(image);
    session->pasteboard_ = &pasteboard;
    session->sequence_ = ++nextSequenceNumber;
    if (source)
        source->draggedImageBeganAt(session->image_.get(), session->screenPointOf(event));
    session->moveTo(event);
    // Events already waiting are followed here, as the original's drag followed the mouse
    // until the release; later ones come through the source view.
    while (current() == session) {
        auto next = nextEventForTracking(LeftMouseDraggedMask | LeftMouseUpMask);
        if (!next)
            break;
        if (next->type() == EventType::LeftMouseUp) {
            session->mouseUp(*next);
            break;
        }
        session->mouseDragged(*next);
    }
    return current();
}

DragSession* DragSession::current() {
    return currentSession().get();
}

void DragSession::cancelCurrent() {
    std::unique_ptr<DragSession> session = std::move(currentSession());
    if (!session)
        return;
    if (DraggingDestination* destination = session->destination())
        destination->draggingExited(session.get());
    if (session->source_)
        session->source_->draggedImageEndedAt(session->image_.get(), {}, DragOperationNone);
}

DragSession::~DragSession() = default;

Object* DragSession::draggingSource() const {
    if (auto* object = dynamic_cast<Object*>(source_))
        return object;
    return sourceView_.lock().get();
}

Window* DragSession::draggingDestinationWindow() const {
    return Window::windowWithNumber(destinationWindow_);
}

DragOperation DragSession::draggingSourceOperationMask() const {
    DragOperation mask =
        source_ ? source_->draggingSourceOperationMaskForLocal(true) : DragOperationEvery;
    if (flags_ & AlternateKeyMask)
        mask &= DragOperationCopy;
    return mask;
}

Point DragSession::screenPointOf(const Event& event) const {
    if (Window* window = event.window())
        return window->convertBaseToScreen(event.locationInWindow());
    if (auto view = sourceView_.lock(); view && view->window())
        return view->window()->convertBaseToScreen(event.locationInWindow());
    return event.locationInWindow();
}

View* DragSession::destinationAt(Point screenPoint) const {
    Window* window = WindowServer::shared().windowAtPoint(screenPoint);
    View* root = window ? window->rootView() : nullptr;
    if (!root)
        return nullptr;
    for (View* view = root->hitTest(window->convertScreenToBase(screenPoint)); view;
         view = view->superview()) {
        auto* destination = dynamic_cast<DraggingDestination*>(view);
        if (destination && offersAny(*pasteboard_, destination->registeredDraggedTypes()))
            return view;
    }
    return nullptr;
}

DraggingDestination* DragSession::destination() const {
    return dynamic_cast<DraggingDestination*>(destinationView_.lock().get());
}

void DragSession::moveTo(const Event& event) {
    flags_ = event.modifierFlags();
    const Point screen = screenPointOf(event);
    View* view = destinationAt(screen);
    auto keep = view ? view->weak_from_this().lock() : nullptr;
    DraggingDestination* old = destination();
    auto* now = dynamic_cast<DraggingDestination*>(view);
    if (view && view->window()) {
        destinationWindow_ = view->window()->windowNumber();
        location_ = view->window()->convertScreenToBase(screen);
    } else {
        destinationWindow_ = 0;
        location_ = screen;
    }
    if (now != old) {
        if (old)
            old->draggingExited(this);
        destinationView_ = keep;
        operation_ = now ? now->draggingEntered(*this) : DragOperationNone;
    } else if (now) {
        if (auto operation = now->draggingUpdated(*this))
            operation_ = *operation;
    }
    if (source_)
        source_->draggedImageMovedTo(image_.get(), screen);
}

void DragSession::mouseDragged(const Event& event) {
    moveTo(event);
}

void DragSession::mouseUp(const Event& event) {
    // The session leaves the current slot first, so that a drop handler may start another.
    std::unique_ptr<DragSession> self;
    if (currentSession().get() == this)
        self = std::move(currentSession());
    finish(event);
}

void DragSession::finish(const Event& event) {
    moveTo(event);
    DragOperation result = DragOperationNone;
    if (DraggingDestination* destination = this->destination()) {
        auto keep = destinationView_.lock();
        if (operation_ != DragOperationNone && destination->prepareForDragOperation(*this) &&
            destination->performDragOperation(*this)) {
            destination->concludeDragOperation(*this);
            result = operation_;
        } else {
            destination->draggingExited(this);
        }
    }
    if (source_)
        source_->draggedImageEndedAt(image_.get(), screenPointOf(event), result);
}

} // namespace platform
