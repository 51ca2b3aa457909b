#include "app/core/PasswordCrypto.h"

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <openssl/err.h>
#include <openssl/evp.h>

using platform::Value;

namespace {

constexpr std::size_t keyLength = 32;
constexpr std::size_t blockLength = 16;

// The key string's UTF-8 bytes at the start of a zero-filled buffer; only the first 32 count.
std::array<unsigned char, keyLength> keyBytes(std::string_view key) {
    std::array<unsigned char, keyLength> bytes{};
    std::copy_n(key.begin(), std::min(key.size(), bytes.size()), bytes.begin());
    return bytes;
}

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

// One pass of the cipher over the whole input; the zero vector makes equal passwords give
// equal bytes, which stored defaults rely on.
std::optional<Value::Data> runCipher(std::span<const std::uint8_t> input, std::string_view key,
                                     bool encrypt) {
    if (input.size() > static_cast<std::size_t>(INT_MAX) - blockLength)
        return std::nullopt;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
    if (!context)
        return std::nullopt;
    const auto keyData = keyBytes(key);
    const std::array<unsigned char, blockLength> vector{};
    Value::Data output(input.size() + blockLength);
    int written = 0;
    int finalWritten = 0;
    const bool ok = EVP_CipherInit_ex(context.get(), EVP_aes_256_cbc(), nullptr, keyData.data(),
                                      vector.data(), encrypt ? 1 : 0) == 1 &&
                    EVP_CIPHER_CTX_set_padding(context.get(), 1) == 1 &&
                    EVP_CipherUpdate(context.get(), output.data(), &written, input.data(),
                                     static_cast<int>(input.size())) == 1 &&
                    EVP_CipherFinal_ex(context.get(), output.data() + written, &finalWritten) == 1;
    if (!ok) {
        // A stored value that does not decrypt is an expected case; leave no error behind for
        // the next user of the library on this thread.
        ERR_clear_error();
        return std::nullopt;
    }
    output.resize(static_cast<std::size_t>(written) + static_cast<std::size_t>(finalWritten));
    return output;
}

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points
// beyond U+10FFFF.
bool isValidUtf8(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const std::uint8_t next = bytes[i + k];
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) ||
            codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

std::optional<Value::Data> encryptWithKey(std::span<const std::uint8_t> data,
                                          std::string_view key) {
    return runCipher(data, key, true);
}

std::optional<Value::Data> decryptWithKey(std::span<const std::uint8_t> data,
                                          std::string_view key) {
    return runCipher(data, key, false);
}

Value::Data encryptedRememberedPassword(std::string_view password) {
    return encryptWithKey(bytesOf(password), rememberedPasswordKey).value_or(Value::Data{});
}

std::optional<std::string> rememberedPasswordFromValue(const Value& stored) {
    if (const std::string* text = stored.string())
        return *text;
    const Value::Data* data = stored.data();
    if (!data)
        return std::nullopt;
    const auto plain = decryptWithKey(*data, rememberedPasswordKey);
    if (!plain || !isValidUtf8(*plain))
        return std::nullopt;
    return std::string(plain->begin(), plain->end());
}
