#include "GraphicsTestSupport.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/TextLayout.h"

#include <gtest/gtest.h>

using namespace platform;
using graphics_test::Canvas;
using graphics_test::colorNear;

namespace {

const TextAttributes plain{.font = Font::fontWithName("Lucida Grande", 13),
                           .foregroundColor = Color::blackColor()};

// The bounding box of every pixel with some ink, in pixel coordinates (y up).
Rect inkBox(Canvas& canvas, int width, int height) {
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (canvas.at(x, y).alphaComponent() > 0.02) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
        }
    }
    return x1 < 0 ? ZeroRect : Rect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

} // namespace

TEST(Font, SubstitutionTableMapsRequestedNamesOntoDejaVu) {
    struct Case {
        const char* name;
        const char* family;
        bool bold;
    };
    const Case cases[] = {
        {"Lucida Grande", "DejaVu Sans", false},
        {"Helvetica", "DejaVu Sans", false},
        {"Helvetica-Bold", "DejaVu Sans", true},
        {"Arial Narrow Bold", "DejaVu Sans Condensed", true},
        {"Monaco", "DejaVu Sans Mono", false},
        {"Some Unknown Face", "DejaVu Sans", false},
    };
    for (const auto& c : cases) {
        const Font font = Font::fontWithName(c.name, 10);
        EXPECT_EQ(font.familyName(), c.family) << c.name;
        EXPECT_EQ(font.isBold(), c.bold) << c.name;
        EXPECT_EQ(font.fontName(), c.name);
    }
    EXPECT_EQ(Font::systemFontOfSize(0).pointSize(), 13);
    EXPECT_EQ(Font::menuFontOfSize(0).pointSize(), 14);
    EXPECT_EQ(Font::fontWithName("Helvetica", 0).pointSize(), 12);
    EXPECT_TRUE(Font::boldSystemFontOfSize(11).isBold());
    EXPECT_TRUE(Font::fontWithName("Monaco", 12).isFixedPitch());

    const Font f = Font::systemFontOfSize(13);
    EXPECT_GT(f.ascender(), 0);
    EXPECT_LT(f.descender(), 0);
    EXPECT_GE(f.defaultLineHeightForFont(), f.ascender() - f.descender() - 0.01);
    EXPECT_GT(f.capHeight(), f.xHeight());
    EXPECT_NEAR(Font::systemFontOfSize(26).capHeight(), 2 * f.capHeight(), 0.2);
}

TEST(Text, MeasuredBoxHoldsTheInk) {
    for (const bool flipped : {false, true}) {
        SCOPED_TRACE(flipped ? "flipped" : "unflipped");
        Canvas canvas(300, 60, flipped);
        const AttributedString text("Hello, Wörld gypq|Åj", plain);
        const Size size = text.size();
        EXPECT_GT(size.width, 50);
        EXPECT_GT(size.height, 10);
        text.drawAtPoint({10, 20});
        const Rect ink = inkBox(canvas, 300, 60);
        ASSERT_FALSE(ink.isEmpty());
        // The measured box in pixel coordinates (y up) where the text was asked to go.
        const Rect box = flipped ? Rect(10, 60 - 20 - size.height, size.width, size.height)
                                 : Rect(10, 20, size.width, size.height);
        const Rect tolerant = box.insetBy(-1, -1);
        EXPECT_TRUE(tolerant.containsRect(ink))
            << "ink " << stringFromRect(ink) << " box " << stringFromRect(box);
        EXPECT_GT(ink.width(), size.width * 0.8);
    }
}

TEST(Text, NonAsciiTextIsMeasuredAndNeverCutInsideACharacter) {
    const std::string text = "Grüße Привет 日本 😀";
    const AttributedString s(text, plain);
    EXPECT_GT(s.size().width, sizeWithAttributes("Gr", plain).width);

    AttributedString styled(text, plain);
    // Byte 3 lies inside "ü" (bytes 2-3): the range grows to whole characters.
    styled.addAttributes({.foregroundColor = Color::redColor()}, {3, 1});
    TextRange effective;
    const TextAttributes a = styled.attributesAtIndex(2, &effective);
    EXPECT_EQ(a.foregroundColor, Color::redColor());
    EXPECT_EQ(effective, (TextRange{2, 2}));

    AttributedString cut(text, plain);
    cut.deleteCharactersInRange({3, 1});
    EXPECT_EQ(cut.string(), "Grße Привет 日本 😀");

    const TextLayout layout(s);
    for (double x = 0; x < s.size().width + 5; x += 1.5) {
        const std::size_t index = layout.characterIndexForPoint({x, 5});
        EXPECT_EQ(characterStart(text, index), index) << "at " << x;
    }
    // Invalid UTF-8 is measured without crashing.
    EXPECT_GT(sizeWithAttributes(std::string("ab\xff\xfe"
                                             "cd\0e",
                                             8),
                                 plain)
                  .width,
              0);
}

