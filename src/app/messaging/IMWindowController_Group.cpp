// The chat window: group chats (the participant list, invitations, the room's news).
#include "app/core/AppController.h"
#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/IMWindowController.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Alert.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TableColumn.h"
#include "platform/kit/TableView.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"
#include "support/Notifications.h"

namespace {

// The room's default subject: its announcement is no news.
constexpr std::string_view kDefaultSubject = "Anything and Everything";

std::string escaped(const std::string& text) {
    return chat_html::escapeHtmlEntities(text);
}

} // namespace

void IMWindowController::buildParticipantList() {
    _participantTable = platform::make<platform::TableView>(platform::Rect(0, 0, 130, 200));
    auto column = std::make_shared<platform::TableColumn>("displayName");
    column->setWidth(128);
    column->setEditable(false);
    _participantTable->addTableColumn(column);
    _participantTable->setHeaderView(nullptr);
    _participantTable->setDataSource(this);
    _participantTable->setDelegate(this);
    _participantTable->registerForDraggedTypes({std::string(QXDragDropContactType)});
    _participantScrollView = platform::make<platform::ScrollView>(platform::Rect(0, 0, 130, 200));
    _participantScrollView->setHasVerticalScroller(true);
    _participantScrollView->setDocumentView(_participantTable);
    _window->contentView()->addSubview(_participantScrollView);
    _removeButton = platform::make<platform::Button>(platform::Rect(0, 0, 130, 24));
    _removeButton->setTitle(QXLS("msg.imchat.group_chat.remove", "Remove"));
    _removeButton->setTarget(this);
    _removeButton->setAction("removeParticipant:");
    _removeButton->setEnabled(false);
    _window->contentView()->addSubview(_removeButton);
    _addButton = platform::make<platform::Button>(platform::Rect(0, 0, 64, 24));
    _addButton->setTitle(QXLS("msg.imchat.group_chat.add", "Add..."));
    _addButton->setTarget(this);
    _addButton->setAction("addParticipant:");
    _window->contentView()->addSubview(_addButton);
    _removeButton->setFrameSize(platform::Size(64, 24));
    buildInviteSheets();
}

std::vector<std::shared_ptr<ChatParticipant>> IMWindowController::participants() const {
    return _imSession ? _imSession->chatParticipants()
                      : std::vector<std::shared_ptr<ChatParticipant>>{};
}

void IMWindowController::updateTitle() {
    const auto count = participants().size();
    _window->setTitle(platform::formatString(
        count == 1 ? QXLS("msg.imchat.group_chat.title_single", "Group Chat - %i participant")
                   : QXLS("msg.imchat.group_chat.title", "Group Chat - %i participants"),
        static_cast<int>(count)));
}

// Participant table.

long IMWindowController::numberOfRowsInTableView(platform::TableView& tableView) {
    if (&tableView == _pickTable.get()) {
        return static_cast<long>(_inviteCandidates.size());
    }
    return static_cast<long>(participants().size());
}

platform::Value
IMWindowController::tableViewObjectValueForTableColumn(platform::TableView& tableView,
                                                       platform::TableColumn*, long row) {
    if (&tableView == _pickTable.get()) {
        return row >= 0 && row < static_cast<long>(_inviteCandidates.size())
                   ? platform::Value(
                         _inviteCandidates[static_cast<std::size_t>(row)]->displayName())
                   : platform::Value();
    }
    const auto list = participants();
    if (row < 0 || row >= static_cast<long>(list.size())) {
        return {};
    }
    return platform::Value(list[static_cast<std::size_t>(row)]->displayName());
}

void IMWindowController::tableViewSelectionDidChange(const platform::Notification& notification) {
    if (notification.object == _pickTable.get()) {
        pickContactsSelectionChanged();
        return;
    }
    const auto list = participants();
    const long row = _participantTable->selectedRow();
    const bool other = row >= 0 && row < static_cast<long>(list.size()) &&
                       !list[static_cast<std::size_t>(row)]->isSelf();
    _removeButton->setEnabled(other && _imSession && !_imSession->isPersistent() &&
                              _imSession->host());
}

void IMWindowController::removeSelectedParticipants() {
    if (!_imSession || _imSession->isPersistent()) {
        return;
    }
    const auto list = participants();
    for (const auto row : _participantTable->selectedRowIndexes()) {
        if (row >= 0 && row < static_cast<long>(list.size())) {
            _imSession->removeChatParticipant(list[static_cast<std::size_t>(row)]);
        }
    }
}

std::vector<std::shared_ptr<platform::MenuItem>>
IMWindowController::participantMenuItems(long row) const {
    std::vector<std::shared_ptr<platform::MenuItem>> items;
    const auto list = participants();
    if (!_imSession || _imSession->isPersistent() || row < 0 ||
        row >= static_cast<long>(list.size())) {
        return items;
    }
    const auto& participant = list[static_cast<std::size_t>(row)];
    if (participant->isSelf()) {
        return items;
    }
    const auto add = [&](std::string title, std::string action) {
        auto item = std::make_shared<platform::MenuItem>(std::move(title), std::move(action), "");
        item->setTarget(const_cast<IMWindowController*>(this));
        item->setRepresentedObject(platform::Value(participant->address()));
        items.push_back(item);
    };
    add(QXLS("msg.contextmenuitem.startprivateconversation", "Start Private Conversation"),
        "contextStartPrivateConversation:");
    if (_imSession->host()) {
        add(QXLS("msg.contextmenuitem.removeparticipant", "Remove Participant"),
            "contextRemoveParticipant:");
    }
    return items;
}

// The room's news.

