// The chat window: composing and sending.
#include "app/messaging/ChatInputView.h"
#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatSmileys.h"
#include "app/messaging/IMWindowController.h"
#include "engine/FileTransferService.h"
#include "engine/OVContactManager.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/Menu.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/TextField.h"
#include "support/DateFormatting.h"
#include "support/Localization.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

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

constexpr double kSmallestFontSize = 8;
constexpr double kLargestFontSize = 36;

std::shared_ptr<platform::Button> formattingButton(double width, std::string title,
                                                   std::string action,
                                                   platform::ActionTarget* target,
                                                   bool toggles = false) {
    auto b = platform::make<platform::Button>(platform::Rect(0, 0, width, 22));
    b->setTitle(std::move(title));
    if (toggles) {
        b->setButtonType(platform::PushOnPushOffButton);
    }
    b->setTarget(target);
    b->setAction(std::move(action));
    return b;
}

// A pull-down whose first item is its face; choosing an item sends `action`.
std::shared_ptr<platform::PopUpButton> pullDown(double width, std::string title,
                                                std::shared_ptr<platform::Image> image,
                                                std::string action,
                                                platform::ActionTarget* target) {
    auto b = platform::make<platform::PopUpButton>(platform::Rect(0, 0, width, 22), true);
    b->addItemWithTitle(std::move(title));
    b->itemAtIndex(0)->setImage(std::move(image));
    b->setTarget(target);
    b->setAction(std::move(action));
    return b;
}

} // namespace

const std::vector<std::string>& IMWindowController::inputFontNames() {
    static const std::vector<std::string> names{"Arial",   "Times New Roman", "Courier New",
                                                "Verdana", "Georgia",         "Trebuchet MS"};
    return names;
}

const std::vector<std::pair<std::string, platform::Color>>& IMWindowController::inputColors() {
    static const std::vector<std::pair<std::string, platform::Color>> colors{
        {QXLS("msg.imchat.color.black", "Black"), platform::Color::blackColor()},
        {QXLS("msg.imchat.color.red", "Red"), platform::Color::redColor()},
        {QXLS("msg.imchat.color.green", "Green"), platform::Color(0, 0.5, 0, 1)},
        {QXLS("msg.imchat.color.blue", "Blue"), platform::Color::blueColor()},
        {QXLS("msg.imchat.color.orange", "Orange"), platform::Color::orangeColor()},
        {QXLS("msg.imchat.color.gray", "Gray"), platform::Color::grayColor()},
    };
    return colors;
}

void IMWindowController::buildFormattingControls() {
    _boldButton = formattingButton(28, "B", "toggleBold:", this, true);
    _italicButton = formattingButton(28, "I", "toggleItalic:", this, true);
    _underlineButton = formattingButton(28, "U", "toggleUnderline:", this, true);
    _smallerButton = formattingButton(28, "A-", "smallerFont:", this);
    _largerButton = formattingButton(28, "A+", "largerFont:", this);
    _fontButton = pullDown(64, QXLS("msg.imchat.font", "Font"), nullptr, "chooseFont:", this);
    for (const auto& name : inputFontNames()) {
        _fontButton->addItemWithTitle(name);
    }
    _colorButton = pullDown(64, QXLS("msg.imchat.color", "Colour"), nullptr, "chooseColor:", this);
    for (const auto& [name, color] : inputColors()) {
        _colorButton->addItemWithTitle(name);
    }
    _smileyButton =
        pullDown(40, "", platform::Image::imageNamed("Emoticon"), "insertSmiley:", this);
    for (const auto& smiley : ChatSmileys::all()) {
        _smileyButton->addItemWithTitle(QXLS(smiley.labelKey, smiley.label));
        auto* item = _smileyButton->lastItem();
        item->setImage(platform::Image::imageNamed(smiley.name));
        item->setRepresentedObject(platform::Value(std::string(smiley.code)));
    }
}

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
    switch (ChatInputModel::enterRule(selector, enterSends)) {
    case ChatInputModel::Command::send:
        sendUserInput();
        return true;
    case ChatInputModel::Command::newline:
        _inputView->insertText("\n");
        return true;
    case ChatInputModel::Command::standard:
        break;
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

void IMWindowController::restyleInput() {
    _inputView->setStyledRuns(_input.text());
}

void IMWindowController::textChanged() {
    _input.synchronize(_inputView->string());
    restyleInput();
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
    restyleInput();
}

void IMWindowController::setItalic(bool flag) {
    auto style = _input.style();
    style.italic = flag;
    _input.setStyle(style, _inputView->selectedRange());
    _italicButton->setState(flag ? platform::OnState : platform::OffState);
    restyleInput();
}

void IMWindowController::setUnderline(bool flag) {
    auto style = _input.style();
    style.underline = flag;
    _input.setStyle(style, _inputView->selectedRange());
    _underlineButton->setState(flag ? platform::OnState : platform::OffState);
    restyleInput();
}

void IMWindowController::changeFontSize(int steps) {
    auto style = _input.style();
    style.fontSize =
        std::clamp(std::round(style.fontSize) + steps, kSmallestFontSize, kLargestFontSize);
    _input.setStyle(style, _inputView->selectedRange());
    restyleInput();
}

void IMWindowController::setFontName(const std::string& name) {
    auto style = _input.style();
    style.fontName = name;
    _input.setStyle(style, _inputView->selectedRange());
    restyleInput();
}

void IMWindowController::setTextColor(std::optional<platform::Color> color) {
    auto style = _input.style();
    style.color = color;
    _input.setStyle(style, _inputView->selectedRange());
    restyleInput();
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
