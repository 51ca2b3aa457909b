// The chat window: composing and sending.
#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatSmileys.h"
#include "app/messaging/IMWindowController.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/kit/Button.h"
#include "platform/kit/TextField.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"

namespace {

// The first `count` characters of UTF-8 text.
std::string firstCharacters(std::string_view text, int count) {
    std::size_t i = 0;
    for (int n = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == count) {
            break;
        }
    }
    return std::string(text.substr(0, i));
}

} // namespace

std::string IMWindowController::trimmedInput() const {
    return chat_html::trimmed(_input.text()).string();
}

bool IMWindowController::isSendEnabled() const {
    return _sendButton->isEnabled();
}

void IMWindowController::updateControls() {
    const bool canSend = _imSession && _imSession->canSendMessage();
    _inputView->setEditable(canSend);
    const bool hasText = !trimmedInput().empty();
    const bool allowed = _isSMS ? newIMAllowed() : presenceAvailable();
    _sendButton->setEnabled(hasText && canSend && allowed);
}

std::string IMWindowController::composedHTML() const {
    return chat_html::formSimpleHTML(chat_html::trimmed(_input.text()));
}

void IMWindowController::sendUserInput() {
    addToChatUserInput();
}

void IMWindowController::addToChatUserInput() {
    if ((_isSMS && !newIMAllowed()) || (!_isSMS && !presenceAvailable())) {
        return;
    }
    _input.synchronize(_inputView->string());
    platform::AttributedString text = _input.text();
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
    _changingInput = true;
    _inputView->setString("");
    _changingInput = false;
    _input.clear();
    stopTypingTimer();
    updateControls();
    if (chatStateText() ==
        QXLS("msg.imchat.messagestatus.failedtodelivermessage", "Failed to deliver message")) {
        setChatStateText("");
    }
    if (_isSMS && _imSession && _imSession->textLeft("") >= 0) {
        setChatStateText(platform::formatString(
            QXLS("msg.smschat.messagestatus.remained", "Number of characters remaining: %i"),
            _imSession->textLeft("")));
    }
}

bool IMWindowController::textViewDoCommandBySelector(platform::TextView& textView,
                                                     std::string_view selector) {
    if (&textView != _inputView.get()) {
        return false;
    }
    const bool enterSends = settingOn("application", "enterAction");
    if (enterSends) {
        if (selector == "insertNewline:") {
            sendUserInput();
            return true;
        }
        if (selector == "insertLineBreak:") {
            _inputView->insertText("\n");
            return true;
        }
        return false;
    }
    if (selector == "insertLineBreak:") {
        sendUserInput();
        return true;
    }
    return false;
}

bool IMWindowController::textViewShouldChangeTextInRange(platform::TextView& textView,
                                                         platform::TextRange range,
                                                         std::string_view replacement) {
    if (&textView == _inputView.get() && !_changingInput) {
        _input.replace(range, replacement);
    }
    return true;
}

void IMWindowController::textDidChange(const platform::Notification&) {
    textChanged();
}

void IMWindowController::textChanged() {
    _input.synchronize(_inputView->string());
    updateControls();
    if (_chatState) {
        stopTypingTimer();
        if (!_inputView->string().empty()) {
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
        const int left = _imSession->textLeft(_inputView->string());
        if (left == 0 && _window->isKeyWindow()) {
            const int maximum = _imSession->textLeft("");
            const auto cut = firstCharacters(_inputView->string(), maximum);
            if (cut.size() < _inputView->string().size()) {
                _changingInput = true;
                _inputView->setString(cut);
                _changingInput = false;
                _input.synchronize(cut);
            }
        }
        if (left >= 0) {
            setChatStateText(platform::formatString(
                QXLS("msg.smschat.messagestatus.remained", "Number of characters remaining: %i"),
                left));
        }
    }
}

void IMWindowController::textViewDidChangeSelection(const platform::Notification&) {
    if (_input.text().empty()) {
        return;
    }
    const auto selection = _inputView->selectedRange();
    const std::size_t index = selection.location > 0 ? selection.location - 1 : 0;
    const auto style = _input.styleAt(index);
    auto current = _input.style();
    current.bold = style.bold;
    current.italic = style.italic;
    current.underline = style.underline;
    _input.setStyle(current);
    _boldButton->setState(style.bold ? platform::OnState : platform::OffState);
    _italicButton->setState(style.italic ? platform::OnState : platform::OffState);
    _underlineButton->setState(style.underline ? platform::OnState : platform::OffState);
}

void IMWindowController::setBold(bool flag) {
    auto style = _input.style();
    style.bold = flag;
    _input.setStyle(style, _inputView->selectedRange());
    _boldButton->setState(flag ? platform::OnState : platform::OffState);
}

void IMWindowController::setItalic(bool flag) {
    auto style = _input.style();
    style.italic = flag;
    _input.setStyle(style, _inputView->selectedRange());
    _italicButton->setState(flag ? platform::OnState : platform::OffState);
}

void IMWindowController::setUnderline(bool flag) {
    auto style = _input.style();
    style.underline = flag;
    _input.setStyle(style, _inputView->selectedRange());
    _underlineButton->setState(flag ? platform::OnState : platform::OffState);
}

void IMWindowController::insertSmiley(std::string_view code) {
    _inputView->insertText(code);
}

void IMWindowController::dropText(std::string_view text) {
    if (const auto* smiley = ChatSmileys::smileyForImagePath(text)) {
        _inputView->insertText(smiley->code);
    } else {
        _inputView->insertText(text);
    }
}
