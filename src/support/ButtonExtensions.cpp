#include "support/ButtonExtensions.h"

#include "platform/graphics/AttributedString.h"
#include "platform/kit/Button.h"

namespace OrvantaExtensions {

std::optional<platform::Color> textColor(const platform::Button& button) {
    const platform::AttributedString title = button.attributedTitle();
    if (title.empty())
        return platform::Color::controlTextColor();
    return title.attributesAtIndex(0).foregroundColor;
}

void setTextColor(platform::Button& button, const platform::Color& color) {
    platform::AttributedString title = button.attributedTitle();
    platform::TextAttributes colour;
    colour.foregroundColor = color;
    title.addAttributes(colour, {0, title.length()});
    button.setAttributedTitle(std::move(title));
}

} // namespace OrvantaExtensions
