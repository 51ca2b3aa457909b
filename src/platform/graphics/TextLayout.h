#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <memory>

namespace platform {

// Lays out an attributed string in a container of a given width, the way the original's
// layout manager did for measuring, drawing and hit testing. Layout coordinates have their
// origin at the top left of the container with y downwards, whatever the drawing context;
// there is no line fragment padding. The first character's paragraph style sets the alignment
// and line breaking of the whole text.
class TextLayout {
public:
    TextLayout();
    // `width` 0 or less: no wrapping.
    explicit TextLayout(const AttributedString& text, double width = 0);
    ~TextLayout();
    TextLayout(TextLayout&&) noexcept;
    TextLayout& operator=(TextLayout&&) noexcept;

    void setAttributedString(const AttributedString& text);
    const AttributedString& attributedString() const;
    void setWidth(double width);
    double width() const;

    // The rectangle the laid-out lines occupy (their logical boxes).
    Rect usedRect() const;
    // The rectangle the glyphs' ink covers.
    Rect inkRect() const;
    std::size_t lineCount() const;
    // Distance from the top of the layout to the first line's baseline.
    double firstBaseline() const;

    // The byte index of the character nearest to a layout point (the text's length past the
    // end of a line's text).
    std::size_t characterIndexForPoint(Point point) const;
    // The caret's rectangle before the character at `index` (zero width).
    Rect caretRectForIndex(std::size_t index) const;
    // The box of the character at `index`.
    Rect rectForCharacterAtIndex(std::size_t index) const;

    // Draws with the layout's top-left corner at `topLeft` in the current context (the top as
    // seen on the screen: the larger y in unflipped coordinates).
    void drawAtTopLeft(Point topLeft) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
