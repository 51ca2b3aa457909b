#pragma once

#include "platform/graphics/AttributedString.h"

#include <optional>
#include <string>
#include <string_view>

// The rich text being composed in a chat window: the characters the input view shows, with
// the style each run was typed in. Typed text takes the current style; changing the style
// restyles the selection as well.
class ChatInputModel {
public:
    // The Enter rule of the chat inputs: what a command of the input view does. With the
    // setting "enterAction" on, Return sends and the line-break command types a newline;
    // off, the line-break command sends and Return keeps its standard meaning.
    enum class Command { send, newline, standard };
    static Command enterRule(std::string_view selector, bool enterSends);

    struct Style {
        std::string fontName = "Arial";
        double fontSize = 13;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        std::optional<platform::Color> color;
        friend bool operator==(const Style&, const Style&) = default;
    };

    const platform::AttributedString& text() const { return text_; }
    const std::string& string() const { return text_.string(); }
    const Style& style() const { return style_; }
    // The attributes typed text gets now.
    platform::TextAttributes typingAttributes() const;
    // The style of the text at `index` (the character before a caret).
    Style styleAt(std::size_t index) const;

    // Sets the style for what is typed next and for the text in `selection`.
    void setStyle(const Style& style, platform::TextRange selection = {});

    // The input view replaced `range` with `characters`.
    void replace(platform::TextRange range, std::string_view characters);
    // Brings the model back to the view's characters after a change it did not hear of
    // (undo, a paste of rich text): unchanged text keeps its runs, other text the current style.
    void synchronize(std::string_view characters);
    void clear() { text_ = {}; }

private:
    platform::AttributedString text_;
    Style style_;
};
