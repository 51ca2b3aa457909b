#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace platform {

// Turns a field's value into the text shown and the edited text back into a value. A field
// with a formatter shows stringForObjectValue and reads back through getObjectValue.
class Formatter {
public:
    virtual ~Formatter() = default;
    // The text shown for the value; nullopt when the formatter does not handle its kind.
    virtual std::optional<std::string> stringForObjectValue(const Value& value) = 0;
    // Reads the text back into `object` (when given); false with an error description when
    // the text is not acceptable.
    virtual bool getObjectValue(Value* object, const std::string& text,
                                std::string* errorDescription) = 0;
};

} // namespace platform
