#pragma once

#include "platform/foundation/Object.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {
class DraggingInfo;
}

// What a list that starts drags of contacts, call-history rows or directory results answers: the
// rows being dragged. The drag pasteboard carries only their kind.
class DraggedItemsSource {
public:
    virtual ~DraggedItemsSource() = default;
    virtual std::vector<std::shared_ptr<platform::Object>> draggedItems() const = 0;
};

// What a drag carries, as the call targets take it: the first of the kinds contact, call-history
// row and directory result that the drag pasteboard offers, in that order.
enum class DraggedKind { none, contacts, callHistoryItems, directoryItems };
DraggedKind draggedKindOf(const platform::DraggingInfo& info);
// The three pasteboard types in that order, for registering.
std::vector<std::string> callTargetDraggedTypes();

// The dragged objects of a drag: those of the data source of the view the drag started from
// (or of that view itself); none when neither answers them.
std::vector<std::shared_ptr<platform::Object>> draggedItemsOf(const platform::DraggingInfo& info);
