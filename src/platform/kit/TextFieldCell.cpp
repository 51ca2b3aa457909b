#include "platform/kit/TextFieldCell.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/kit/Control.h"
#include "platform/kit/Cursor.h"
#include "platform/kit/TextView.h"
#include "platform/kit/Window.h"

#include <algorithm>
#include <cmath>

namespace platform {

TextFieldCell::TextFieldCell() : TextFieldCell(std::string()) {}

TextFieldCell::TextFieldCell(std::string text) : ActionCell(std::move(text)) {}

void TextFieldCell::setBezelStyle(TextFieldBezelStyle style) {
    bezelStyle_ = style;
    redrawControl();
}

void TextFieldCell::setDrawsBackground(bool flag) {
    drawsBackground_ = flag;
    redrawControl();
}

void TextFieldCell::setBackgroundColor(const Color& color) {
    backgroundColor_ = color;
    redrawControl();
}

void TextFieldCell::setTextColor(const Color& color) {
    textColor_ = color;
    redrawControl();
}

const std::string& TextFieldCell::placeholderString() const {
    return placeholder_;
}

void TextFieldCell::setPlaceholderString(std::string placeholder) {
    placeholder_ = std::move(placeholder);
    placeholderAttributed_.reset();
    redrawControl();
}

void TextFieldCell::setPlaceholderAttributedString(std::optional<AttributedString> placeholder) {
    placeholder_ = placeholder ? placeholder->string() : std::string();
    placeholderAttributed_ = std::move(placeholder);
    redrawControl();
}

TextAttributes TextFieldCell::textAttributes() const {
    TextAttributes attributes = Cell::textAttributes();
    attributes.foregroundColor = isEnabled() ? textColor_ : Color::disabledControlTextColor();
    return attributes;
}

Rect TextFieldCell::drawingRectForBounds(const Rect& bounds) const {
    if (isBezeled())
        return bezelStyle_ == TextFieldBezelStyle::Rounded ? bounds.insetBy(6, 3)
                                                           : bounds.insetBy(2, 3);
    if (isBordered())
        return bounds.insetBy(1, 1);
    return bounds;
}

Rect TextFieldCell::titleRectForBounds(const Rect& bounds) const {
    return drawingRectForBounds(bounds).insetBy(2, 0);
}

Size TextFieldCell::cellSizeForBounds(const Rect& bounds) const {
    Size text = Cell::cellSizeForBounds(bounds);
    const double border = isBezeled() ? 2 : isBordered() ? 1 : 0;
    text.width -= 2 * border;
    text.height -= 2 * border;
    const Rect probe{0, 0, 100, 100};
    const Rect inner = titleRectForBounds(probe);
    return {std::ceil(text.width - 4 + probe.width() - inner.width()),
            std::ceil(text.height + probe.height() - inner.height())};
}

void TextFieldCell::drawWithFrame(const Rect& cellFrame, View* controlView) {
    GraphicsContext* context = GraphicsContext::currentContext();
    if (context) {
        GraphicsStateSaver saver;
        const Color border = Color::colorWithCalibratedWhite(isEnabled() ? 0.55 : 0.75, 1);
        if (isBezeled() && bezelStyle_ == TextFieldBezelStyle::Rounded) {
            const Rect r = cellFrame.insetBy(0.5, 0.5);
            const double radius = std::min(r.height() / 2, 10.0);
            BezierPath path = BezierPath::bezierPathWithRoundedRect(r, radius, radius);
            if (drawsBackground_) {
                context->setFillColor(backgroundColor_);
                context->fillPath(path);
            }
            path.setLineWidth(1);
            context->setStrokeColor(border);
            context->strokePath(path);
        } else {
            if (drawsBackground_) {
                context->setFillColor(backgroundColor_);
                context->fillRect(cellFrame);
            }
            if (isBezeled() || isBordered()) {
                context->setFillColor(isBezeled() ? border : Color::blackColor());
                FrameRect(cellFrame);
            }
        }
    }
    drawInteriorWithFrame(cellFrame, controlView);
    drawFocusRing(cellFrame, controlView);
}

// The ring round a field whose text the user is typing into, inside the field's bounds.
void TextFieldCell::drawFocusRing(const Rect& cellFrame, View* controlView) {
    auto* control = dynamic_cast<Control*>(controlView);
    GraphicsContext* context = GraphicsContext::currentContext();
    if (!context || !control || focusRingType() == FocusRingType::None || !isBezeled())
        return;
    TextView* editor = control->currentEditor();
    Window* window = control->window();
    if (!editor || !window || !window->isKeyWindow() || window->firstResponder() != editor)
        return;
    GraphicsStateSaver saver;
    const Rect r = cellFrame.insetBy(1, 1);
    const double radius =
        bezelStyle_ == TextFieldBezelStyle::Rounded ? std::min(r.height() / 2, 9.0) : 0;
    BezierPath ring = BezierPath::bezierPathWithRoundedRect(r, radius, radius);
    ring.setLineWidth(2);
    context->setStrokeColor(Color::keyboardFocusIndicatorColor().colorWithAlphaComponent(0.7));
    context->strokePath(ring);
}

void TextFieldCell::drawInteriorWithFrame(const Rect& cellFrame, View* controlView) {
    if (auto* control = dynamic_cast<Control*>(controlView); control && control->currentEditor())
        return;
    const Rect titleRect = titleRectForBounds(cellFrame);
    if (stringValue().empty() && !placeholder_.empty()) {
        if (placeholderAttributed_) {
            placeholderAttributed_->drawInRect(titleRect);
        } else {
            TextAttributes attributes = textAttributes();
            attributes.foregroundColor = Color::colorWithCalibratedWhite(0.5, 1);
            AttributedString(placeholder_, attributes).drawInRect(titleRect);
        }
        return;
    }
    attributedStringValue().drawInRect(titleRect);
}

TextView& TextFieldCell::setUpFieldEditorAttributes(TextView& editor) {
    Cell::setUpFieldEditorAttributes(editor);
    editor.setTextColor(isEnabled() ? textColor_ : Color::disabledControlTextColor());
    return editor;
}

void TextFieldCell::resetCursorRect(const Rect& cellFrame, View* controlView) {
    if (controlView && isSelectable())
        controlView->addCursorRect(titleRectForBounds(cellFrame), Cursor::IBeamCursor());
}

} // namespace platform
