// The chat window: composing and sending.
#include "app/messaging/ChatInputView.h"
#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatSmileys.h"
#include "app/messaging/IMWindowController.h"
#include "engine/FileTransferService.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/TextField.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"

#include <algorithm>
#include <filesystem>

bool IMWindowController::isSendEnabled() const {
    return _composer->sendButton()->isEnabled();
}

void IMWindowController::updateControls() {
    const bool canSend = _imSession && _imSession->canSendMessage();
    _composer->inputView()->setEditable(canSend);
    const bool allowed = _isSMS ? newIMAllowed() : presenceAvailable();
    _composer->sendButton()->setEnabled(_composer->hasText() && canSend && allowed);
}

std::string IMWindowController::composedHTML() const {
    return chat_html::formSimpleHTML(chat_html::trimmed(_composer->input().text()));
}

void IMWindowController::sendUserInput() {
    addToChatUserInput();
}

void IMWindowController::addToChatUserInput() {
    if ((_isSMS && !newIMAllowed()) || (!_isSMS && !presenceAvailable())) {
        return;
    }
    platform::AttributedString text = _composer->text();
    if (!_supportHtml) {
        text = platform::AttributedString(text.string());
    }
    text = chat_html::trimmed(text);
    const std::string html = chat_html::formSimpleHTML(text);
    const std::string plain = text.string();
    if (!plain.empty() && _imSession && _imSession->canSendMessage()) {
        _imSession->sendMessage(plain, html);
        if (!_groupChat) {
            _transcript->addMessage(html, _imSession->localDisplayName(), false, currentDate());
        }
    }
    _composer->clear();
    stopTypingTimer();
    updateControls();
    if (chatStateText() ==
        QXLS("msg.imchat.messagestatus.failedtodelivermessage", "Failed to deliver message")) {
        setChatStateText("");
    }
    if (_isSMS && _imSession && _imSession->textLeft("") >= 0) {
        setChatStateText(ChatComposer::charactersLeftText(_imSession->textLeft("")));
    }
}

void IMWindowController::textChanged() {
    updateControls();
    if (_chatState) {
        stopTypingTimer();
        if (!_composer->inputView()->string().empty()) {
            _chatState->composing();
            std::weak_ptr<ChatState> state = _chatState;
            _typingTimer = platform::Timer::scheduledTimerWithTimeInterval(
                typingInterval, false, [this, state](platform::Timer&) {
                    _typingTimer.reset();
                    if (auto typing = state.lock()) {
                        typing->paused();
                    }
                });
        } else {
            _chatState->active();
        }
    }
    if (_isSMS && _imSession) {
        _composer->limitText([this](std::string_view text) { return _imSession->textLeft(text); },
                             _window->isKeyWindow());
    }
}

void IMWindowController::dropText(std::string_view text) {
    if (const auto* smiley = ChatSmileys::smileyForImagePath(text)) {
        _composer->insertSmiley(smiley->code);
    } else {
        _composer->inputView()->insertText(text);
    }
}

bool IMWindowController::dropFiles(const std::vector<std::string>& paths) {
    if (!_imSession || _groupChat || !_imSession->isXMPP() || _imSession->isEnded()) {
        return false;
    }
    std::vector<std::string> files;
    for (const auto& path : paths) {
        std::error_code error;
        if (std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error)) {
            files.push_back(path);
        }
    }
    auto p = StartupService::instance().phoneService();
    auto service = p ? p->getFileTransferService() : nullptr;
    if (!service || !service->canNewOutgoingFileTransfer() || files.empty() || !_contact) {
        return false;
    }
    const auto presence = _contact->defaultPresence();
    if (!presence || presence->status() == OVPresenceData::statusNone ||
        presence->status() == OVPresenceData::statusOffline) {
        return false;
    }
    return service->newOutgoingFileTransfer(_remoteAddress, "", _contact->displayName(),
                                            std::move(files)) != nullptr;
}
