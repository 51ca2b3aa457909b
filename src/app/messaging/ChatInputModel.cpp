#include "app/messaging/ChatInputModel.h"

platform::TextAttributes ChatInputModel::typingAttributes() const {
    platform::TextAttributes attributes;
    attributes.font = platform::Font::fontWithName(style_.fontName, style_.fontSize)
                          .fontWithBold(style_.bold)
                          .fontWithItalic(style_.italic);
    if (style_.underline) {
        attributes.underlineStyle = platform::UnderlineStyleSingle;
    }
    attributes.foregroundColor = style_.color;
    return attributes;
}

ChatInputModel::Style ChatInputModel::styleAt(std::size_t index) const {
    if (text_.empty()) {
        return style_;
    }
    const auto attributes = text_.attributesAtIndex(std::min(index, text_.length() - 1));
    Style style = style_;
    if (attributes.font) {
        style.fontName = attributes.font->fontName();
        style.fontSize = attributes.font->pointSize();
        style.bold = attributes.font->isBold();
        style.italic = attributes.font->isItalic();
    }
    style.underline = attributes.underlineStyle.value_or(0) == platform::UnderlineStyleSingle;
    style.color = attributes.foregroundColor;
    return style;
}

void ChatInputModel::setStyle(const Style& style, platform::TextRange selection) {
    style_ = style;
    if (selection.length > 0 && selection.location < text_.length()) {
        selection.length = std::min(selection.length, text_.length() - selection.location);
        text_.setAttributes(typingAttributes(), selection);
    }
}

void ChatInputModel::replace(platform::TextRange range, std::string_view characters) {
    range.location = std::min(range.location, text_.length());
    range.length = std::min(range.length, text_.length() - range.location);
    platform::AttributedString typed{std::string(characters), typingAttributes()};
    text_.deleteCharactersInRange(range);
    if (!typed.empty()) {
        text_.insertAttributedString(typed, range.location);
    }
}

void ChatInputModel::synchronize(std::string_view characters) {
    if (text_.string() == characters) {
        return;
    }
    // Keep the common beginning and end; what differs in between is retyped.
    const std::string_view old = text_.string();
    std::size_t prefix = 0;
    while (prefix < old.size() && prefix < characters.size() && old[prefix] == characters[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < old.size() - prefix && suffix < characters.size() - prefix &&
           old[old.size() - 1 - suffix] == characters[characters.size() - 1 - suffix]) {
        ++suffix;
    }
    // Never cut inside a character.
    while (prefix > 0 && prefix < characters.size() &&
           (static_cast<unsigned char>(characters[prefix]) & 0xC0) == 0x80) {
        --prefix;
    }
    while (suffix > 0 &&
           (static_cast<unsigned char>(characters[characters.size() - suffix]) & 0xC0) == 0x80) {
        --suffix;
    }
    replace({prefix, old.size() - prefix - suffix},
            characters.substr(prefix, characters.size() - prefix - suffix));
}

ChatInputModel::Command ChatInputModel::enterRule(std::string_view selector, bool enterSends) {
    if (selector == "insertNewline:") {
        return enterSends ? Command::send : Command::standard;
    }
    if (selector == "insertLineBreak:") {
        return enterSends ? Command::newline : Command::send;
    }
    return Command::standard;
}
