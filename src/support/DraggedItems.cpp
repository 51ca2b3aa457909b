#include "support/DraggedItems.h"

#include "platform/kit/DragSession.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/TableView.h"
#include "support/Notifications.h"

#include <algorithm>

std::vector<std::shared_ptr<platform::Object>> draggedItemsOf(const platform::DraggingInfo& info) {
    platform::Object* source = info.draggingSource();
    const DraggedItemsSource* items = nullptr;
    if (auto* outline = dynamic_cast<platform::OutlineView*>(source))
        items = dynamic_cast<const DraggedItemsSource*>(outline->dataSource());
    if (!items)
        if (auto* table = dynamic_cast<platform::TableView*>(source))
            items = dynamic_cast<const DraggedItemsSource*>(table->dataSource());
    if (!items)
        items = dynamic_cast<const DraggedItemsSource*>(source);
    return items ? items->draggedItems() : std::vector<std::shared_ptr<platform::Object>>{};
}

std::vector<std::string> callTargetDraggedTypes() {
    return {std::string(QXDragDropContactType), std::string(QXDragDropCallHistoryItemType),
            std::string(QXDragDropDirectoryItemType)};
}

DraggedKind draggedKindOf(const platform::DraggingInfo& info) {
    const auto offered = info.draggingPasteboard().types();
    auto has = [&](std::string_view type) {
        return std::find(offered.begin(), offered.end(), type) != offered.end();
    };
    if (has(QXDragDropContactType))
        return DraggedKind::contacts;
    if (has(QXDragDropCallHistoryItemType))
        return DraggedKind::callHistoryItems;
    if (has(QXDragDropDirectoryItemType))
        return DraggedKind::directoryItems;
    return DraggedKind::none;
}
