#include "platform/layers/TextLayer.h"

#include "platform/graphics/Font.h"

namespace platform {

void TextLayer::setString(std::string text) {
    if (string_ != text) {
        string_ = std::move(text);
        setNeedsDisplay();
    }
}

void TextLayer::setFontSize(double size) {
    fontSize_ = size;
    setNeedsDisplay();
}

void TextLayer::setForegroundColor(const Color& color) {
    foregroundColor_ = color;
    setNeedsDisplay();
}

void TextLayer::setAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void TextLayer::setTruncatesTail(bool flag) {
    truncatesTail_ = flag;
    setNeedsDisplay();
}

void TextLayer::drawInContext(GraphicsContext& /*context*/) {
    const Rect bounds = this->bounds();
    if (string_.empty() || bounds.isEmpty()) {
        return;
    }
    ParagraphStyle paragraph;
    paragraph.alignment = alignment_;
    paragraph.lineBreakMode =
        truncatesTail_ ? LineBreakMode::ByTruncatingTail : LineBreakMode::ByClipping;
    TextAttributes attributes;
    attributes.font = Font::systemFontOfSize(fontSize_);
    attributes.foregroundColor = foregroundColor_;
    attributes.paragraphStyle = paragraph;
    drawInRect(string_, bounds, attributes);
}

} // namespace platform
