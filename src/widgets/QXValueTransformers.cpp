#include "widgets/QXValueTransformers.h"

#include <memory>

void QXValueTransformers::registerTransformers() {
    platform::ValueTransformer::setValueTransformer(std::make_shared<QXisHiddenState>(),
                                                    "QXisHiddenState");
    platform::ValueTransformer::setValueTransformer(std::make_shared<QXisEnabledState>(),
                                                    "QXisEnabledState");
}

platform::Value QXisHiddenState::transformedValue(const platform::Value& value) const {
    if (!value.isNumber()) {
        return platform::Value(true);
    }
    return platform::Value(value.integerValue() == 2);
}

platform::Value QXisEnabledState::transformedValue(const platform::Value& value) const {
    return platform::Value(value.isNumber() && value.integerValue() == 0);
}
