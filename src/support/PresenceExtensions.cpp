#include "support/PresenceExtensions.h"

#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/kit/ValueTransformer.h"
#include "support/ValueTransformers.h"

namespace OrvantaExtensions {

namespace {

std::shared_ptr<platform::ValueTransformer>& iconTransformer() {
    static std::shared_ptr<platform::ValueTransformer> transformer;
    return transformer;
}

std::shared_ptr<platform::ValueTransformer>& messageTransformer() {
    static std::shared_ptr<platform::ValueTransformer> transformer;
    return transformer;
}

platform::Value statusValue(OVPresenceStatus status) {
    return platform::Value(static_cast<int>(status));
}

} // namespace

std::shared_ptr<platform::Image> image(OVPresenceStatus status) {
    auto& transformer = iconTransformer();
    if (!transformer) {
        transformer =
            platform::ValueTransformer::valueTransformerForName("PresenceStatusIconTransformer");
        if (!transformer)
            transformer = std::make_shared<PresenceStatusIconTransformer>(platform::Value());
    }
    return platform::imageFromValue(transformer->transformedValue(statusValue(status)));
}

std::string string(OVPresenceStatus status) {
    auto& transformer = messageTransformer();
    if (!transformer)
        transformer = std::make_shared<PresenceStatusMessageTransformer>();
    return transformer->transformedValue(statusValue(status)).stringValue();
}

void resetPresenceTransformers() {
    iconTransformer().reset();
    messageTransformer().reset();
}

} // namespace OrvantaExtensions
