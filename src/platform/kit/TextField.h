#pragma once

#include "platform/kit/Control.h"
#include "platform/kit/TextFieldCell.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

// A text field: editable (or only selectable) text in a bezel. Becoming first responder, by a
// click or the keyboard loop, starts editing in the window's field editor placed over the
// text; Return ends editing with the action sent, Tab moves on to the next key view, and the
// delegate hears the editing messages (see Control).
class TextField : public Control {
public:
    explicit TextField(const Rect& frame = {});
    // A label: text to read, neither edited nor selected, drawn without bezel, border or
    // background, in the system font unless given another.
    static std::shared_ptr<TextField> labelWithString(std::string text, const Rect& frame = {});
    static std::shared_ptr<TextField> labelWithString(std::string text, const Rect& frame,
                                                      const Font& font);

    TextFieldCell* textFieldCell() const;

    bool isEditable() const;
    void setEditable(bool flag);
    bool isSelectable() const;
    void setSelectable(bool flag);
    bool isBezeled() const;
    void setBezeled(bool flag);
    TextFieldBezelStyle bezelStyle() const;
    void setBezelStyle(TextFieldBezelStyle style);
    bool isBordered() const;
    void setBordered(bool flag);
    bool drawsBackground() const;
    void setDrawsBackground(bool flag);
    Color backgroundColor() const;
    void setBackgroundColor(const Color& color);
    Color textColor() const;
    void setTextColor(const Color& color);
    std::string placeholderString() const;
    void setPlaceholderString(std::string placeholder);
    std::optional<AttributedString> placeholderAttributedString() const;
    void setPlaceholderAttributedString(std::optional<AttributedString> placeholder);
    bool sendsActionOnEndEditing() const;
    void setSendsActionOnEndEditing(bool flag);

    bool acceptsFirstResponder() const override;
    bool canBecomeKeyView() const override;
    void resetCursorRects() override;
};

} // namespace platform
