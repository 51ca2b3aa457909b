#pragma once

#include "platform/foundation/Value.h"
#include "platform/kit/ValueTransformer.h"

// Registers the two state transformers that interface definitions bind controls with, under
// their class names. Application start-up calls it once.
class QXValueTransformers {
public:
    static void registerTransformers();
};

// A setting's state number -> hide the control: 2 hides, other numbers show; anything that is
// not a number hides.
class QXisHiddenState : public platform::ValueTransformer {
public:
    platform::TransformedValueClass transformedValueClass() const override {
        return platform::TransformedValueClass::Number;
    }
    bool allowsReverseTransformation() const override { return false; }
    platform::Value transformedValue(const platform::Value& value) const override;
};

// A setting's state number -> enable the control: only 0 enables.
class QXisEnabledState : public platform::ValueTransformer {
public:
    platform::TransformedValueClass transformedValueClass() const override {
        return platform::TransformedValueClass::Number;
    }
    bool allowsReverseTransformation() const override { return false; }
    platform::Value transformedValue(const platform::Value& value) const override;
};
