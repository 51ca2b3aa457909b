#include "support/TextExtensions.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/TextLayout.h"

#include <limits>

namespace OrvantaExtensions {

namespace {

constexpr double largestFloat = std::numeric_limits<float>::max();

double widthOf(const platform::AttributedString& text) {
    return text.size().width;
}

// The byte where the second-to-last character starts (0 when there is only one).
std::size_t startOfLastTwo(const std::string& text) {
    const std::size_t last = platform::characterStart(text, text.size() - 1);
    return last == 0 ? 0 : platform::characterStart(text, last - 1);
}

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i = platform::characterEnd(text, i))
        ++count;
    return count;
}

// Drops one line break at the end, which would otherwise open an empty line of its own.
std::size_t withoutFinalLineBreak(const std::string& text, std::size_t end) {
    if (end >= 2 && text.compare(end - 2, 2, "\r\n") == 0)
        return end - 2;
    if (end >= 1 && (text[end - 1] == '\n' || text[end - 1] == '\r'))
        return end - 1;
    if (end >= 3 && text.compare(end - 3, 3, "\u2029") == 0)
        return end - 3;
    return end;
}

} // namespace

platform::AttributedString hyperlinkFromString(const std::string& text, const std::string& target) {
    platform::TextAttributes attributes;
    attributes.link = target;
    attributes.toolTip = text;
    attributes.foregroundColor = platform::Color::blueColor();
    attributes.underlineStyle = platform::UnderlineStyleSingle;
    return platform::AttributedString(text, attributes);
}

platform::AttributedString hyperlinkFromStringWithURL(const std::string& text,
                                                      const std::string& url) {
    return hyperlinkFromString(text, url);
}

platform::AttributedString truncateForWidth(const platform::AttributedString& text, int width) {
    const double limit = static_cast<double>(width) - 3;
    if (text.empty() || !(widthOf(text) > limit))
        return text;
    platform::AttributedString copy = text;
    // Each pass turns the last two characters (at first the text's own, then the one before
    // the blank and the blank) into a single blank, until the text with its blank fits or
    // nothing is left but the blank.
    for (std::size_t passes = characterCount(text.string()) - 1;
         passes > 0 && widthOf(copy) > limit; --passes) {
        const std::size_t start = startOfLastTwo(copy.string());
        copy.replaceCharactersInRange({start, copy.length() - start}, " ");
    }
    const std::size_t last = platform::characterStart(copy.string(), copy.length() - 1);
    copy.replaceCharactersInRange({last, copy.length() - last}, "...");
    return copy;
}

platform::Size sizeForWidth(const platform::AttributedString& text, double width, double height) {
    if (text.empty() || !(width > 0) || !(height > 0))
        return {0, 0};
    const platform::TextLayout layout(text, width);
    const platform::Rect used = layout.usedRect();
    if (!(used.maxY() > height))
        return used.size;
    // Only the lines above the one crossing the container's bottom are laid out in it.
    const std::size_t lineStart = layout.characterIndexForPoint({0, height});
    const std::size_t end = withoutFinalLineBreak(text.string(), lineStart);
    if (end == 0)
        return {0, 0};
    return platform::TextLayout(text.attributedSubstringFromRange({0, end}), width).usedRect().size;
}

double heightForWidth(const platform::AttributedString& text, double width) {
    return sizeForWidth(text, width, largestFloat).height;
}

double widthForHeight(const platform::AttributedString& text, double height) {
    return sizeForWidth(text, largestFloat, height).width;
}

} // namespace OrvantaExtensions
