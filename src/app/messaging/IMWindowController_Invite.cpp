// The chat window: inviting contacts into a group chat (the pick-contacts sheet, then the
// invitation text).
#include "app/core/AppController.h"
#include "app/core/SheetsTracker.h"
#include "app/messaging/IMWindowController.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/Panel.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextField.h"
#include "support/DraggedItems.h"
#include "support/Localization.h"
#include "support/Notifications.h"

#include <algorithm>
#include <cctype>

namespace {

// The contact's chat address: its presence address when that is an XMPP address.
std::shared_ptr<OVField> chatAddressOf(const OVEntity& contact) {
    auto field = contact.getPrimary(OVField::fieldPrimaryTypePresence);
    return field && field->name() == OVField::fieldJidAddr && !field->valueStr().empty() ? field
                                                                                         : nullptr;
}

bool isOnline(const OVEntity& contact) {
    const auto status = static_cast<OVPresenceStatus>(contact.presenceStatus());
    return !OVPresenceData::isOfflineStatus(status);
}

bool invitable(const std::shared_ptr<OVEntity>& contact) {
    return contact && isOnline(*contact) && chatAddressOf(*contact);
}

std::shared_ptr<platform::Button> sheetButton(const platform::Rect& frame, std::string title,
                                              std::string action, platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::move(action), frame);
}

} // namespace

void IMWindowController::buildInviteSheets() {
    _pickSheet =
        platform::make<platform::Panel>(platform::Rect(0, 0, 300, 300), platform::TitledWindowMask);
    _pickTable = platform::make<platform::TableView>(platform::Rect(0, 0, 276, 230));
    auto column = std::make_shared<platform::TableColumn>("displayName");
    column->setWidth(270);
    column->setEditable(false);
    _pickTable->addTableColumn(column);
    _pickTable->setHeaderView(nullptr);
    _pickTable->setAllowsMultipleSelection(true);
    _pickTable->setDataSource(this);
    _pickTable->setDelegate(this);
    auto scroll = platform::make<platform::ScrollView>(platform::Rect(12, 56, 276, 230));
    scroll->setHasVerticalScroller(true);
    scroll->setDocumentView(_pickTable);
    _pickSelectButton =
        sheetButton(platform::Rect(208, 12, 80, 28), QXLS("msg.imchat.group_chat.select", "Select"),
                    "pickContactsSelect:", this);
    auto cancel =
        sheetButton(platform::Rect(120, 12, 80, 28), QXLS("msg.opt.dialog.button.cancel", "Cancel"),
                    "pickContactsCancel:", this);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             scroll, _pickSelectButton, cancel}) {
        _pickSheet->contentView()->addSubview(view);
    }

    _invitationSheet =
        platform::make<platform::Panel>(platform::Rect(0, 0, 360, 180), platform::TitledWindowMask);
    _invitationCaption = platform::make<platform::TextField>(platform::Rect(12, 120, 336, 48));
    _invitationCaption->setEditable(false);
    _invitationCaption->setBezeled(false);
    _invitationCaption->setDrawsBackground(false);
    _invitationCaption->cell()->setWraps(true);
    _invitationText = platform::make<platform::TextField>(platform::Rect(12, 56, 336, 56));
    _invitationText->setEditable(true);
    auto ok = sheetButton(platform::Rect(268, 12, 80, 28), QXLS("msg.opt.dialog.button.ok", "OK"),
                          "chatInvitationOK:", this);
    auto cancelInvitation =
        sheetButton(platform::Rect(180, 12, 80, 28), QXLS("msg.opt.dialog.button.cancel", "Cancel"),
                    "chatInvitationCancel:", this);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _invitationCaption, _invitationText, ok, cancelInvitation}) {
        _invitationSheet->contentView()->addSubview(view);
    }
}

void IMWindowController::updateContactlist() {
    _inviteCandidates.clear();
    auto p = StartupService::instance().phoneService();
    auto manager = p ? p->getContactManager() : nullptr;
    if (!manager) {
        return;
    }
    auto search = manager->getContacts();
    search->start();
    const auto result = search->result();
    for (const auto& contact :
         result ? result->entitiesAll() : std::vector<std::shared_ptr<OVEntity>>{}) {
        if (invitable(contact) &&
            std::none_of(_inviteCandidates.begin(), _inviteCandidates.end(),
                         [&](const auto& other) { return other->isEqualToInterface(*contact); })) {
            _inviteCandidates.push_back(contact);
        }
    }
    search->stop();
    std::stable_sort(
        _inviteCandidates.begin(), _inviteCandidates.end(), [](const auto& a, const auto& b) {
            return platform::lowercase(a->displayName()) < platform::lowercase(b->displayName());
        });
    if (_pickTable) {
        _pickTable->reloadData();
    }
}

void IMWindowController::addParticipant() {
    if (!_pickSheet || _pickSheetShown || _invitationSheetShown) {
        return;
    }
    updateContactlist();
    _pickSelectButton->setEnabled(false);
    _pickTable->deselectAll(nullptr);
    if (!_inviteCandidates.empty()) {
        _pickTable->scrollRowToVisible(0);
    }
    _pickSheetShown = true;
    std::weak_ptr<int> alive = _lifetime;
    platform::Application::sharedApplication().beginSheet(*_pickSheet, *_window,
                                                          [this, alive](int code) {
                                                              if (alive.lock()) {
                                                                  pickContactsSheetDidEnd(code);
                                                              }
                                                          });
    SheetsTracker::sharedController().registerSheet(_pickSheet, this);
}

