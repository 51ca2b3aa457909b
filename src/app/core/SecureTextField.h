#pragma once

#include "platform/kit/TextField.h"
#include "platform/kit/TextFieldCell.h"
#include "platform/kit/TextView.h"

#include <memory>
#include <string>
#include <string_view>

// A text field for a password: it draws one bullet per character, never the text, and its
// editor neither shows nor copies what was typed.
class SecureTextField : public platform::TextField {
public:
    explicit SecureTextField(const platform::Rect& frame = {});

    // One bullet for each character of `text`.
    static std::string bulletsFor(std::string_view text);
};

// The cell of a SecureTextField: draws bullets in place of its string.
class SecureTextFieldCell : public platform::TextFieldCell {
public:
    SecureTextFieldCell() = default;
    SecureTextFieldCell(const SecureTextFieldCell& other) = default;
    std::shared_ptr<platform::Cell> copy() const override;

    void drawInteriorWithFrame(const platform::Rect& cellFrame,
                               platform::View* controlView) override;
};

// The field editor lent to secure fields: it edits the real text but draws bullets, and
// copying or cutting does nothing, so the password never reaches the pasteboard.
class SecureFieldEditor : public platform::TextView {
public:
    SecureFieldEditor();

    void drawRect(const platform::Rect& dirtyRect) override;
    void copy(platform::Object* sender) override;
    void cut(platform::Object* sender) override;
    bool performKeyEquivalent(const platform::Event& event) override;
    std::optional<bool> validateMenuItem(platform::MenuItem& item) override;
};
