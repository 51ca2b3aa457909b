#include "platform/foundation/Value.h"
#include "platform/kit/ValueTransformer.h"
#include "widgets/QXLayerColor.h"
#include "widgets/QXTypesExtensions.h"
#include "widgets/QXValueTransformers.h"

#include <gtest/gtest.h>

namespace {

using platform::Value;
using platform::ValueTransformer;

TEST(QXValueTransformers, StateNumbersShowEnableOrHide) {
    ValueTransformer::removeAllValueTransformers();
    QXValueTransformers::registerTransformers();
    const auto hidden = ValueTransformer::valueTransformerForName("QXisHiddenState");
    const auto enabled = ValueTransformer::valueTransformerForName("QXisEnabledState");
    ASSERT_TRUE(hidden && enabled);

    const struct {
        Value state;
        bool hide;
        bool enable;
    } cases[] = {
        {Value(0), false, true},  // shown and enabled
        {Value(2), true, false},  // hidden
        {Value(1), false, false}, // shown, disabled
        {Value(7), false, false},  {Value(2.0), true, false},
        {Value(), true, false}, // not a number: hidden
        {Value("0"), true, false}, {Value(Value::Array{}), true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hidden->transformedValue(c.state), Value(c.hide)) << c.state.description();
        EXPECT_EQ(enabled->transformedValue(c.state), Value(c.enable)) << c.state.description();
    }
    for (const auto& transformer : {hidden, enabled}) {
        EXPECT_EQ(transformer->transformedValueClass(), platform::TransformedValueClass::Number);
        EXPECT_FALSE(transformer->allowsReverseTransformation());
    }
    ValueTransformer::removeAllValueTransformers();
}

TEST(QXTypesExtensions, MarginsComeBackAsBoxed) {
    const QXMargin margins[] = {{1, 2, 3, 4}, {0.1f, -2.5f, 1e-7f, 3e9f}, {}};
    for (const auto& margin : margins) {
        const Value boxed = valueWithMargin(margin);
        EXPECT_EQ(marginValue(boxed), margin);
        // The box is a property list, so it survives being written and read.
        const auto reread = Value::fromPropertyList(boxed.toPropertyList());
        ASSERT_TRUE(reread);
        EXPECT_EQ(marginValue(*reread), margin);
    }
    EXPECT_EQ(marginValue(Value(Value::Array{Value(1), Value(2)})), (QXMargin{1, 2, 0, 0}));
    EXPECT_EQ(marginValue(Value("1 2 3 4")), QXMargin{});
    EXPECT_EQ(marginValue(Value()), QXMargin{});
}

TEST(QXLayerColor, NamedColoursAreMadeOnceWithTheirComponents) {
    using Named = const platform::Color& (*)();
    const struct {
        Named color;
        platform::Color expected;
    } cases[] = {
        {QXLayerColor::black, {0, 0, 0, 1}},
        {QXLayerColor::blue, {0, 0, 1, 1}},
        {QXLayerColor::brown, {0.6, 0.4, 0.2, 1}},
        {QXLayerColor::clear, {1, 1, 1, 0}},
        {QXLayerColor::cyan, {0, 1, 1, 1}},
        {QXLayerColor::darkGray, {0.3, 0.3, 0.3, 1}},
        {QXLayerColor::gray, {0.5, 0.5, 0.5, 1}},
        {QXLayerColor::green, {0, 1, 0, 1}},
        {QXLayerColor::lightGray, {0.7, 0.7, 0.7, 1}},
        {QXLayerColor::magenta, {1, 0, 1, 1}},
        {QXLayerColor::orange, {1, 0.5, 0, 1}},
        {QXLayerColor::purple, {0.5, 0, 0.5, 1}},
        {QXLayerColor::red, {1, 0, 0, 1}},
        {QXLayerColor::white, {1, 1, 1, 1}},
        {QXLayerColor::yellow, {1, 1, 0, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.color(), c.expected) << c.expected.description();
        EXPECT_EQ(&c.color(), &c.color()) << c.expected.description();
    }
    EXPECT_EQ(QXLayerColor::newColorWithRed(0.25, 0.5, 0.75, 0.1),
              platform::Color(0.25, 0.5, 0.75, 0.1));
    EXPECT_EQ(QXLayerColor::genericRGBSpace(), QXColorSpace::genericRGB);
}

} // namespace
