#pragma once

#include "platform/kit/DragSession.h"
#include "platform/kit/Responder.h"
#include "platform/kit/View.h"

#include <memory>

class OVEntity;
class QXSearchField;
namespace platform {
class Menu;
}

// The call-entry area of the main window as a drop target: contacts, call-history rows and
// directory results dropped on it are called with the default call action, or a contact's
// number goes into the call entry field (when calling upon selection is off), or a contact
// with several numbers offers them in a menu.
class PrimaryModuleView : public platform::View, public platform::DraggingDestination {
public:
    explicit PrimaryModuleView(const platform::Rect& frame = {});

    void setCallEntryField(std::shared_ptr<QXSearchField> field) { _cef = std::move(field); }

    std::vector<std::string> registeredDraggedTypes() const override;
    platform::DragOperation draggingEntered(platform::DraggingInfo& info) override;
    std::optional<platform::DragOperation> draggingUpdated(platform::DraggingInfo& info) override;
    bool prepareForDragOperation(platform::DraggingInfo& /*info*/) override { return true; }
    // Always true.
    bool performDragOperation(platform::DraggingInfo& info) override;

    void receiveDraggedContact(platform::DraggingInfo& info);
    void receiveDraggedCallHistoryItem(platform::DraggingInfo& info);
    void receiveDraggedDirectoryItem(platform::DraggingInfo& info);

    // An address of the menu of a dropped contact's numbers.
    void contextCallDroppedAddress(platform::Object* sender);
    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;
    // The menu of a dropped contact's numbers shown last (tests).
    std::shared_ptr<platform::Menu> droppedContactMenu() const { return _droppedContactMenu; }

private:
    // The stored default call action: 0 audio, 1 video, anything else a conference.
    static long defaultCallAction();
    static void showVideoWindow();
    void offerNumbers(const std::shared_ptr<OVEntity>& contact);

    std::shared_ptr<QXSearchField> _cef;
    std::shared_ptr<platform::Menu> _droppedContactMenu;
};
