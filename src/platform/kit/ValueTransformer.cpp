#include "platform/kit/ValueTransformer.h"

#include "platform/graphics/Image.h"

#include <map>

namespace platform {

namespace {

std::map<std::string, std::shared_ptr<ValueTransformer>, std::less<>>& registry() {
    static std::map<std::string, std::shared_ptr<ValueTransformer>, std::less<>> transformers;
    return transformers;
}

} // namespace

Value ValueTransformer::reverseTransformedValue(const Value& value) const {
    if (!allowsReverseTransformation()) {
        return {};
    }
    return transformedValue(value);
}

void ValueTransformer::setValueTransformer(std::shared_ptr<ValueTransformer> transformer,
                                           std::string_view name) {
    auto& transformers = registry();
    if (!transformer) {
        if (auto it = transformers.find(name); it != transformers.end()) {
            transformers.erase(it);
        }
        return;
    }
    transformers.insert_or_assign(std::string(name), std::move(transformer));
}

std::shared_ptr<ValueTransformer> ValueTransformer::valueTransformerForName(std::string_view name) {
    const auto& transformers = registry();
    auto it = transformers.find(name);
    return it == transformers.end() ? nullptr : it->second;
}

std::vector<std::string> ValueTransformer::valueTransformerNames() {
    std::vector<std::string> names;
    for (const auto& [name, transformer] : registry()) {
        names.push_back(name);
    }
    return names;
}

void ValueTransformer::removeAllValueTransformers() {
    registry().clear();
}

std::string ImageObject::description() const {
    if (!image_) {
        return "<Image (null)>";
    }
    const Size size = image_->size();
    return "<Image \"" + image_->name() + "\" " + stringFromSize(size) + ">";
}

Value valueWithImage(std::shared_ptr<Image> image) {
    if (!image) {
        return {};
    }
    return Value(std::static_pointer_cast<Object>(std::make_shared<ImageObject>(std::move(image))));
}

std::shared_ptr<Image> imageFromValue(const Value& value) {
    auto boxed = std::dynamic_pointer_cast<ImageObject>(value.object());
    return boxed ? boxed->image() : nullptr;
}

} // namespace platform
