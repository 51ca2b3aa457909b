// The chat window: what the session reports, and its end.
#include "app/core/AppController.h"
#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/IMWindowController.h"
#include "engine/ArchiveService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Application.h"
#include "platform/kit/Button.h"
#include "platform/kit/DockTile.h"
#include "platform/kit/TextField.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"

void IMWindowController::imMessageReceivedPlain(
    const std::string& plainText, const std::string& richText, platform::Date timeStamp,
    bool firstOne, const std::shared_ptr<ChatParticipant>& participant) {
    const std::string html =
        _supportHtml ? richText : chat_html::formSimpleHTML(platform::AttributedString(plainText));
    const bool received = !participant || !participant->isSelf();
    _transcript->addMessage(html, participant ? participant->displayName() : std::string(),
                            received, timeStamp);
    _lastMessageReceived = platform::formatString(
        QXLS("msg.imchat.messagestatus.lastmessagereceived", "Last message received: %@"),
        _transcript->formattedTime(currentDate()));
    setChatStateText(_lastMessageReceived);

    const bool key = _window->isKeyWindow();
    if (firstOne || !key) {
        if (settingOn("alerts", "enableSounds") && !settingOn("alerts", "disableNewImSound")) {
            if (auto p = StartupService::instance().phoneService()) {
                p->getTonePlayer()->playAlertTone2(TonePlayer::newIMType);
            }
        }
        if (!key) {
            startUnreadTimer();
        }
    }
    auto& application = platform::Application::sharedApplication();
    application.requestUserAttention(platform::RequestUserAttentionType::InformationalRequest);
    if (application.isActive() && !application.modalWindow() && _window->isMiniaturized()) {
        _window->deminiaturize(nullptr);
        AppController* app = AppController::sharedAppController();
        if (app && !app->shouldOrderIMWindowFront()) {
            if (platform::Window* keyChat = app->currentKeyIMWindow()) {
                _window->orderWindow(platform::WindowOrderingMode::Below, keyChat->windowNumber());
            }
        }
    }
}

void IMWindowController::imSendMessageFailure(const std::string&) {
    _transcript->addWarning(
        chat_html::escapeHtmlEntities(QXLS("msg.imchat.messagestatus.failedtodelivermessagelong",
                                           "Sorry, your message cannot be delivered. Please try "
                                           "again later.")));
    setChatStateText(
        QXLS("msg.imchat.messagestatus.failedtodelivermessage", "Failed to deliver message"));
}

void IMWindowController::remoteChatStateUpdate(int state) {
    if (state == 1) {
        setChatStateText(platform::formatString(
            QXLS("msg.imchat.messagestatus.buddyistypingamessage", "%@ is typing"),
            _remoteDisplayName));
    } else if (state == 3 || state == 4) {
        setChatStateText(
            !_lastMessageReceived.empty()
                ? _lastMessageReceived
                : platform::formatString(QXLS("msg.imchat.messagestatus.idle", "%@ is idle"),
                                         _remoteDisplayName));
    } else {
        setChatStateText("");
    }
}

void IMWindowController::imRemoteNotSupportHTML() {
    _supportHtml = false;
    auto style = _composer->input().style();
    style.fontName = "Arial";
    style.fontSize = 13;
    _composer->setTypingStyle(style);
    updateControls();
}

void IMWindowController::archiveItemAdded(const std::shared_ptr<ArchiveItem>& item) {
    if (item && !item->content().empty()) {
        _transcript->setArchive(item->content(), item->date());
    }
}

void IMWindowController::sessionTerminated() {
    ++_sessionTerminatedCount;
    stopTypingTimer();
    if (!_imSession) {
        return;
    }
    if (auto html = _transcript->htmlToArchive()) {
        _imSession->save(*html);
    }
    _imSession->removeDelegate(this);
    _imSession.reset();
    _chatState.reset();
    _isEnded = true;
    _transcript->addWarning(chat_html::escapeHtmlEntities(
        QXLS("msg.imchat.messagestatus.session_terminated", "Session terminated.")));
    setChatStateText("");
    _composer->inputView()->setEditable(false);
    updateControls();
    _addContactButton->setEnabled(false);
    if (_addButton) {
        _addButton->setEnabled(false);
        pickContactsCancel();
    }
}
