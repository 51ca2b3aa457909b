#pragma once

#include "platform/kit/DragSession.h"
#include "platform/kit/TextView.h"

#include <functional>
#include <string>
#include <vector>

// The chat window's input: a text view that takes drops of text and of files and hands them
// to its owner (the view itself never inserts what is dropped).
class ChatInputView : public platform::TextView, public platform::DraggingDestination {
public:
    // Pasteboard type of dropped files: their paths, one a line.
    static constexpr std::string_view fileNamesType = "NSFilenamesPboardType";

    explicit ChatInputView(const platform::Rect& frame = {});

    void setTextDropHandler(std::function<void(const std::string&)> handler) {
        textDropHandler_ = std::move(handler);
    }
    void setFilesDropHandler(std::function<void(const std::vector<std::string>&)> handler) {
        filesDropHandler_ = std::move(handler);
    }

    std::vector<std::string> registeredDraggedTypes() const override;
    platform::DragOperation draggingEntered(platform::DraggingInfo& info) override;
    // Text first; file names only when no text comes with them. Every drop is taken.
    bool performDragOperation(platform::DraggingInfo& info) override;
    void concludeDragOperation(platform::DraggingInfo&) override {}

private:
    std::function<void(const std::string&)> textDropHandler_;
    std::function<void(const std::vector<std::string>&)> filesDropHandler_;
};
