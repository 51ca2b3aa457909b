#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "support/TextExtensions.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace ext = OrvantaExtensions;
using platform::AttributedString;
using platform::Color;
using platform::Font;
using platform::TextAttributes;

TextAttributes plain() {
    TextAttributes attributes;
    attributes.font = Font::systemFontOfSize(13);
    return attributes;
}

double widthOf(const std::string& text, const TextAttributes& attributes = plain()) {
    return AttributedString(text, attributes).size().width;
}

TEST(TextExtensions, HyperlinkCoversTheWholeText) {
    const AttributedString link = ext::hyperlinkFromString("Sign in again", "relogin:");
    ASSERT_EQ(link.runs().size(), 1u);
    const TextAttributes& a = link.runs()[0].attributes;
    EXPECT_EQ(link.string(), "Sign in again");
    EXPECT_EQ(a.link, "relogin:");
    EXPECT_EQ(a.toolTip, "Sign in again");
    EXPECT_EQ(a.foregroundColor, Color::blueColor());
    EXPECT_EQ(a.underlineStyle, platform::UnderlineStyleSingle);
    EXPECT_EQ(ext::hyperlinkFromStringWithURL("Help", "https://example.com/help")
                  .runs()[0]
                  .attributes.link,
              "https://example.com/help");
}

TEST(TextExtensions, TruncateLeavesTextThatFitsAlone) {
    const AttributedString text("Alice Example", plain());
    const int fits = static_cast<int>(std::ceil(text.size().width)) + 3;
    EXPECT_EQ(ext::truncateForWidth(text, fits), text);
    EXPECT_EQ(ext::truncateForWidth(AttributedString(), 0), AttributedString());
    // One point less than needed and it is shortened.
    EXPECT_NE(ext::truncateForWidth(text, static_cast<int>(std::floor(text.size().width)) + 2),
              text);
}

// The cut keeps the longest start of the text that fits, with a blank, in width - 3; the blank
// then becomes "...".
TEST(TextExtensions, TruncateKeepsTheLongestStartThatFits) {
    const std::string text = "Conference with Alice, Bob and Zoë";
    for (int width : {150, 90, 40, 12}) {
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < text.size(); i = platform::characterEnd(text, i))
            starts.push_back(i);
        // Starts of 1 up to all but the last two characters.
        std::string expected = "...";
        for (std::size_t k = 1; k + 1 < starts.size(); ++k) {
            const std::string start = text.substr(0, starts[k]);
            if (widthOf(start + " ") <= width - 3)
                expected = start + "...";
        }
        EXPECT_EQ(ext::truncateForWidth(AttributedString(text, plain()), width).string(), expected)
            << "width " << width;
    }
    // Nothing fits: only the ellipsis is left, even from a single character.
    EXPECT_EQ(ext::truncateForWidth(AttributedString(text, plain()), 0).string(), "...");
    EXPECT_EQ(ext::truncateForWidth(AttributedString("W", plain()), 1).string(), "...");
}

TEST(TextExtensions, TruncateKeepsAttributesWithTheirCharacters) {
    TextAttributes red = plain();
    red.foregroundColor = Color::redColor();
    AttributedString text("Busy", red);
    text.appendAttributedString(AttributedString(" - in a meeting until five", plain()));
    const AttributedString cut = ext::truncateForWidth(text, 60);
    ASSERT_LT(cut.length(), text.length());
    EXPECT_EQ(cut.string().substr(cut.length() - 3), "...");
    EXPECT_EQ(cut.attributesAtIndex(0).foregroundColor, Color::redColor());
    EXPECT_EQ(cut.attributesAtIndex(cut.length() - 1).font, Font::systemFontOfSize(13));
}

TEST(TextExtensions, MeasuringWrapsAtTheWidthAndStopsAtTheHeight) {
    EXPECT_EQ(ext::sizeForWidth(AttributedString(), 100, 100), platform::Size(0, 0));
    EXPECT_EQ(ext::heightForWidth(AttributedString(), 100), 0);

    const AttributedString line("Alice", plain());
    const double lineHeight = ext::heightForWidth(line, 1000);
    ASSERT_GT(lineHeight, 0);
    // Unwrapped: the width of the text, one line high.
    EXPECT_NEAR(ext::widthForHeight(line, 1000), widthOf("Alice"), 0.01);

    const AttributedString sentence("The quick brown fox jumps over the lazy dog", plain());
    EXPECT_NEAR(ext::heightForWidth(sentence, 10000), lineHeight, 0.01);
    EXPECT_GE(ext::heightForWidth(sentence, 120), 2 * lineHeight - 0.01);
    EXPECT_LE(ext::sizeForWidth(sentence, 120, 10000).width, 120);

    // Three paragraphs: a container two and a half lines high holds the first two lines.
    const AttributedString lines("a\nbbbbbbbb\nc", plain());
    EXPECT_NEAR(ext::heightForWidth(lines, 1000), 3 * lineHeight, 0.01);
    const platform::Size two = ext::sizeForWidth(lines, 1000, 2.5 * lineHeight);
    EXPECT_NEAR(two.height, 2 * lineHeight, 0.01);
    EXPECT_NEAR(two.width, widthOf("bbbbbbbb"), 0.01);
    EXPECT_NEAR(ext::widthForHeight(lines, 1.5 * lineHeight), widthOf("a"), 0.01);
    EXPECT_EQ(ext::sizeForWidth(lines, 1000, 0.5 * lineHeight), platform::Size(0, 0));
}

} // namespace
