#include "app/messaging/ChatInvitationWindowController.h"

#include "app/core/DeferredRelease.h"
#include "engine/AccountService.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/Button.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"

#include <algorithm>

namespace {

std::vector<std::shared_ptr<ChatInvitationWindowController>>& openList() {
    static std::vector<std::shared_ptr<ChatInvitationWindowController>> controllers;
    return controllers;
}

std::shared_ptr<platform::TextField> textField(const platform::Rect& frame, bool editable) {
    auto field = platform::make<platform::TextField>(frame);
    field->setEditable(editable);
    field->setSelectable(editable);
    field->setBezeled(editable);
    field->setDrawsBackground(editable);
    return field;
}

std::shared_ptr<platform::Button> button(const platform::Rect& frame, std::string title,
                                         std::string action, platform::ActionTarget* target) {
    return platform::Button::buttonWithTitle(std::move(title), target, std::move(action), frame);
}

// The server part of an address: what follows the first "@" (the whole address without one).
std::string serverOf(const std::string& address) {
    const auto at = address.find('@');
    return at == std::string::npos ? address : address.substr(at + 1);
}

} // namespace

std::shared_ptr<ChatInvitationWindowController>
ChatInvitationWindowController::initWithChatInvitation(std::shared_ptr<ChatInvitation> invitation) {
    auto controller =
        std::make_shared<ChatInvitationWindowController>(Key(), std::move(invitation));
    openList().push_back(controller);
    std::weak_ptr<ChatInvitationWindowController> weak = controller;
    platform::NotificationCenter::defaultCenter().addObserver(
        controller.get(), invalidatedNotification, nullptr,
        [weak](const platform::Notification& notification) {
            auto self = weak.lock();
            auto* account = dynamic_cast<OVAccount*>(notification.object);
            if (self && account) {
                self->invalidated(account->domain());
            }
        });
    controller->_window->makeKeyAndOrderFront(nullptr);
    return controller;
}

const std::vector<std::shared_ptr<ChatInvitationWindowController>>&
ChatInvitationWindowController::openControllers() {
    return openList();
}

void ChatInvitationWindowController::closeAll() {
    auto controllers = std::move(openList());
    openList().clear();
    for (const auto& controller : controllers) {
        controller->_finished = true;
        controller->stopObserving();
    }
}

ChatInvitationWindowController::ChatInvitationWindowController(
    Key /*key*/, std::shared_ptr<ChatInvitation> invitation)
    : _invitation(std::move(invitation)),
      _window(platform::make<platform::Window>(platform::Rect(0, 0, 380, 200),
                                               platform::TitledWindowMask |
                                                   platform::ClosableWindowMask)) {
    _window->setTitle(QXLS("msg.imchat.group_chat.title_invitation", "Group Chat Invitation"));
    auto* content = _window->contentView();
    _standardInviteMessage = textField(platform::Rect(16, 140, 348, 44), false);
    _userInviteMessage = textField(platform::Rect(16, 100, 348, 36), false);
    _declineMessage = textField(platform::Rect(16, 60, 348, 24), true);
    // The caption and the inviter's message take as many lines as they need.
    for (const auto& field : {_standardInviteMessage, _userInviteMessage}) {
        field->cell()->setWraps(true);
    }
    _acceptButton = button(platform::Rect(284, 14, 80, 28),
                           QXLS("msg.imchat.group_chat.accept", "Accept"), "accept:", this);
    _declineButton =
        button(platform::Rect(196, 14, 80, 28),
               QXLS("msg.imchat.group_chat.decline_button", "Decline"), "decline:", this);
    _closeButton = button(platform::Rect(284, 14, 80, 28),
                          QXLS("msg.opt.dialog.button.close", "Close"), "close:", this);
    _closeButton->setHidden(true);
    for (const auto& view : std::initializer_list<std::shared_ptr<platform::View>>{
             _standardInviteMessage, _userInviteMessage, _declineMessage, _acceptButton,
             _declineButton, _closeButton}) {
        content->addSubview(view);
    }
    if (_invitation) {
        _standardInviteMessage->setStringValue(platform::formatString(
            QXLS("msg.imchat.group_chat.invite_caption",
                 "%@ would like to invite you to a Group Chat. If declining enter a reason:"),
            _invitation->remoteDisplayName()));
        _userInviteMessage->setStringValue(_invitation->invitationMsg());
    }
    _declineMessage->setStringValue(QXLS("msg.imchat.group_chat.decline_message", "No thanks..."));
    _window->setDelegate(this);
}

ChatInvitationWindowController::~ChatInvitationWindowController() {
    stopObserving();
    _window->setDelegate(nullptr);
    for (const auto& b : {_acceptButton, _declineButton, _closeButton}) {
        b->setTarget(nullptr);
    }
    _window->orderOut(nullptr);
}

std::string ChatInvitationWindowController::captionText() const {
    return _standardInviteMessage->stringValue();
}

std::string ChatInvitationWindowController::inviteMessageText() const {
    return _userInviteMessage->stringValue();
}

void ChatInvitationWindowController::stopObserving() {
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void ChatInvitationWindowController::accept(platform::Object* /*sender*/) {
    stopObserving();
    if (auto invitation = std::move(_invitation)) {
        invitation->accept();
    }
    finish();
}

void ChatInvitationWindowController::decline(platform::Object* /*sender*/) {
    stopObserving();
    if (auto invitation = std::move(_invitation)) {
        invitation->decline(_declineMessage->stringValue());
    }
    finish();
}

void ChatInvitationWindowController::close(platform::Object* /*sender*/) {
    finish();
}

void ChatInvitationWindowController::invalidated(const std::string& accountDomain) {
    if (!_invitation || serverOf(_invitation->remoteAddress()) != accountDomain) {
        return;
    }
    stopObserving();
    platform::TextAttributes red;
    red.foregroundColor = platform::Color::redColor();
    red.link = "";
    _standardInviteMessage->setAttributedStringValue(platform::AttributedString(
        platform::formatString(QXLS("msg.imchat.group_chat.invite_terminated",
                                    "Group chat invitation from %@ was terminated"),
                               _invitation->remoteDisplayName()),
        red));
    _userInviteMessage->setStringValue("");
    _declineMessage->setStringValue("");
    _declineMessage->setEnabled(false);
    _closeButton->setHidden(false);
    _acceptButton->setHidden(true);
    _declineButton->setHidden(true);
    _terminated = true;
    _invitation.reset();
}

void ChatInvitationWindowController::windowWillClose(platform::Window&) {
    stopObserving();
    if (auto invitation = std::move(_invitation)) {
        invitation->decline(_declineMessage->stringValue());
    }
    finish();
}

bool ChatInvitationWindowController::respondsToAction(std::string_view action) const {
    return action == "accept:" || action == "decline:" || action == "close:";
}

bool ChatInvitationWindowController::tryToPerform(std::string_view action,
                                                  platform::Object* sender) {
    if (action == "accept:") {
        accept(sender);
    } else if (action == "decline:") {
        decline(sender);
    } else if (action == "close:") {
        close(sender);
    } else {
        return false;
    }
    return true;
}

void ChatInvitationWindowController::finish() {
    if (_finished) {
        return;
    }
    _finished = true;
    _window->setDelegate(nullptr);
    _window->orderOut(nullptr);
    releaseOnNextPass(openList(), *this);
}