void IMWindowController::pickContactsSelectionChanged() {
    bool any = false;
    for (const auto row : _pickTable->selectedRowIndexes()) {
        if (row >= 0 && row < static_cast<long>(_inviteCandidates.size()) &&
            isOnline(*_inviteCandidates[static_cast<std::size_t>(row)])) {
            any = true;
        }
    }
    _pickSelectButton->setEnabled(any);
}

void IMWindowController::pickContactsSelect() {
    if (_pickSheetShown) {
        platform::Application::sharedApplication().endSheet(*_pickSheet, 1);
    }
}

void IMWindowController::pickContactsCancel() {
    if (_pickSheetShown) {
        platform::Application::sharedApplication().endSheet(*_pickSheet, -1);
    }
}

void IMWindowController::pickContactsSheetDidEnd(int returnCode) {
    _pickSheetShown = false;
    SheetsTracker::sharedController().deRegisterSheet(_pickSheet.get(), this);
    _pickSheet->orderOut(nullptr);
    if (returnCode <= 0) {
        return;
    }
    std::vector<std::shared_ptr<OVEntity>> chosen;
    for (const auto row : _pickTable->selectedRowIndexes()) {
        if (row >= 0 && row < static_cast<long>(_inviteCandidates.size())) {
            chosen.push_back(_inviteCandidates[static_cast<std::size_t>(row)]);
        }
    }
    addParticipants(chosen);
}

void IMWindowController::addParticipants(const std::vector<std::shared_ptr<OVEntity>>& contacts) {
    std::vector<std::shared_ptr<OVEntity>> kept;
    for (const auto& contact : contacts) {
        if (invitable(contact)) {
            kept.push_back(contact);
        }
    }
    if (kept.empty() || !_invitationSheet) {
        return;
    }
    showInvitationSheet(std::move(kept));
}

void IMWindowController::showInvitationSheet(std::vector<std::shared_ptr<OVEntity>> contacts) {
    if (_invitationSheetShown) {
        return;
    }
    std::string names;
    for (const auto& contact : contacts) {
        names += names.empty() ? "" : ", ";
        names += contact->displayName();
    }
    _invitationCaption->setStringValue(
        platform::formatString(QXLS("msg.imchat.group_chat.inviter_caption",
                                    "You have selected: %@. Please enter invitation text:"),
                               names));
    AppController* app = AppController::sharedAppController();
    std::string message = app ? app->groupChatInvitationMessage() : std::string();
    if (message.empty()) {
        message = QXLS("msg.imchat.group_chat.invite_message", "Please join my Group Chat...");
        if (app) {
            app->setGroupChatInvitationMessage(message);
        }
    }
    _invitationText->setStringValue(message);
    _contactsToInvite = std::move(contacts);
    _invitationSheetShown = true;
    std::weak_ptr<int> alive = _lifetime;
    platform::Application::sharedApplication().beginSheet(*_invitationSheet, *_window,
                                                          [this, alive](int code) {
                                                              if (alive.lock()) {
                                                                  chatInvitationSheetDidEnd(code);
                                                              }
                                                          });
    SheetsTracker::sharedController().registerSheet(_invitationSheet, this);
}

std::string IMWindowController::invitationCaption() const {
    return _invitationCaption ? _invitationCaption->stringValue() : std::string();
}

void IMWindowController::chatInvitationOK() {
    if (_invitationSheetShown) {
        platform::Application::sharedApplication().endSheet(*_invitationSheet, 1);
    }
}

void IMWindowController::chatInvitationCancel() {
    if (_invitationSheetShown) {
        platform::Application::sharedApplication().endSheet(*_invitationSheet, -1);
    }
}

void IMWindowController::chatInvitationSheetDidEnd(int returnCode) {
    _invitationSheetShown = false;
    SheetsTracker::sharedController().deRegisterSheet(_invitationSheet.get(), this);
    _invitationSheet->orderOut(nullptr);
    const std::string message = _invitationText->stringValue();
    // The text is remembered for the next group chat, also when the user cancels.
    if (AppController* app = AppController::sharedAppController()) {
        app->setGroupChatInvitationMessage(message);
    }
    const auto contacts = std::move(_contactsToInvite);
    _contactsToInvite.clear();
    if (returnCode <= 0 || !_imSession || !_groupChat) {
        return;
    }
    for (const auto& contact : contacts) {
        if (const auto address = chatAddressOf(*contact)) {
            _invitedParticipants.push_back(address->valueStr());
            _imSession->addChatParticipant(address->valueStr(), message, contact->displayName());
        }
    }
}

platform::DragOperation
IMWindowController::tableViewValidateDrop(platform::TableView& tableView,
                                          platform::DraggingInfo& info, long,
                                          platform::TableViewDropOperation) {
    if (&tableView != _participantTable.get() || draggedKindOf(info) != DraggedKind::contacts) {
        return platform::DragOperationNone;
    }
    return platform::DragOperationGeneric;
}

bool IMWindowController::tableViewAcceptDrop(platform::TableView& tableView,
                                             platform::DraggingInfo& info, long,
                                             platform::TableViewDropOperation) {
    if (&tableView != _participantTable.get() || draggedKindOf(info) != DraggedKind::contacts) {
        return false;
    }
    std::vector<std::shared_ptr<OVEntity>> contacts;
    for (const auto& item : draggedItemsOf(info)) {
        if (auto contact = std::dynamic_pointer_cast<OVEntity>(item)) {
            contacts.push_back(std::move(contact));
        }
    }
    // Inviting needs the session and a room the user may invite into.
    if (_imSession && !_isEnded) {
        addParticipants(contacts);
    }
    return true;
}
