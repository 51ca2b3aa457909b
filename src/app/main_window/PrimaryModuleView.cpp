#include "app/main_window/PrimaryModuleView.h"

#include "app/calls/VideoWindow.h"
#include "app/contacts/ContactWithGroup.h"
#include "engine/CallHistoryService.h"
#include "engine/ConversationService.h"
#include "engine/OVContactManager.h"
#include "engine/OVDirectoryItem.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Event.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/Window.h"
#include "support/DraggedItems.h"
#include "support/MenuExtensions.h"
#include "support/ValueTransformers.h"
#include "widgets/QXSearchField.h"

namespace {

std::shared_ptr<ConversationService> conversations() {
    auto phone = StartupService::instance().phoneService();
    return phone ? phone->getConversationService() : nullptr;
}

bool applicationSetting(std::string_view name) {
    auto phone = StartupService::instance().phoneService();
    auto node = phone ? phone->getPreferenceSettings()->existingSub("preferences") : nullptr;
    node = node ? node->existingSub("application") : nullptr;
    node = node ? node->existingSub(name) : nullptr;
    return node && node->boolSetting();
}

std::shared_ptr<OVEntity> contactOf(const std::shared_ptr<platform::Object>& item) {
    std::shared_ptr<OVEntity> entity;
    if (auto row = std::dynamic_pointer_cast<ContactWithGroup>(item))
        entity = row->contact();
    else
        entity = std::dynamic_pointer_cast<OVEntity>(item);
    if (entity && (entity->type() == OVEntity::typePhysicalContact ||
                   entity->type() == OVEntity::typeLogicalContact))
        return entity;
    return nullptr;
}

} // namespace

PrimaryModuleView::PrimaryModuleView(const platform::Rect& frame) : platform::View(frame) {}

std::vector<std::string> PrimaryModuleView::registeredDraggedTypes() const {
    return callTargetDraggedTypes();
}

platform::DragOperation PrimaryModuleView::draggingEntered(platform::DraggingInfo& /*info*/) {
    return platform::DragOperationCopy;
}

std::optional<platform::DragOperation>
PrimaryModuleView::draggingUpdated(platform::DraggingInfo& /*info*/) {
    return platform::DragOperationCopy;
}

bool PrimaryModuleView::performDragOperation(platform::DraggingInfo& info) {
    switch (draggedKindOf(info)) {
    case DraggedKind::contacts:
        receiveDraggedContact(info);
        break;
    case DraggedKind::callHistoryItems:
        receiveDraggedCallHistoryItem(info);
        break;
    case DraggedKind::directoryItems:
        receiveDraggedDirectoryItem(info);
        break;
    case DraggedKind::none:
        break;
    }
    return true;
}

long PrimaryModuleView::defaultCallAction() {
    auto phone = StartupService::instance().phoneService();
    auto node = phone ? phone->getPreferenceSettings()->existingSub("preferences") : nullptr;
    node = node ? node->existingSub("application") : nullptr;
    node = node ? node->existingSub("defaultCallAction") : nullptr;
    return node ? node->longSetting() : 0;
}

void PrimaryModuleView::showVideoWindow() {
    auto& video = VideoWindow::sharedVideoWindow();
    if (!video.isVisible())
        video.orderFront(nullptr);
}

void PrimaryModuleView::receiveDraggedContact(platform::DraggingInfo& info) {
    auto calls = conversations();
    if (!calls)
        return;
    const bool immediately = applicationSetting("callImmediatelyUponSelection");
    auto features = StartupService::instance().featuresService();
    const bool primaryNumber = features && features->featureAvailable("primaryNumberEnabled");
    for (const auto& item : draggedItemsOf(info)) {
        const auto contact = contactOf(item);
        if (!contact)
            continue;
        if (!primaryNumber && contact->callableAddresses().size() >= 2) {
            offerNumbers(contact);
            return;
        }
        const auto field = contact->getPrimary(OVField::fieldPrimaryTypeCall);
        if (!field || field->valueStr().empty())
            continue;
        if (!immediately) {
            if (_cef) {
                _cef->setStringValue(field->valueStrToDisplay());
                if (auto* delegate = _cef->delegate())
                    delegate->textDidChange(platform::Notification{});
            }
            return;
        }
        switch (defaultCallAction()) {
        case 0:
            calls->audioConversation(field->valueStr(), contact->uniqueId());
            break;
        case 1:
            calls->videoConversation(field->valueStr(), contact->uniqueId());
            showVideoWindow();
            break;
        default:
            calls->conferenceConversation(field->valueStr(), contact->uniqueId());
            break;
        }
    }
}

void PrimaryModuleView::receiveDraggedCallHistoryItem(platform::DraggingInfo& info) {
    for (const auto& item : draggedItemsOf(info)) {
        auto entry = std::dynamic_pointer_cast<OVModelCallHistoryItem>(item);
        if (!entry || entry->isRemotePartyAnonymous())
            continue;
        switch (defaultCallAction()) {
        case 0:
            entry->audioCall();
            break;
        case 1:
            entry->videoCall();
            showVideoWindow();
            break;
        default:
            entry->conferenceCall();
            break;
        }
    }
}

void PrimaryModuleView::receiveDraggedDirectoryItem(platform::DraggingInfo& info) {
    for (const auto& item : draggedItemsOf(info)) {
        auto result = std::dynamic_pointer_cast<OVDirectoryItem>(item);
        if (!result)
            continue;
        switch (defaultCallAction()) {
        case 0:
            result->call();
            break;
        case 1:
            result->videoCall();
            showVideoWindow();
            break;
        default:
            result->conferenceCall();
            break;
        }
    }
}

void PrimaryModuleView::offerNumbers(const std::shared_ptr<OVEntity>& contact) {
    auto menu = std::make_shared<platform::Menu>();
    menu->setAutoenablesItems(false);
    for (const auto& address : contact->callableAddresses()) {
        const std::string label = ContactAddressStringTransformer()
                                      .transformedValue(platform::Value(static_cast<long long>(
                                          addressTypeOfFieldName(address->name()))))
                                      .stringValue();
        auto item = OrvantaExtensions::addItemWithTitle(
            *menu, platform::formatString("%@: %@", label, address->valueStrToDisplay()), this,
            "contextCallDroppedAddress:", "", platform::Value(address->valueStr()));
        item->setTag(static_cast<long>(contact->uniqueId()));
    }
    _droppedContactMenu = menu;
    auto* w = window();
    if (!w)
        return;
    const auto event = platform::Event::mouseEvent(platform::EventType::LeftMouseDown,
                                                   w->mouseLocationOutsideOfEventStream());
    platform::Menu::popUpContextMenu(menu, event, this);
}

void PrimaryModuleView::contextCallDroppedAddress(platform::Object* sender) {
    auto* item = dynamic_cast<platform::MenuItem*>(sender);
    auto calls = conversations();
    if (!item || !calls || !item->representedObject().isString())
        return;
    calls->audioConversation(item->representedObject().stringValue(), item->tag());
}

bool PrimaryModuleView::tryToPerform(std::string_view action, platform::Object* sender) {
    if (action != "contextCallDroppedAddress:")
        return false;
    contextCallDroppedAddress(sender);
    return true;
}

bool PrimaryModuleView::respondsToAction(std::string_view action) const {
    return action == "contextCallDroppedAddress:";
}
