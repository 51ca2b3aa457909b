#include "app/messaging/ChatInputView.h"

#include "platform/kit/Pasteboard.h"

ChatInputView::ChatInputView(const platform::Rect& frame) : TextView(frame) {}

std::vector<std::string> ChatInputView::registeredDraggedTypes() const {
    return {std::string(platform::PasteboardTypeString), std::string(fileNamesType)};
}

platform::DragOperation ChatInputView::draggingEntered(platform::DraggingInfo& info) {
    return info.draggingSourceOperationMask();
}

bool ChatInputView::performDragOperation(platform::DraggingInfo& info) {
    auto& pasteboard = info.draggingPasteboard();
    if (const auto text = pasteboard.stringForType(platform::PasteboardTypeString)) {
        if (textDropHandler_) {
            textDropHandler_(*text);
        }
        return true;
    }
    if (const auto names = pasteboard.stringForType(fileNamesType)) {
        std::vector<std::string> paths;
        std::size_t start = 0;
        while (start <= names->size()) {
            const std::size_t end = std::min(names->find('\n', start), names->size());
            if (end > start) {
                paths.push_back(names->substr(start, end - start));
            }
            start = end + 1;
        }
        if (filesDropHandler_) {
            filesDropHandler_(paths);
        }
    }
    return true;
}
