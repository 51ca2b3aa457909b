#include "platform/graphics/Image.h"
#include "platform/kit/ValueTransformer.h"

#include <gtest/gtest.h>

namespace {

using platform::Value;
using platform::ValueTransformer;

class Doubler : public ValueTransformer {
public:
    explicit Doubler(bool reversible) : reversible_(reversible) {}
    bool allowsReverseTransformation() const override { return reversible_; }
    Value transformedValue(const Value& value) const override {
        return Value(value.integerValue() * 2);
    }

private:
    bool reversible_;
};

class ValueTransformerRegistry : public ::testing::Test {
protected:
    void SetUp() override { ValueTransformer::removeAllValueTransformers(); }
    void TearDown() override { ValueTransformer::removeAllValueTransformers(); }
};

TEST_F(ValueTransformerRegistry, FindsByNameReplacesAndRemoves) {
    auto first = std::make_shared<Doubler>(true);
    auto second = std::make_shared<Doubler>(false);
    EXPECT_EQ(ValueTransformer::valueTransformerForName("Doubler"), nullptr);

    ValueTransformer::setValueTransformer(first, "Doubler");
    EXPECT_EQ(ValueTransformer::valueTransformerForName("Doubler"), first);
    ValueTransformer::setValueTransformer("Doubler", second);
    EXPECT_EQ(ValueTransformer::valueTransformerForName("Doubler"), second);
    EXPECT_EQ(ValueTransformer::valueTransformerForName("doubler"), nullptr);
    EXPECT_EQ(ValueTransformer::valueTransformerNames(), std::vector<std::string>{"Doubler"});

    ValueTransformer::setValueTransformer(nullptr, "Doubler");
    EXPECT_EQ(ValueTransformer::valueTransformerForName("Doubler"), nullptr);
}

TEST_F(ValueTransformerRegistry, ReversingUsesTheForwardRuleOnlyWhenAllowed) {
    EXPECT_EQ(Doubler(true).reverseTransformedValue(Value(4)), Value(8));
    EXPECT_TRUE(Doubler(false).reverseTransformedValue(Value(4)).isNull());
    // The base passes values through both ways.
    const ValueTransformer plain;
    EXPECT_EQ(plain.transformedValue(Value("x")), Value("x"));
    EXPECT_EQ(plain.reverseTransformedValue(Value("x")), Value("x"));
    EXPECT_EQ(plain.transformedValueClass(), platform::TransformedValueClass::Object);
}

TEST(ImageValues, AnImageTravelsInAValue) {
    auto image = std::make_shared<platform::Image>(platform::Size(3, 2));
    const Value boxed = platform::valueWithImage(image);
    EXPECT_TRUE(boxed.isObject());
    EXPECT_EQ(platform::imageFromValue(boxed), image);
    // Copies of the value share the image.
    const Value copy = boxed;
    EXPECT_EQ(platform::imageFromValue(copy), image);

    EXPECT_TRUE(platform::valueWithImage(nullptr).isNull());
    EXPECT_EQ(platform::imageFromValue(Value("image")), nullptr);
    EXPECT_EQ(platform::imageFromValue(Value()), nullptr);
}

} // namespace
