#include "app/messaging/ChatComposer.h"

#include "app/messaging/ChatMessageHTML.h"
#include "app/messaging/ChatSmileys.h"
#include "engine/StartupService.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/Image.h"
#include "platform/kit/Button.h"
#include "platform/kit/MenuItem.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/ScrollView.h"
#include "platform/kit/TextField.h"
#include "support/Localization.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSmallestFontSize = 8;
constexpr double kLargestFontSize = 36;
constexpr double kStateRow = 18;

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

bool enterSends() {
    auto p = StartupService::instance().phoneService();
    auto settings = p ? p->getPreferenceSettings() : nullptr;
    return settings &&
           settings->sub("preferences")->sub("application")->sub("enterAction")->boolSetting();
}

} // namespace

ChatComposer::ChatComposer(Options options, std::function<void()> send,
                           std::function<void()> changed)
    : _options(options), _send(std::move(send)), _changed(std::move(changed)) {
    buildControls();
    _inputView = platform::make<ChatInputView>(platform::Rect(0, 0, 100, 40));
    _inputView->setTextContainerInset(platform::Size(0, 4));
    _inputView->setDelegate(this);
    _inputView->setFont(
        platform::Font::fontWithName(_input.style().fontName, _input.style().fontSize));
    _scrollView = platform::make<platform::ScrollView>(platform::Rect(0, 0, 100, 40));
    _scrollView->setHasVerticalScroller(true);
    _scrollView->setDocumentView(_inputView);
    _sendButton = platform::make<platform::Button>(platform::Rect(0, 0, 70, 24));
    _sendButton->setTitle(_options.sms ? QXLS("msg.smschat.send", "Send SMS")
                                       : QXLS("msg.imchat.send", "Send"));
    _sendButton->setTarget(this);
    _sendButton->setAction("sendUserInput:");
    _stateLabel = platform::TextField::labelWithString("", platform::Rect(0, 0, 100, kStateRow),
                                                       platform::Font::systemFontOfSize(10));
}

ChatComposer::~ChatComposer() {
    _inputView->setDelegate(nullptr);
    _sendButton->setTarget(nullptr);
    for (const auto& view : _formattingControls) {
        if (auto* control = dynamic_cast<platform::Control*>(view.get())) {
            control->setTarget(nullptr);
        }
    }
}

void ChatComposer::buildControls() {
    _boldButton = formattingButton(28, "B", "toggleBold:", this, true);
    _italicButton = formattingButton(28, "I", "toggleItalic:", this, true);
    _underlineButton = formattingButton(28, "U", "toggleUnderline:", this, true);
    _formattingControls = {_boldButton, _italicButton, _underlineButton};
    if (_options.fontControls) {
        _fontButton = pullDown(64, QXLS("msg.imchat.font", "Font"), nullptr, "chooseFont:", this);
        for (const auto& name : fontNames()) {
            _fontButton->addItemWithTitle(name);
        }
        _colorButton =
            pullDown(64, QXLS("msg.imchat.color", "Colour"), nullptr, "chooseColor:", this);
        for (const auto& [name, color] : colors()) {
            _colorButton->addItemWithTitle(name);
        }
        _formattingControls.push_back(formattingButton(28, "A-", "smallerFont:", this));
        _formattingControls.push_back(formattingButton(28, "A+", "largerFont:", this));
        _formattingControls.push_back(_fontButton);
        _formattingControls.push_back(_colorButton);
    }
    _smileyButton =
        pullDown(40, "", platform::Image::imageNamed("Emoticon"), "insertSmiley:", this);
    for (const auto& smiley : ChatSmileys::all()) {
        _smileyButton->addItemWithTitle(QXLS(smiley.labelKey, smiley.label));
        auto* item = _smileyButton->lastItem();
        item->setImage(platform::Image::imageNamed(smiley.name));
        item->setRepresentedObject(platform::Value(std::string(smiley.code)));
    }
    _formattingControls.push_back(_smileyButton);
}

const std::vector<std::string>& ChatComposer::fontNames() {
    static const std::vector<std::string> names{"Arial",   "Times New Roman", "Courier New",
                                                "Verdana", "Georgia",         "Trebuchet MS"};
    return names;
}

const std::vector<std::pair<std::string, platform::Color>>& ChatComposer::colors() {
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

std::string ChatComposer::charactersLeftText(int left) {
    return platform::formatString(
        QXLS("msg.smschat.messagestatus.remained", "Number of characters remaining: %i"), left);
}

std::string ChatComposer::firstCharacters(std::string_view text, int count) {
    std::size_t i = 0;
    for (int n = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == count) {
            break;
        }
    }
    return std::string(text.substr(0, i));
}

// The text.

const platform::AttributedString& ChatComposer::text() {
    _input.synchronize(_inputView->string());
    return _input.text();
}

bool ChatComposer::hasText() const {
    return !chat_html::trimmed(_input.text()).string().empty();
}

void ChatComposer::setStringQuietly(const std::string& text) {
    _changingInput = true;
    _inputView->setString(text);
    _changingInput = false;
}

void ChatComposer::clear() {
    setStringQuietly("");
    _input.clear();
}

void ChatComposer::setTypingStyle(const ChatInputModel::Style& style) {
    _input.setStyle(style);
    _inputView->setFont(platform::Font::fontWithName(style.fontName, style.fontSize));
}

