#include "platform/graphics/AttributedString.h"
#include "platform/graphics/TextLayout.h"
#include "widgets/QXAutoscaleTextField.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using platform::Rect;

double usedHeight(const QXAutoscaleTextField& field, const std::string& text) {
    platform::TextAttributes attributes;
    attributes.font = field.font();
    return platform::TextLayout(platform::AttributedString(text, attributes), field.frame().width())
        .usedRect()
        .height();
}

TEST(QXAutoscaleTextField, FitsItsHeightKeepingTheTopEdge) {
    auto field = platform::make<QXAutoscaleTextField>(Rect{10, 100, 200, 30});
    EXPECT_EQ(field->minSize().height, 16);
    EXPECT_EQ(field->maxSize().height, 10000000);

    field->setStringValue("");
    EXPECT_EQ(field->frame(), (Rect{10, 114, 200, 16}));

    const std::string line = "One short line";
    field->setStringValue(line);
    const double one = usedHeight(*field, line) + 3;
    EXPECT_EQ(field->frame().height(), std::max(16.0, one));
    EXPECT_EQ(field->frame().maxY(), 130);

    std::string paragraph;
    for (int i = 0; i < 12; ++i)
        paragraph += "several words that wrap ";
    field->setStringValue(paragraph);
    platform::TextAttributes attributes;
    attributes.font = field->font();
    EXPECT_GT(
        platform::TextLayout(platform::AttributedString(paragraph, attributes), 200).lineCount(),
        2u);
    EXPECT_EQ(field->frame().height(), usedHeight(*field, paragraph) + 3);
    EXPECT_GT(field->frame().height(), 2 * one);
    EXPECT_EQ(field->frame().maxY(), 130);
    EXPECT_EQ(field->frame().width(), 200);
}

TEST(QXAutoscaleTextField, LimitsClampTheHeight) {
    auto field = platform::make<QXAutoscaleTextField>(Rect{0, 0, 120, 20});
    field->setMaxSize({0, 40});
    field->setStringValue(std::string(400, 'w') + " end");
    EXPECT_EQ(field->frame().height(), 40);
    EXPECT_EQ(field->frame().maxY(), 20);
    field->setMinSize({0, 60});
    field->setStringValue("x");
    // The minimum wins over the maximum when they cross, as the rule is applied.
    EXPECT_EQ(field->frame().height(), 60);
}

} // namespace
