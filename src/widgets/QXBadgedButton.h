#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/kit/Button.h"

#include <memory>
#include <string_view>

namespace platform {
class Image;
}

// A button whose icon can carry a red, translucent round badge with a count in its top-right
// corner. The icon is taken when the button is woken from its interface definition; a button
// made in code has none, and badging it leaves it without an image.
class QXBadgedButton : public platform::Button {
public:
    explicit QXBadgedButton(const platform::Rect& frame = {});

    // Keeps the icon as loaded (and a drawing buffer of its size) and builds the badge's text
    // attributes: 8-point "Helvetica-Bold", white.
    void awake() override;

    // Shows `count` on the icon: 0 takes the badge off, a negative count shows "*", counts from
    // 1000 show 999.
    void badgeIcon(int count);
    // Shows `text` drawn with `attributes` on a badge sized for the usual attributes.
    void badgeIconSpecial(std::string_view text, const platform::TextAttributes& attributes);
    // Back to the plain icon.
    void cleanIcon();

    int badgeCount() const { return _badgeCount; }
    const std::shared_ptr<platform::Image>& originalIcon() const { return _originalIcon; }
    const platform::TextAttributes& textAttributes() const { return _textAttributes; }

private:
    // Draws the icon with a badge into the buffer and shows the buffer; `divisor` scales the
    // drawn text's size into its offset from the circle's centre.
    void drawBadge(std::string_view text, const platform::TextAttributes& drawAttributes,
                   double xDivisor, double yDivisor);

    int _badgeCount = 0;
    std::shared_ptr<platform::Image> _originalIcon;
    std::shared_ptr<platform::Image> _currentIconImageBuffer;
    platform::TextAttributes _textAttributes;
};
