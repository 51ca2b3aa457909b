#include "platform/foundation/BinaryPropertyListReader.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <fmt/format.h>

namespace platform {

namespace {

constexpr std::string_view kMagic = "bplist00";
constexpr std::uint64_t kTrailerSize = 32;
// Deeper than any list a person or a program of ours writes, and far from the stack's end.
constexpr int kMaxDepth = 512;
// Shared objects are copied wherever they are referenced; a few bytes of references must not
// turn into gigabytes of copies.
constexpr std::uint64_t kExpansion = 64;
constexpr std::uint64_t kMinimumBudget = 1 << 20;

enum Marker : std::uint8_t {
    kSimple = 0x0,
    kInteger = 0x1,
    kReal = 0x2,
    kDate = 0x3,
    kData = 0x4,
    kAsciiString = 0x5,
    kUtf16String = 0x6,
    kUid = 0x8,
    kArray = 0xA,
    kSet = 0xC,
    kDictionary = 0xD,
};

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

BinaryPropertyListReader::BinaryPropertyListReader(std::span<const std::uint8_t> bytes)
    : bytes_(bytes) {}

bool BinaryPropertyListReader::looksBinary(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view prefix = "bplist";
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

bool BinaryPropertyListReader::fail(std::string why) {
    if (error_.empty())
        error_ = std::move(why);
    return false;
}

std::uint64_t BinaryPropertyListReader::bigEndian(std::uint64_t offset, unsigned size) const {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < size; ++i)
        value = (value << 8) | bytes_[offset + i];
    return value;
}

// Objects lie between the header and the offset table.
bool BinaryPropertyListReader::fits(std::uint64_t offset, std::uint64_t length) const {
    return offset >= kMagic.size() && offset <= offsetTable_ && length <= offsetTable_ - offset;
}

bool BinaryPropertyListReader::spend(std::uint64_t cost) {
    if (cost > budget_)
        return fail("shared objects expand to far more than the list's size");
    budget_ -= cost;
    return true;
}

std::optional<Value> BinaryPropertyListReader::read() {
    error_.clear();
    const std::uint64_t size = bytes_.size();
    if (size < kMagic.size() + kTrailerSize ||
        std::memcmp(bytes_.data(), kMagic.data(), kMagic.size()) != 0) {
        fail("not a binary property list of a known version");
        return std::nullopt;
    }
    const std::uint64_t trailer = size - kTrailerSize;
    offsetSize_ = bytes_[trailer + 6];
    referenceSize_ = bytes_[trailer + 7];
    objectCount_ = bigEndian(trailer + 8, 8);
    const std::uint64_t top = bigEndian(trailer + 16, 8);
    offsetTable_ = bigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || referenceSize_ < 1 || referenceSize_ > 8) {
        fail("the trailer gives an offset or reference size outside 1 to 8 bytes");
        return std::nullopt;
    }
    if (offsetTable_ < kMagic.size() || offsetTable_ > trailer || objectCount_ == 0 ||
        objectCount_ > (trailer - offsetTable_) / offsetSize_) {
        fail("the offset table does not lie within the list");
        return std::nullopt;
    }
    if (top >= objectCount_) {
        fail("the top object is not in the offset table");
        return std::nullopt;
    }
    budget_ = std::max(size * kExpansion, kMinimumBudget);
    opened_.assign(objectCount_, false);
    std::optional<Value> value = object(top, 0);
    opened_.clear();
    if (!value)
        fail("the list is malformed");
    return value;
}

std::optional<Value> BinaryPropertyListReader::object(std::uint64_t index, int depth) {
    if (index >= objectCount_) {
        fail(fmt::format("a reference to object {} lies beyond the {} objects", index,
                         objectCount_));
        return std::nullopt;
    }
    if (depth > kMaxDepth) {
        fail("containers are nested too deeply");
        return std::nullopt;
    }
    if (opened_[index]) {
        fail(fmt::format("object {} contains itself", index));
        return std::nullopt;
    }
    const std::uint64_t offset = bigEndian(offsetTable_ + index * offsetSize_, offsetSize_);
    if (!fits(offset, 1)) {
        fail(fmt::format("object {} lies outside the list", index));
        return std::nullopt;
    }
    opened_[index] = true;
    std::optional<Value> value = objectAt(index, offset, depth);
    opened_[index] = false;
    return value;
}

// A length in the marker's low four bits, or (15) in an integer object following the marker.
std::optional<std::uint64_t> BinaryPropertyListReader::count(std::uint8_t info,
                                                             std::uint64_t& cursor) {
    if (info != 0xF)
        return info;
    if (!fits(cursor, 1) || (bytes_[cursor] >> 4) != kInteger || (bytes_[cursor] & 0xF) > 3) {
        fail("a length is not an integer");
        return std::nullopt;
    }
    const unsigned size = 1u << (bytes_[cursor] & 0xF);
    if (!fits(cursor + 1, size)) {
        fail("a length runs past the objects");
        return std::nullopt;
    }
    const std::uint64_t length = bigEndian(cursor + 1, size);
    cursor += 1 + size;
    return length;
}

std::uint64_t BinaryPropertyListReader::reference(std::uint64_t& cursor) {
    const std::uint64_t index = bigEndian(cursor, referenceSize_);
    cursor += referenceSize_;
    return index;
}

std::optional<Value> BinaryPropertyListReader::objectAt(std::uint64_t index, std::uint64_t offset,
                                                        int depth) {
    const std::uint8_t marker = bytes_[offset];
    const std::uint8_t type = marker >> 4;
    const std::uint8_t info = marker & 0xF;
    std::uint64_t cursor = offset + 1;
    const auto truncated = [&] {
        fail(fmt::format("object {} runs past the objects", index));
        return std::nullopt;
    };
    if (!spend(1))
        return std::nullopt;

    switch (type) {
    case kSimple:
        if (info == 0x8 || info == 0x9)
            return Value(info == 0x9);
        break;
    case kInteger: {
        if (info > 4)
            break;
        const unsigned size = 1u << info;
        if (!fits(cursor, size))
            return truncated();
        // Sixteen-byte integers carry the value in their low eight bytes.
        const std::uint64_t bits = bigEndian(cursor + (size == 16 ? 8 : 0), size == 16 ? 8 : size);
        // Eight bytes and more are signed; shorter integers are unsigned.
        return Value(static_cast<long long>(static_cast<std::int64_t>(bits)));
    }
    case kReal:
    case kDate: {
        if (info != 2 && info != 3)
            break;
        if (type == kDate && info != 3)
            break;
        const unsigned size = 1u << info;
        if (!fits(cursor, size))
            return truncated();
        const std::uint64_t bits = bigEndian(cursor, size);
        const double real = size == 4
                                ? double{std::bit_cast<float>(static_cast<std::uint32_t>(bits))}
                                : std::bit_cast<double>(bits);
        if (type == kReal)
            return Value(real);
        if (!std::isfinite(real)) {
            fail(fmt::format("object {} is a date that is not a finite number", index));
            return std::nullopt;
        }
        return Value(Date{real});
    }
    case kData:
    case kAsciiString: {
        const auto length = count(info, cursor);
        if (!length)
            return std::nullopt;
        if (!fits(cursor, *length))
            return truncated();
        if (!spend(*length))
            return std::nullopt;
        const auto* begin = bytes_.data() + cursor;
        if (type == kData)
            return Value(Value::Data(begin, begin + *length));
        // A one-byte string is ASCII; bytes above it are read as Latin-1, so no text that
        // is not UTF-8 gets into the program.
        std::string text;
        text.reserve(*length);
        for (const auto* byte = begin; byte != begin + *length; ++byte) {
            if (*byte < 0x80) {
                text += static_cast<char>(*byte);
            } else {
                text += static_cast<char>(0xC0 | (*byte >> 6));
                text += static_cast<char>(0x80 | (*byte & 0x3F));
            }
        }
        return Value(std::move(text));
    }
    case kUtf16String: {
        const auto units = count(info, cursor);
        if (!units)
            return std::nullopt;
        if (*units > offsetTable_ / 2 || !fits(cursor, *units * 2))
            return truncated();
        if (!spend(*units * 2))
            return std::nullopt;
        std::string text;
        text.reserve(*units);
        for (std::uint64_t i = 0; i < *units; ++i) {
            std::uint32_t c = static_cast<std::uint32_t>(bigEndian(cursor + i * 2, 2));
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < *units) {
                const auto low = static_cast<std::uint32_t>(bigEndian(cursor + i * 2 + 2, 2));
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
            // A surrogate without its partner is no character; keep the rest of the text.
            if (c >= 0xD800 && c < 0xE000)
                c = 0xFFFD;
            appendUtf8(text, c);
        }
        return Value(std::move(text));
    }
    case kUid: {
        const unsigned size = info + 1u;
        if (size > 8)
            break;
        if (!fits(cursor, size))
            return truncated();
        return Value(static_cast<long long>(bigEndian(cursor, size)));
    }
    case kArray:
    case kSet:
    case kDictionary: {
        const auto length = count(info, cursor);
        if (!length)
            return std::nullopt;
        const std::uint64_t references = type == kDictionary ? 2 : 1;
        if (*length > offsetTable_ / referenceSize_ / references ||
            !fits(cursor, *length * references * referenceSize_))
            return truncated();
        if (type != kDictionary) {
            Value::Array array;
            array.reserve(*length);
            for (std::uint64_t i = 0; i < *length; ++i) {
                auto element = object(reference(cursor), depth + 1);
                if (!element)
                    return std::nullopt;
                array.push_back(std::move(*element));
            }
            return Value(std::move(array));
        }
        Value::Dictionary dictionary;
        std::uint64_t valueCursor = cursor + *length * referenceSize_;
        for (std::uint64_t i = 0; i < *length; ++i) {
            auto key = object(reference(cursor), depth + 1);
            if (!key)
                return std::nullopt;
            if (!key->isString()) {
                fail(fmt::format("a key of dictionary {} is not a string", index));
                return std::nullopt;
            }
            if (key->string()->find('\0') != std::string::npos) {
                fail(fmt::format("a key of dictionary {} holds a NUL character", index));
                return std::nullopt;
            }
            auto element = object(reference(valueCursor), depth + 1);
            if (!element)
                return std::nullopt;
            dictionary.insert_or_assign(*key->string(), std::move(*element));
        }
        return Value(std::move(dictionary));
    }
    default:
        break;
    }
    fail(fmt::format("object {} is of an unknown kind (marker 0x{:02x})", index, marker));
    return std::nullopt;
}

} // namespace platform
