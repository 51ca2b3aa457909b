#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class Image;

// What kind of value a transformer answers, as the original's transformedValueClass told the
// bindings.
enum class TransformedValueClass { Object, Number, String, Image, Array, Date };

// Turns a bound value into what a control shows (a text, an image, a flag) and, where allowed,
// back. Interface bindings find transformers by name in one registry for the process;
// the original's class operations transformedValueClass and allowsReverseTransformation are
// virtual members here.
class ValueTransformer : public Object {
public:
    ValueTransformer() = default;
    ~ValueTransformer() override = default;

    virtual TransformedValueClass transformedValueClass() const {
        return TransformedValueClass::Object;
    }
    virtual bool allowsReverseTransformation() const { return true; }

    // The base passes values through unchanged.
    virtual Value transformedValue(const Value& value) const { return value; }
    // Without a reverse rule of its own, a transformer that allows reversing applies its
    // forward rule; one that does not answers null (the original raised here).
    virtual Value reverseTransformedValue(const Value& value) const;

    // The registry. Registering under a name already used replaces that transformer; a null
    // transformer removes the name. Main thread only.
    static void setValueTransformer(std::shared_ptr<ValueTransformer> transformer,
                                    std::string_view name);
    static void setValueTransformer(std::string_view name,
                                    std::shared_ptr<ValueTransformer> transformer) {
        setValueTransformer(std::move(transformer), name);
    }
    static std::shared_ptr<ValueTransformer> valueTransformerForName(std::string_view name);
    static std::vector<std::string> valueTransformerNames();
    // Forgets every registered transformer (tests).
    static void removeAllValueTransformers();
};

// An image boxed in a Value, so that transformers and bindings can hand images around like
// any other value.
class ImageObject : public Object {
public:
    explicit ImageObject(std::shared_ptr<Image> image) : image_(std::move(image)) {}
    const std::shared_ptr<Image>& image() const { return image_; }
    std::string description() const override;

private:
    std::shared_ptr<Image> image_;
};

// A Value holding the image, or a null Value for no image.
Value valueWithImage(std::shared_ptr<Image> image);
// The image a Value holds, or nullptr when it holds none.
std::shared_ptr<Image> imageFromValue(const Value& value);

} // namespace platform
