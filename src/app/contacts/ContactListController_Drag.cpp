// The contact list: dragging contact rows between groups, onto another contact (to combine
// them) and out of the list; dropping files onto a contact sends them.
#include "app/contacts/ContactEditorController.h"
#include "app/contacts/ContactListController.h"
#include "app/contacts/ContactOperations.h"
#include "app/contacts/ContactWithGroup.h"
#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/main_window/MainAppWindow.h"
#include "engine/FeaturesService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Panel.h"
#include "platform/kit/Pasteboard.h"
#include "platform/kit/WindowServer.h"
#include "support/AlertExtensions.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>

namespace {

bool feature(std::string_view name) {
    const auto features = StartupService::instance().featuresService();
    return features && features->featureAvailable(name);
}

bool isGroup(const platform::OutlineItem& item) {
    auto entity = std::dynamic_pointer_cast<OVEntity>(item);
    return entity && entity->type() == OVEntity::typeGroup;
}

bool offers(const platform::Pasteboard& pasteboard, std::string_view type) {
    const auto types = pasteboard.types();
    return std::find(types.begin(), types.end(), type) != types.end();
}

std::vector<std::string> filePaths(const platform::Pasteboard& pasteboard) {
    std::vector<std::string> paths;
    const auto names = pasteboard.stringForType(ContactListController::kFileNamesPboardType);
    if (!names) {
        return paths;
    }
    std::size_t start = 0;
    while (start <= names->size()) {
        const std::size_t end = std::min(names->find('\n', start), names->size());
        if (end > start) {
            paths.push_back(names->substr(start, end - start));
        }
        start = end + 1;
    }
    return paths;
}

// Contacts of the desktop's address book are never combined with others.
bool fromAddressBook(const OVEntity& contact) {
    const auto& sources = contact.entitiesAll();
    const OVEntity& first = sources.empty() ? contact : *sources.front();
    return first.providerProtocol() == OVProviderProtocol::protocolMacAddressBook;
}

} // namespace

bool ContactListController::outlineViewWriteItems(platform::OutlineView&,
                                                  const std::vector<platform::OutlineItem>& items,
                                                  platform::Pasteboard& pasteboard) {
    if (items.empty() || std::any_of(items.begin(), items.end(), isGroup)) {
        return false;
    }
    _draggedItems.assign(items.begin(), items.end());
    pasteboard.declareTypes({std::string(QXDragDropContactType)}, this);
    pasteboard.setDataForType({}, QXDragDropContactType);
    return true;
}

platform::DragOperation
ContactListController::outlineViewValidateDrop(platform::OutlineView&, platform::DraggingInfo& info,
                                               const platform::OutlineItem& item, long) {
    auto& pasteboard = info.draggingPasteboard();
    if (info.draggingSource() == _contactOutlineView.get() &&
        offers(pasteboard, QXDragDropContactType)) {
        const auto* source =
            dynamic_cast<const DraggedItemsSource*>(_contactOutlineView->dataSource());
        if (!source) {
            return platform::DragOperationGeneric;
        }
        const auto rows = source->draggedItems();
        return std::any_of(rows.begin(), rows.end(), isGroup) ? platform::DragOperationNone
                                                              : platform::DragOperationGeneric;
    }
    updateData();
    if (offers(pasteboard, kFileNamesPboardType) && _hasGroupChat) {
        return isGroup(item) ? platform::DragOperationNone : platform::DragOperationGeneric;
    }
    return platform::DragOperationNone;
}