void ChatComposer::setStateText(std::string text) {
    _stateLabel->setStringValue(std::move(text));
}

std::string ChatComposer::stateText() const {
    return _stateLabel->stringValue();
}

void ChatComposer::limitText(const std::function<int(std::string_view)>& textLeft, bool cut) {
    const int left = textLeft(_inputView->string());
    if (left == 0 && cut) {
        const auto kept = firstCharacters(_inputView->string(), textLeft(""));
        if (kept.size() < _inputView->string().size()) {
            setStringQuietly(kept);
            _input.synchronize(kept);
        }
    }
    if (left >= 0) {
        setStateText(charactersLeftText(left));
    }
}

// Styles.

void ChatComposer::restyle() {
    _inputView->setStyledRuns(_input.text());
}

void ChatComposer::changeStyle(ChatInputModel::Style style) {
    _input.setStyle(style, _inputView->selectedRange());
    restyle();
}

void ChatComposer::setToggle(bool ChatInputModel::Style::*toggle, platform::Button& button,
                             bool on) {
    auto style = _input.style();
    style.*toggle = on;
    button.setState(on ? platform::OnState : platform::OffState);
    changeStyle(std::move(style));
}

void ChatComposer::setBold(bool flag) {
    setToggle(&ChatInputModel::Style::bold, *_boldButton, flag);
}

void ChatComposer::setItalic(bool flag) {
    setToggle(&ChatInputModel::Style::italic, *_italicButton, flag);
}

void ChatComposer::setUnderline(bool flag) {
    setToggle(&ChatInputModel::Style::underline, *_underlineButton, flag);
}

void ChatComposer::changeFontSize(int steps) {
    auto style = _input.style();
    style.fontSize =
        std::clamp(std::round(style.fontSize) + steps, kSmallestFontSize, kLargestFontSize);
    changeStyle(std::move(style));
}

void ChatComposer::setFontName(const std::string& name) {
    auto style = _input.style();
    style.fontName = name;
    changeStyle(std::move(style));
}

void ChatComposer::setTextColor(std::optional<platform::Color> color) {
    auto style = _input.style();
    style.color = color;
    changeStyle(std::move(style));
}

void ChatComposer::insertSmiley(std::string_view code) {
    _inputView->insertText(code);
}

// The input view.

bool ChatComposer::textViewDoCommandBySelector(platform::TextView& textView,
                                               std::string_view selector) {
    if (&textView != _inputView.get()) {
        return false;
    }
    switch (ChatInputModel::enterRule(selector, enterSends())) {
    case ChatInputModel::Command::send:
        _send();
        return true;
    case ChatInputModel::Command::newline:
        _inputView->insertText("\n");
        return true;
    case ChatInputModel::Command::standard:
        break;
    }
    return false;
}

bool ChatComposer::textViewShouldChangeTextInRange(platform::TextView& textView,
                                                   platform::TextRange range,
                                                   std::string_view replacement) {
    if (&textView == _inputView.get() && !_changingInput) {
        _input.replace(range, replacement);
    }
    return true;
}

void ChatComposer::textDidChange(const platform::Notification&) {
    _input.synchronize(_inputView->string());
    restyle();
    _changed();
}

void ChatComposer::textViewDidChangeSelection(const platform::Notification&) {
    if (!_options.styleFollowsCaret || _input.text().empty()) {
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

// Actions of the controls.

bool ChatComposer::respondsToAction(std::string_view action) const {
    const bool fontAction = action == "smallerFont:" || action == "largerFont:" ||
                            action == "chooseFont:" || action == "chooseColor:";
    return (fontAction && _options.fontControls) || action == "sendUserInput:" ||
           action == "toggleBold:" || action == "toggleItalic:" || action == "toggleUnderline:" ||
           action == "insertSmiley:";
}

bool ChatComposer::tryToPerform(std::string_view action, platform::Object* sender) {
    if (!respondsToAction(action)) {
        return false;
    }
    // The pull-downs' chosen item (the first is the pull-down's face).
    auto* pullDown = dynamic_cast<platform::PopUpButton*>(sender);
    const long chosen = pullDown ? pullDown->indexOfSelectedItem() : -1;
    if (action == "sendUserInput:") {
        _send();
    } else if (action == "toggleBold:") {
        setBold(_boldButton->state() == platform::OnState);
    } else if (action == "toggleItalic:") {
        setItalic(_italicButton->state() == platform::OnState);
    } else if (action == "toggleUnderline:") {
        setUnderline(_underlineButton->state() == platform::OnState);
    } else if (action == "smallerFont:" || action == "largerFont:") {
        changeFontSize(action == "largerFont:" ? 1 : -1);
    } else if (action == "chooseFont:") {
        if (chosen >= 1 && chosen <= static_cast<long>(fontNames().size())) {
            setFontName(fontNames()[static_cast<std::size_t>(chosen - 1)]);
        }
    } else if (action == "chooseColor:") {
        if (chosen >= 1 && chosen <= static_cast<long>(colors().size())) {
            setTextColor(colors()[static_cast<std::size_t>(chosen - 1)].second);
        }
    } else if (auto* item = pullDown ? pullDown->selectedItem() : nullptr;
               item && item->representedObject().isString()) {
        insertSmiley(*item->representedObject().string());
    }
    return true;
}
