#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/layers/Layer.h"

#include <string>

namespace platform {

// A layer that shows one line of text in its bounds, vertically at the top as the original's
// text layers did, aligned and truncated as set.
class TextLayer : public Layer {
public:
    static std::shared_ptr<TextLayer> layer() { return std::make_shared<TextLayer>(); }

    const std::string& string() const { return string_; }
    void setString(std::string text);
    double fontSize() const { return fontSize_; }
    void setFontSize(double size);
    const Color& foregroundColor() const { return foregroundColor_; }
    void setForegroundColor(const Color& color);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment);
    // Tail truncation on (an ellipsis ends text that does not fit) or off (clipped).
    bool truncatesTail() const { return truncatesTail_; }
    void setTruncatesTail(bool flag);

protected:
    void drawInContext(GraphicsContext& context) override;

private:
    std::string string_;
    double fontSize_ = 36;
    Color foregroundColor_ = Color::whiteColor();
    TextAlignment alignment_ = TextAlignment::Natural;
    bool truncatesTail_ = false;
};

} // namespace platform