void IMWindowController::chatParticipantAdded(const std::shared_ptr<ChatParticipant>& participant) {
    if (_participantTable) {
        _participantTable->reloadData();
    }
    _transcript->addAlert(
        platform::formatString(QXLS("msg.imchat.group_chat.join", "%@ has joined the Group Chat"),
                               escaped(participant->displayName())));
    updateTitle();
}

void IMWindowController::chatParticipantRemoved(
    const std::shared_ptr<ChatParticipant>& participant) {
    if (_participantTable) {
        _participantTable->reloadData();
    }
    _transcript->addAlert(
        platform::formatString(QXLS("msg.imchat.group_chat.gone", "%@ has left the Group Chat"),
                               escaped(participant->displayName())));
    updateTitle();
}

void IMWindowController::chatStatusUpdate(int code, const std::string& info,
                                          const std::string& reason) {
    const auto alert = [&](std::string text) { _transcript->addAlert(std::move(text)); };
    switch (code) {
    case IMSession::statusReady:
        alert(escaped(QXLS("msg.imchat.group_chat.ready", "Group Chat ready!")));
        break;
    case IMSession::statusAlreadyInvited:
        alert(platform::formatString(QXLS("msg.imchat.group_chat.already_invited",
                                          "Can't invite %@, already a participant."),
                                     escaped(info)));
        break;
    case IMSession::statusInviteSent:
        alert(platform::formatString(
            QXLS("msg.imchat.group_chat.invite_sent", "You have invited %@ to the Group Chat"),
            escaped(info)));
        break;
    case IMSession::statusInviteDeclined:
        alert(platform::formatString(
            QXLS("msg.imchat.group_chat.decline", "%@ has declined invitation: %@"), escaped(info),
            escaped(reason)));
        break;
    case IMSession::statusPasswordRequired:
        promptForNicknameAndPassword(
            QXLS("msg.imchat.group_chat.password_required", "Valid password required"));
        break;
    case IMSession::statusReservedNicknameRequired:
        promptForNicknameAndPassword(
            QXLS("msg.imchat.group_chat.reserved_nickname_required", "Reserved nickname required"));
        break;
    case IMSession::statusNameConflict:
        promptForNicknameAndPassword(QXLS("msg.imchat.group_chat.name_conflict", "Name conflict"));
        break;
    case IMSession::statusBanned:
        displayUnrecoverableError(
            QXLS("msg.imchat.group_chat.user_banned", "Banned from chat room"));
        break;
    case IMSession::statusRoomNotFound:
        displayUnrecoverableError(QXLS("msg.imchat.group_chat.not_found", "Chat room not found"));
        break;
    case IMSession::statusCreationRestricted:
        displayUnrecoverableError(
            QXLS("msg.imchat.group_chat.creation_restricted", "Can not create chat room"));
        break;
    case IMSession::statusNotMember:
        displayUnrecoverableError(
            QXLS("msg.imchat.group_chat.not_member", "You must be a member to join chat room"));
        break;
    case IMSession::statusMaxUsersReached:
        displayUnrecoverableError(
            QXLS("msg.imchat.group_chat.max_users_reached", "Maximum users reached for chat room"));
        break;
    case IMSession::statusSubjectChanged:
        if (info != kDefaultSubject) {
            alert(escaped(QXLS("msg.imchat.group_chat.subject_changed", "Subject changed")));
        }
        break;
    case IMSession::statusError:
        alert(escaped(QXLS("msg.imchat.group_chat.error", "Error encountered")));
        break;
    case IMSession::statusClosed:
        alert(escaped(QXLS("msg.imchat.group_chat.ended", "Group Chat has been closed")));
        break;
    default:
        // 13 and anything above 15 tell nothing.
        break;
    }
}

void IMWindowController::promptForNicknameAndPassword(const std::string& caption) {
    auto fields = platform::make<platform::View>(platform::Rect(0, 0, 240, 56));
    auto nickname = platform::make<platform::TextField>(platform::Rect(0, 30, 240, 24));
    auto password = platform::make<platform::TextField>(platform::Rect(0, 0, 240, 24));
    nickname->setStringValue(_imSession ? _imSession->localDisplayName() : std::string());
    nickname->setPlaceholderString(QXLS("msg.imchat.group_chat.nickname", "Nickname"));
    password->setPlaceholderString(QXLS("msg.imchat.group_chat.password", "Password"));
    fields->addSubview(nickname);
    fields->addSubview(password);
    auto sheet = platform::Alert::alert();
    sheet->setMessageText(caption);
    sheet->setAccessoryView(fields);
    sheet->addButtonWithTitle(QXLS("msg.imchat.group_chat.join_button", "Join"));
    sheet->addButtonWithTitle(QXLS("msg.opt.dialog.button.cancel", "Cancel"));
    std::weak_ptr<int> alive = _lifetime;
    sheet->beginSheetModalForWindow(*_window, [this, alive, nickname, password](int code) {
        if (!alive.lock()) {
            return;
        }
        if (code == 1000 && _imSession) {
            _imSession->joinConference(nickname->stringValue(), password->stringValue());
        } else {
            closeOnNextPass();
        }
    });
}

void IMWindowController::displayUnrecoverableError(const std::string& text) {
    auto sheet = platform::Alert::alert();
    sheet->setMessageText(text);
    sheet->setAlertStyle(platform::AlertStyle::Critical);
    std::weak_ptr<int> alive = _lifetime;
    sheet->beginSheetModalForWindow(*_window, [this, alive](int) {
        if (alive.lock()) {
            closeOnNextPass();
        }
    });
}

void IMWindowController::closeOnNextPass() {
    // Once the sheet has gone.
    std::weak_ptr<int> alive = _lifetime;
    platform::RunLoop::main().performInModes(
        [this, alive] {
            if (alive.lock()) {
                close();
            }
        },
        platform::commonModes());
}
