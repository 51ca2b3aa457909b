#pragma once

#include "platform/graphics/Color.h"

#include <optional>

namespace platform {
class Button;
}

// The colour of a button's title, read from and written into its attributed title.
namespace OrvantaExtensions {

// The foreground colour of the title's first character, or none when that character carries
// no colour of its own; the control text colour when the title is empty.
std::optional<platform::Color> textColor(const platform::Button& button);
// Colours the whole title, keeping its other attributes.
void setTextColor(platform::Button& button, const platform::Color& color);

} // namespace OrvantaExtensions
