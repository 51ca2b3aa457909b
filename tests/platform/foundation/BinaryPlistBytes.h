#pragma once

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// Binary property lists built byte by byte, for lists no writer would produce. The layout:
// the header "bplist00", the objects one after another, a table of offsets (one per object, one
// byte each while the objects fit in 255 bytes, else two), and the 32-byte trailer: six unused
// bytes, the offset size, the reference size, then as eight-byte big-endian numbers the object
// count, the top object's index and the offset table's position. Objects refer to each other
// by index into the offset table, in references of one byte unless the list says otherwise.
namespace foundation_test::bplist {

inline std::string bigEndian(std::uint64_t value, int size) {
    std::string out;
    for (int i = size - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

inline std::string list(const std::vector<std::string>& objects, std::uint64_t top = 0,
                        int referenceSize = 1) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t table = out.size();
    const int offsetSize = table < 256 ? 1 : 2;
    for (std::uint64_t offset : offsets)
        out += bigEndian(offset, offsetSize);
    out += std::string(6, '\0') + static_cast<char>(offsetSize) + static_cast<char>(referenceSize);
    out += bigEndian(objects.size(), 8) + bigEndian(top, 8) + bigEndian(table, 8);
    return out;
}

// A marker: kind in the high four bits, a length below 15 in the low four.
inline std::string marker(int kind, std::size_t length) {
    return std::string(1, static_cast<char>((kind << 4) | static_cast<int>(length)));
}
inline std::string ascii(std::string_view text) {
    return marker(0x5, text.size()) + std::string(text);
}
inline std::string utf16(std::u16string_view text) {
    std::string out = marker(0x6, text.size());
    for (char16_t c : text)
        out += bigEndian(c, 2);
    return out;
}
// Seconds since 2001-01-01 as an eight-byte big-endian double.
inline std::string date(double seconds) {
    return "\x33" + bigEndian(std::bit_cast<std::uint64_t>(seconds), 8);
}
inline std::string array(const std::vector<int>& references, int referenceSize = 1) {
    std::string out = marker(0xA, references.size());
    for (int r : references)
        out += bigEndian(static_cast<std::uint64_t>(r), referenceSize);
    return out;
}
// A dictionary of one entry: key and value are object references.
inline std::string entry(int key, int value) {
    return marker(0xD, 1) + static_cast<char>(key) + static_cast<char>(value);
}

// {"a<NUL>b": "v"} with the key in UTF-16: the list that made libplist abort.
inline std::string nulInKey() {
    return list({entry(1, 2), utf16(std::u16string(u"a\0b", 3)), ascii("v")});
}
// {"when": <a date that is not a number>}
inline std::string nanDate() {
    return list({entry(1, 2), ascii("when"), date(std::numeric_limits<double>::quiet_NaN())});
}

} // namespace foundation_test::bplist