bool ContactListController::outlineViewAcceptDrop(platform::OutlineView& outlineView,
                                                  platform::DraggingInfo& info,
                                                  const platform::OutlineItem& item, long) {
    const auto targetRow = std::dynamic_pointer_cast<ContactWithGroup>(item);
    if (info.draggingSource() != _contactOutlineView.get()) {
        // Files from elsewhere go to the contact they are dropped on.
        const auto contact = targetRow ? targetRow->contact() : nullptr;
        if (contact && (contact->type() == OVEntity::typeLogicalContact ||
                        contact->type() == OVEntity::typePhysicalContact)) {
            ContactOperations::instance().sendFiles(filePaths(info.draggingPasteboard()), contact);
        }
        return true;
    }
    const auto targetEntity = std::dynamic_pointer_cast<OVEntity>(item);
    const auto targetGroup =
        targetEntity && targetEntity->type() == OVEntity::typeGroup ? targetEntity : nullptr;

    std::vector<std::shared_ptr<OVEntity>> collected;
    std::shared_ptr<OVEntity> lastSource;
    bool moved = false;
    const auto move = [&](const std::shared_ptr<OVEntity>& from) {
        if (auto error = _contactManager->moveContacts(collected, from, targetGroup)) {
            platform::Logf("Contacts: the contacts cannot be moved: %@", *error);
        } else {
            moved = true;
        }
        collected.clear();
    };
    for (const auto& dragged : _draggedItems) {
        const auto row = std::dynamic_pointer_cast<ContactWithGroup>(dragged);
        if (!row) {
            continue; // groups never start a drag; anything else is passed over
        }
        const auto& contact = row->contact();
        if (targetGroup) {
            if (targetGroup->isReadOnly()) {
                continue;
            }
            auto parent = std::dynamic_pointer_cast<OVEntity>(outlineView.parentForItem(dragged));
            if (!parent) {
                parent = row->group();
            }
            if (parent != lastSource) {
                if (lastSource && !collected.empty()) {
                    move(lastSource);
                }
                lastSource = parent;
            }
            if (parent && parent != targetGroup && !parent->isReadOnly()) {
                collected.push_back(contact);
            }
        } else if (targetRow) {
            if (contact != targetRow->contact()) {
                collected.push_back(contact);
            }
        } else {
            const auto& present =
                _entityRoot ? _entityRoot->entities() : std::vector<std::shared_ptr<OVEntity>>{};
            if (std::find(present.begin(), present.end(), contact) == present.end()) {
                collected.push_back(contact);
            }
        }
    }
    if (!collected.empty() && lastSource && targetGroup) {
        move(lastSource);
        setExpandedItem(nullptr);
    } else if (!collected.empty() && targetRow) {
        if (!feature("contactMergingEnabled")) {
            _contactOutlineView->deselectAll(nullptr);
            return false;
        }
        collected.push_back(targetRow->contact());
        std::vector<std::shared_ptr<OVEntity>> kept;
        for (const auto& contact : collected) {
            if (!fromAddressBook(*contact)) {
                kept.push_back(contact);
            }
        }
        if (kept.size() >= 2) {
            platform::Window* window = _view->window();
            if (!window) {
                if (AppController* app = AppController::sharedAppController()) {
                    window = app->mainWindow();
                }
            }
            _combineAlert = OrvantaExtensions::sheetYesNo(
                window,
                [this, kept](platform::Alert& alert, int returnCode) {
                    if (platform::Panel* panel = alert.window()) {
                        SheetsTracker::sharedController().deRegisterSheet(panel, this);
                        panel->orderOut(nullptr);
                    }
                    combineContactAlertDidEnd(returnCode, kept);
                },
                QXLS("msg.opt.dialog.caption.combine", "Combine Contacts"),
                QXLS("msg.opt.dialog.message.combine", "Do you want to combine these contacts?"),
                platform::AlertStyle::Informational);
            if (platform::Panel* panel = _combineAlert ? _combineAlert->window() : nullptr;
                panel && panel->isSheet()) {
                SheetsTracker::sharedController().registerSheet(panel->sharedWindow(), this);
            }
        }
    }
    _contactOutlineView->deselectAll(nullptr);
    return moved;
}

void ContactListController::combineContactAlertDidEnd(
    int returnCode, const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    _combineAlert.reset();
    if (returnCode != platform::AlertFirstButtonReturn || !_contactManager) {
        return;
    }
    if (auto merged = _contactManager->mergeContacts(contacts)) {
        ContactEditorController::openForContact(merged);
    }
    setExpandedItem(nullptr);
}
