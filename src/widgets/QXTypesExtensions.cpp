#include "widgets/QXTypesExtensions.h"

platform::Value valueWithMargin(const QXMargin& margin) {
    return platform::Value(
        platform::Value::Array{platform::Value(margin.left), platform::Value(margin.right),
                               platform::Value(margin.top), platform::Value(margin.bottom)});
}

QXMargin marginValue(const platform::Value& value) {
    if (!value.isArray()) {
        return {};
    }
    return {value[0].floatValue(), value[1].floatValue(), value[2].floatValue(),
            value[3].floatValue()};
}
