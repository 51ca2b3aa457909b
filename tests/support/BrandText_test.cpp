#include "platform/foundation/Value.h"
#include "support/BrandText.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;

TEST(BrandText, ColoursReadFourNumbersAndTheLastIsAlwaysAlpha) {
    struct Case {
        const char* text;
        Color expected;
    };
    const Case cases[] = {
        {"(1,0,0,1)", {1, 0, 0, 1}},
        {"( 0.5, 0.5, 0.5, 1 )", {0.5, 0.5, 0.5, 1}},
        {"((0.2,0.4,0.6,0.8))", {0.2f, 0.4f, 0.6f, 0.8f}},
        // Three numbers: the third is read as alpha and blue stays 0, a transparent red.
        {"(1,0,0)", {1, 0, 0, 0}},
        {"(1,0.5)", {1, 0, 0, 0.5}},
        {"(0.7)", {0, 0, 0, 0.7f}},
        {"", {0, 0, 0, 0}},
        {"(a,b,c,d)", {0, 0, 0, 0}},
        // Extra commas end the last number; text after a number is ignored.
        {"(0.1,0.2,0.3,0.4,0.9)", {0.1f, 0.2f, 0.3f, 0.4f}},
        {"(1px,2em,-3,4e-1)", {1, 2, -3, 0.4f}},
        // Blanks inside are not trimmed, but the float reading skips leading ones.
        {"(  1 ,  0 ,1,1)", {1, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colorWithRGBAfromString(c.text), c.expected) << c.text;
    }
}

TEST(BrandText, MissingColourIsTranslucentDarkGrey) {
    const Color grey = colorWithRGBAfromString(static_cast<const std::string*>(nullptr));
    EXPECT_EQ(grey, Color(0.1f, 0.1f, 0.1f, 0.5f));
    // Brand entries that are absent or not texts read as missing.
    const platform::Value brand(platform::Value::Dictionary{{"Number", platform::Value(3)}});
    EXPECT_EQ(colorWithRGBAfromString(brand["Absent"].string()), grey);
    EXPECT_EQ(colorWithRGBAfromString(brand["Number"].string()), grey);
    const std::string empty;
    EXPECT_EQ(colorWithRGBAfromString(&empty), Color(0, 0, 0, 0));
}

TEST(BrandText, PointsAndSizesNeedAComma) {
    struct Case {
        const char* text;
        Point expected;
    };
    const Case cases[] = {
        {"(3.5,0.5)", {3.5, 0.5}},
        {" ( -1 , 2 ) ", {-1, 2}},
        {"(5)", {0, 0}},
        {"(1,2,3)", {1, 2}},
        {"()", {0, 0}},
        {"(,7)", {0, 7}},
        {"(0.2, -0.4)", {0.2f, -0.4f}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueWithPointFromString(c.text), c.expected) << c.text;
        EXPECT_EQ(valueWithSizeFromString(c.text), Size(c.expected.x, c.expected.y)) << c.text;
    }
    EXPECT_EQ(valueWithPointFromString(static_cast<const std::string*>(nullptr)), Point());
    EXPECT_EQ(valueWithSizeFromString(static_cast<const std::string*>(nullptr)), Size());
}

TEST(BrandText, RectanglesAndMarginsKeepTheFourNumbersInOrder) {
    struct Case {
        const char* text;
        Rect expected;
    };
    const Case cases[] = {
        {"(10,10,280,160)", {10, 10, 280, 160}},
        // Missing commas leave the middle components at 0; the last number is the height.
        {"(1,2)", {1, 0, 0, 2}},
        {"(5)", {0, 0, 0, 5}},
        {"(1,2,3)", {1, 2, 0, 3}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueWithRectFromString(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(valueWithRectFromString(static_cast<const std::string*>(nullptr)), Rect());

    const QXMargin margin = valueWithMarginFromString("(1,2,3,4)");
    EXPECT_EQ(margin, (QXMargin{1, 2, 3, 4}));
    EXPECT_EQ(margin.top, 3);
    EXPECT_EQ(margin.bottom, 4);
    EXPECT_EQ(marginFromRectValue(valueWithRectFromString("(1,2,3,4)")), margin);
    EXPECT_EQ(valueWithMarginFromString(static_cast<const std::string*>(nullptr)), QXMargin{});
}

TEST(BrandText, WritersUseOneDecimalAndOnlyMarginsHaveBlanks) {
    EXPECT_EQ(stringFromRectValue({0, 0, 10, 20}), "(0.0,0.0,10.0,20.0)");
    EXPECT_EQ(stringFromPointValue({3.25, -0.5}), "(3.2,-0.5)"); // 3.25 rounds to even
    EXPECT_EQ(stringFromSizeValue({320, 600}), "(320.0,600.0)");
    EXPECT_EQ(stringFromMarginValue({1, 2, 3, 4.56f}), "(1.0, 2.0, 3.0, 4.6)");

    // Written texts read back to the same values (to one decimal).
    const Rect r(12.5, -3, 0.5, 1000);
    EXPECT_EQ(valueWithRectFromString(stringFromRectValue(r)), r);
    const QXMargin m{5, 10, 0.5, 2};
    EXPECT_EQ(valueWithMarginFromString(stringFromMarginValue(m)), m);

    // A decimal-comma locale must not change the brand format.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(stringFromPointValue({0.5, 1}), "(0.5,1.0)");
        std::setlocale(LC_NUMERIC, saved.c_str());
    }
}

TEST(BrandText, NumbersBeyondFloatRangeBecomeInfinite) {
    const Color c = colorWithRGBAfromString("(1e39,-1e300,0.5,1)");
    EXPECT_TRUE(std::isinf(c.redComponent()) && c.redComponent() > 0);
    EXPECT_TRUE(std::isinf(c.greenComponent()) && c.greenComponent() < 0);
    EXPECT_EQ(stringFromPointValue({1e300, 0}), "(inf,0.0)");
}