TEST(Text, WrappingTruncationAndAlignment) {
    const std::string words = "The quick brown fox jumps over the lazy dog again and again";
    const AttributedString s(words, plain);
    const Rect oneLine = s.boundingRectWithSize({0, 0});
    const Rect wrapped = s.boundingRectWithSize({120, 0});
    EXPECT_LE(wrapped.width(), 120);
    EXPECT_GT(wrapped.height(), oneLine.height() * 2.5);
    EXPECT_GT(TextLayout(s, 120).lineCount(), 2u);

    ParagraphStyle truncating;
    truncating.lineBreakMode = LineBreakMode::ByTruncatingTail;
    TextAttributes attributes = plain;
    attributes.paragraphStyle = truncating;
    const TextLayout tail(AttributedString(words, attributes), 120);
    EXPECT_EQ(tail.lineCount(), 1u);
    EXPECT_LE(tail.usedRect().width(), 120);

    ParagraphStyle centred;
    centred.alignment = TextAlignment::Center;
    centred.lineBreakMode = LineBreakMode::ByClipping;
    attributes.paragraphStyle = centred;
    const TextLayout middle(AttributedString("ab", attributes), 200);
    const Rect used = middle.usedRect();
    EXPECT_NEAR(used.midX(), 100, 0.5);
}

TEST(Text, TabStopsPlaceColumns) {
    ParagraphStyle style;
    style.tabStops = {{TextTabType::Right, 100}};
    TextAttributes attributes = plain;
    attributes.paragraphStyle = style;
    const TextLayout layout(AttributedString("a\t12", attributes), 0);
    // The right tab ends the "12" column at 100 points.
    EXPECT_NEAR(layout.usedRect().maxX(), 100, 1.0);
}

TEST(Text, DrawInRectWrapsFromTheTopAndClips) {
    Canvas canvas(100, 100);
    AttributedString s("Line one line two line three line four line five line six", plain);
    s.drawInRect({0, 50, 100, 30});
    const Rect ink = inkBox(canvas, 100, 100);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.minY(), 50);
    EXPECT_LE(ink.maxY(), 80);
    EXPECT_GT(ink.maxY(), 72); // starts at the top of the rectangle
}

TEST(AttributedString, RunsMergeSplitAndFollowEdits) {
    AttributedString s("hello world", plain);
    s.addAttributes({.link = std::string("viewAccount")}, {6, 5});
    ASSERT_EQ(s.runs().size(), 2u);
    EXPECT_EQ(s.runs()[1].range, (TextRange{6, 5}));
    EXPECT_EQ(s.attributesAtIndex(7).link, "viewAccount");

    s.replaceCharactersInRange({0, 5}, "goodbye");
    EXPECT_EQ(s.string(), "goodbye world");
    EXPECT_EQ(s.attributesAtIndex(8).link, "viewAccount");
    EXPECT_FALSE(s.attributesAtIndex(0).link);

    AttributedString tail(" !", {.underlineStyle = UnderlineStyleSingle});
    s.appendAttributedString(tail);
    EXPECT_EQ(s.attributesAtIndex(s.length() - 1).underlineStyle, UnderlineStyleSingle);
    s.removeAttribute(TextAttribute::Link, {0, s.length()});
    EXPECT_FALSE(s.attributesAtIndex(8).link);
    EXPECT_EQ(s.runs().size(), 2u); // equal neighbours merged again

    s.setAlignment(TextAlignment::Center, {0, 3});
    EXPECT_EQ(s.attributesAtIndex(0).effectiveParagraphStyle().alignment, TextAlignment::Center);
    EXPECT_EQ(s.attributesAtIndex(5).effectiveParagraphStyle().alignment, TextAlignment::Natural);

    const AttributedString sub = s.attributedSubstringFromRange({8, 100});
    EXPECT_EQ(sub.string(), "world !");
    EXPECT_EQ(sub.attributesAtIndex(sub.length() - 1).underlineStyle, UnderlineStyleSingle);
}
