#pragma once

#include "app/messaging/ChatInputModel.h"
#include "app/messaging/ChatInputView.h"
#include "platform/kit/Responder.h"
#include "platform/kit/TextView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {
class Button;
class PopUpButton;
class ScrollView;
class TextField;
class View;
} // namespace platform

// The composing part of the chat windows: the styled input model and the input view kept in
// step, the formatting controls, the Send button and the chat state line under the input.
// It is the input view's delegate and its controls' target. The window that owns it places
// the views and says what sending does; the composer tells it when the text changed.
class ChatComposer : public platform::TextViewDelegate, public platform::ActionTarget {
public:
    struct Options {
        // Text messages: "Send SMS" on the button.
        bool sms = false;
        // The size steps and the font and colour pull-downs as well as bold, italic,
        // underline and the smileys.
        bool fontControls = false;
        // Bold, italic and underline follow the text before the caret.
        bool styleFollowsCaret = false;
    };

    // `send` runs for the Send button and for the key the Enter rule sends with; `changed`
    // after each change of the text, once the model follows the view.
    ChatComposer(Options options, std::function<void()> send, std::function<void()> changed);
    ~ChatComposer() override;
    ChatComposer(const ChatComposer&) = delete;
    ChatComposer& operator=(const ChatComposer&) = delete;

    ChatInputModel& input() { return _input; }
    const ChatInputModel& input() const { return _input; }
    ChatInputView* inputView() const { return _inputView.get(); }
    const std::shared_ptr<platform::ScrollView>& inputScrollView() const { return _scrollView; }
    const std::shared_ptr<platform::Button>& sendButton() const { return _sendButton; }
    const std::shared_ptr<platform::TextField>& stateLabel() const { return _stateLabel; }
    // The formatting row, in order: bold, italic, underline, [smaller, larger, font,
    // colour,] smileys.
    const std::vector<std::shared_ptr<platform::View>>& formattingControls() const {
        return _formattingControls;
    }
    platform::PopUpButton* smileyButton() const { return _smileyButton.get(); }
    platform::PopUpButton* fontButton() const { return _fontButton.get(); }
    platform::PopUpButton* colorButton() const { return _colorButton.get(); }

    // The fonts and colours offered (the pull-downs' items after their title).
    static const std::vector<std::string>& fontNames();
    static const std::vector<std::pair<std::string, platform::Color>>& colors();
    // "Number of characters remaining: n".
    static std::string charactersLeftText(int left);
    // The first `count` characters of UTF-8 text.
    static std::string firstCharacters(std::string_view text, int count);

    // The model brought to the view's characters, and its text.
    const platform::AttributedString& text();
    // Whether the input holds more than blanks.
    bool hasText() const;
    // Empties the view and the model (after sending).
    void clear();
    // The style typed text gets, and the view's font for it.
    void setTypingStyle(const ChatInputModel::Style& style);

    void setStateText(std::string text);
    std::string stateText() const;
    // A text message's limit: `textLeft` says how many characters are left for a text. With
    // none left and `cut`, the input is cut to the most that fits. The state line tells how
    // many are left, when the limit is known.
    void limitText(const std::function<int(std::string_view)>& textLeft, bool cut);

    void setBold(bool flag);
    void setItalic(bool flag);
    void setUnderline(bool flag);
    // The font size, one point at a time within 8 to 36 points.
    void changeFontSize(int steps);
    void setFontName(const std::string& name);
    // nullopt: the text's own colour.
    void setTextColor(std::optional<platform::Color> color);
    void insertSmiley(std::string_view code);

    bool textViewDoCommandBySelector(platform::TextView& textView,
                                     std::string_view selector) override;
    bool textViewShouldChangeTextInRange(platform::TextView& textView, platform::TextRange range,
                                         std::string_view replacement) override;
    void textDidChange(const platform::Notification& notification) override;
    void textViewDidChangeSelection(const platform::Notification& notification) override;

    bool tryToPerform(std::string_view action, platform::Object* sender) override;
    bool respondsToAction(std::string_view action) const override;

private:
    void buildControls();
    void restyle();
    void changeStyle(ChatInputModel::Style style);
    // Bold, italic or underline, with its button.
    void setToggle(bool ChatInputModel::Style::*toggle, platform::Button& button, bool on);
    // Replaces the view's characters without the model taking it as typing.
    void setStringQuietly(const std::string& text);

    Options _options;
    std::function<void()> _send;
    std::function<void()> _changed;
    ChatInputModel _input;
    std::shared_ptr<ChatInputView> _inputView;
    std::shared_ptr<platform::ScrollView> _scrollView;
    std::shared_ptr<platform::Button> _sendButton;
    std::shared_ptr<platform::TextField> _stateLabel;
    std::shared_ptr<platform::Button> _boldButton;
    std::shared_ptr<platform::Button> _italicButton;
    std::shared_ptr<platform::Button> _underlineButton;
    std::shared_ptr<platform::PopUpButton> _fontButton;
    std::shared_ptr<platform::PopUpButton> _colorButton;
    std::shared_ptr<platform::PopUpButton> _smileyButton;
    std::vector<std::shared_ptr<platform::View>> _formattingControls;
    bool _changingInput = false;
};
