#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The key older versions encrypted the remembered password with in the defaults. Only the
// migration to the password store still reads it; it hid the password from a casual look at
// the file, nothing more.
inline constexpr std::string_view rememberedPasswordKey = "Brackenfold";

// AES-256 in CBC mode with PKCS#7 padding and a zero vector. The key is the key string's UTF-8
// bytes, cut or padded with zeros to 32 bytes. Encrypting gives a multiple of 16 bytes (at least
// 16); nullopt when the cipher fails, for decrypting also for a length that is not a multiple
// of 16 or bad padding.
std::optional<platform::Value::Data> encryptWithKey(std::span<const std::uint8_t> data,
                                                    std::string_view key);
std::optional<platform::Value::Data> decryptWithKey(std::span<const std::uint8_t> data,
                                                    std::string_view key);

// The value older versions stored under "login.last_value.password" for a remembered
// password: its UTF-8 bytes encrypted with rememberedPasswordKey (empty data should the cipher
// fail).
platform::Value::Data encryptedRememberedPassword(std::string_view password);

// The remembered password in a stored value: data is decrypted and must read as UTF-8 text; a
// string (as older versions stored it) is taken as it is. Anything else, or data that fails to
// decrypt, gives no password: the stored bytes are never shown as text.
std::optional<std::string> rememberedPasswordFromValue(const platform::Value& stored);
