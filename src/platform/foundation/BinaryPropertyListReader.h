#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Reads the binary property-list format ("bplist00") into a Value. Files and messages from
// outside may be anything, so every offset, reference and length is checked against the bytes
// before it is used, an object that contains itself is refused, and objects shared by several
// containers may not multiply into more than a bounded multiple of the input. What the format
// allows but a Value cannot hold faithfully (a dictionary key with a NUL character, a date that
// is not a finite number) is refused too, each time with a reason.
class BinaryPropertyListReader {
public:
    explicit BinaryPropertyListReader(std::span<const std::uint8_t> bytes);

    static bool looksBinary(std::span<const std::uint8_t> bytes);

    // The value of the top object; nullopt with error() saying why when the bytes are not a
    // readable binary property list.
    std::optional<Value> read();
    const std::string& error() const { return error_; }

private:
    std::optional<Value> object(std::uint64_t index, int depth);
    std::optional<Value> objectAt(std::uint64_t index, std::uint64_t offset, int depth);
    std::optional<std::uint64_t> count(std::uint8_t info, std::uint64_t& cursor);
    std::uint64_t reference(std::uint64_t& cursor);
    bool fits(std::uint64_t offset, std::uint64_t length) const;
    bool spend(std::uint64_t cost);
    std::uint64_t bigEndian(std::uint64_t offset, unsigned size) const;
    bool fail(std::string why);

    std::span<const std::uint8_t> bytes_;
    std::string error_;
    unsigned offsetSize_ = 0;
    unsigned referenceSize_ = 0;
    std::uint64_t objectCount_ = 0;
    std::uint64_t offsetTable_ = 0;
    std::uint64_t budget_ = 0;
    std::vector<bool> opened_;
};

} // namespace platform
