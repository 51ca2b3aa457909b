#pragma once

#include "platform/graphics/Color.h"
#include "platform/kit/ActionCell.h"

#include <optional>
#include <string>

namespace platform {

enum class TextFieldBezelStyle : int { Square = 0, Rounded = 1 };

// The cell of a text field: text with a colour, a background it may fill, a bezel (square or
// rounded) or a plain border, and a grey placeholder shown while the text is empty.
class TextFieldCell : public ActionCell {
public:
    TextFieldCell();
    explicit TextFieldCell(std::string text);
    TextFieldCell(const TextFieldCell& other) = default;
    std::shared_ptr<Cell> copy() const override { return std::make_shared<TextFieldCell>(*this); }

    TextFieldBezelStyle bezelStyle() const { return bezelStyle_; }
    void setBezelStyle(TextFieldBezelStyle style);
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool flag);
    const Color& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const Color& color);
    const Color& textColor() const { return textColor_; }
    void setTextColor(const Color& color);
    const std::string& placeholderString() const;
    void setPlaceholderString(std::string placeholder);
    const std::optional<AttributedString>& placeholderAttributedString() const {
        return placeholderAttributed_;
    }
    void setPlaceholderAttributedString(std::optional<AttributedString> placeholder);

    Rect drawingRectForBounds(const Rect& bounds) const override;
    Rect titleRectForBounds(const Rect& bounds) const override;
    Size cellSizeForBounds(const Rect& bounds) const override;
    void drawWithFrame(const Rect& cellFrame, View* controlView) override;
    void drawInteriorWithFrame(const Rect& cellFrame, View* controlView) override;
    TextView& setUpFieldEditorAttributes(TextView& editor) override;
    void resetCursorRect(const Rect& cellFrame, View* controlView) override;

protected:
    TextAttributes textAttributes() const override;
    void drawFocusRing(const Rect& cellFrame, View* controlView);

private:
    TextFieldBezelStyle bezelStyle_ = TextFieldBezelStyle::Square;
    bool drawsBackground_ = false;
    Color backgroundColor_ = Color::textBackgroundColor();
    Color textColor_ = Color::controlTextColor();
    std::string placeholder_;
    std::optional<AttributedString> placeholderAttributed_;
};

} // namespace platform
