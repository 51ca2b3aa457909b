#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Geometry.h"

#include <string>

// Hyperlink texts, measuring and truncation of attributed texts. Measurements come from the
// graphics layer's text layout, the same that draws them.
namespace OrvantaExtensions {

// The text as a link to `target` over its whole length: the link attribute, the text itself as
// tool tip, blue and singly underlined. Callers pass an action name as the target.
platform::AttributedString hyperlinkFromString(const std::string& text, const std::string& target);
// The same with a web address as the target.
platform::AttributedString hyperlinkFromStringWithURL(const std::string& text,
                                                      const std::string& url);

// The text when it fits in `width` - 3 points on one line; otherwise the text shortened from
// the end, a character at a time, and ended with "...". Attributes stay with the characters
// that remain.
platform::AttributedString truncateForWidth(const platform::AttributedString& text, int width);

// The size of the text laid out in a container of that width and height: wrapped at the width
// (no wrapping when the width is not finite), and only the whole lines that fit in the height.
// An empty text has the zero size.
platform::Size sizeForWidth(const platform::AttributedString& text, double width, double height);
// The height the text needs at that width.
double heightForWidth(const platform::AttributedString& text, double width);
// The width the text needs unwrapped, with only the lines that fit in that height.
double widthForHeight(const platform::AttributedString& text, double height);

} // namespace OrvantaExtensions
