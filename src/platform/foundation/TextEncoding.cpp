#include "platform/foundation/TextEncoding.h"

#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace platform::text_encoding {

std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto length = utf8SequenceLength(text, i);
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return std::nullopt;
}

bool isUtf8(std::string_view text) {
    return !firstInvalidUtf8(text).has_value();
}

bool isDamagedUtf8(std::string_view text) {
    std::size_t valid = 0;
    std::size_t bad = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto length = utf8SequenceLength(text, i);
        if (length == 0) {
            ++bad;
            ++i;
            continue;
        }
        valid += length > 1;
        i += length;
    }
    return valid > bad;
}

std::string repairedUtf8(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        const auto length = utf8SequenceLength(text, i);
        if (length == 0) {
            result += "\xEF\xBF\xBD";
            ++i;
        } else {
            result.append(text.substr(i, length));
            i += length;
        }
    }
    return result;
}

bool isUtf8Name(std::string_view charset) {
    std::string name;
    for (char c : charset) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    return name == "utf8" || name == "usascii" || name == "ascii";
}

std::optional<std::string> toUtf8(std::string_view bytes, std::string_view charset) {
    if (isUtf8Name(charset)) {
        return isUtf8(bytes) ? std::optional<std::string>(std::string(bytes)) : std::nullopt;
    }
    const std::string from(charset);
    iconv_t converter = iconv_open("UTF-8", from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input(bytes);
    std::vector<char> buffer(input.size() * 4 + 16);
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::string result;
    bool ok = true;
    while (ok) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = iconv(converter, inLeft ? &in : nullptr, &inLeft, &out, &outLeft);
        result.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                break;
            }
        } else if (errno != E2BIG) {
            ok = false; // an invalid or incomplete sequence
        }
    }
    iconv_close(converter);
    if (!ok || !isUtf8(result)) {
        return std::nullopt;
    }
    // A byte-order mark the conversion kept is not part of the text.
    if (result.rfind("\xEF\xBB\xBF", 0) == 0) {
        result.erase(0, 3);
    }
    return result;
}

std::string_view utf16Encoding(std::string_view bytes) {
    if (bytes.size() >= 2) {
        if (bytes[0] == '\xFF' && bytes[1] == '\xFE') {
            return "UTF-16LE";
        }
        if (bytes[0] == '\xFE' && bytes[1] == '\xFF') {
            return "UTF-16BE";
        }
    }
    // Without a mark: text of mostly Latin characters has a zero in every other byte.
    const std::size_t sample = std::min<std::size_t>(bytes.size(), 512) & ~std::size_t{1};
    if (sample < 4) {
        return {};
    }
    std::size_t evenZeros = 0, oddZeros = 0;
    for (std::size_t i = 0; i < sample; i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    const std::size_t pairs = sample / 2;
    if (oddZeros * 2 > pairs && evenZeros * 10 < pairs) {
        return "UTF-16LE";
    }
    if (evenZeros * 2 > pairs && oddZeros * 10 < pairs) {
        return "UTF-16BE";
    }
    return {};
}

namespace {

// Whether the bytes are Shift_JIS with the look of Japanese text: every byte above ASCII
// begins a valid double-byte character (half-width katakana excluded, which Latin capitals
// misread would give), and most of those characters have a second byte above ASCII.
bool looksLikeShiftJIS(std::string_view bytes) {
    std::size_t doubles = 0;
    std::size_t highTrails = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            continue;
        }
        const bool leadByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF);
        if (!leadByte || i + 1 == bytes.size()) {
            return false;
        }
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (trail < 0x40 || trail == 0x7F || trail > 0xFC) {
            return false;
        }
        ++doubles;
        highTrails += trail >= 0x80;
    }
    return doubles > 0 && highTrails * 2 >= doubles;
}

} // namespace

std::string undeclaredToUtf8(std::string_view bytes) {
    if (looksLikeShiftJIS(bytes)) {
        if (auto text = toUtf8(bytes, "SHIFT_JIS")) {
            return *text;
        }
    }
    if (auto text = toUtf8(bytes, "WINDOWS-1252")) {
        return *text;
    }
    if (auto text = toUtf8(bytes, "ISO-8859-1")) {
        return *text;
    }
    return std::string(bytes);
}

} // namespace platform::text_encoding
