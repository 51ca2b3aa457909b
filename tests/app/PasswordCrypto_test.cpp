#include "app/core/PasswordCrypto.h"
#include "platform/foundation/UserDefaults.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using platform::Value;

namespace {

Value::Data bytes(std::string_view text) {
    return Value::Data(text.begin(), text.end());
}

Value::Data fromHex(std::string_view hex) {
    Value::Data out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

// Known answers, computed independently with the command-line tool of the cipher library
// (AES-256-CBC, key "Brackenfold" padded with zeros, zero vector).
TEST(PasswordCrypto, EncryptsToKnownBytes) {
    struct Case {
        const char* plain;
        const char* cipherHex;
    };
    const Case cases[] = {
        {"", "a9ebac46422aed46c81657c8d7f2580c"},
        {"secret", "6f6fb3112cb46cb898d8ae25bc7ad517"},
        {"123456789012345", "051bc335d9cd82dd90d14767867f4a03"},
        {"1234567890123456", "7465be70b1c785f4be155c12d77e3933c1e4fc892ce56ef3c31e28663a1e853b"},
        {"p\xC3\xA4ssw\xC3\xB6rd\xE2\x82\xAC", "e06c6d14862b527a2784c31790a4cc44"},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.plain);
        const auto cipher = encryptWithKey(bytes(t.plain), rememberedPasswordKey);
        ASSERT_TRUE(cipher);
        EXPECT_EQ(*cipher, fromHex(t.cipherHex));
        EXPECT_EQ(encryptedRememberedPassword(t.plain), *cipher);
        // Decrypting gives the bytes back, the empty string included.
        EXPECT_EQ(decryptWithKey(*cipher, rememberedPasswordKey), bytes(t.plain));
    }
}

TEST(PasswordCrypto, KeyIsTheFirst32BytesPaddedWithZeros) {
    const Value::Data plain = bytes("secret");
    const std::string key32(32, 'k');
    EXPECT_EQ(encryptWithKey(plain, key32), encryptWithKey(plain, key32 + "ignored beyond 32"));
    EXPECT_NE(encryptWithKey(plain, key32), encryptWithKey(plain, key32.substr(0, 31)));
    // Zero padding: a key string with trailing zero bytes is the same key.
    EXPECT_EQ(encryptWithKey(plain, "Brackenfold"),
              encryptWithKey(plain, std::string("Brackenfold\0\0", 13)));
}

TEST(PasswordCrypto, RoundTripsAnyText) {
    const std::string texts[] = {
        "",
        "a",
        "exactly sixteen!",
        "Gr\xC3\xBC\xC3\x9F"
        "e aus K\xC3\xB6ln \xE2\x9C\x93 \xF0\x9F\x93\x9E",
        std::string(1000, 'x'),
        std::string("nul\0inside", 10),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        const Value::Data stored = encryptedRememberedPassword(text);
        EXPECT_EQ(stored.size() % 16, 0u);
        EXPECT_EQ(stored.size(), (text.size() / 16 + 1) * 16);
        EXPECT_EQ(rememberedPasswordFromValue(Value(stored)), text);
    }
}

TEST(PasswordCrypto, UndecryptableValuesGiveNoPassword) {
    const Value::Data good = encryptedRememberedPassword("secret");
    Value::Data badPadding = good;
    badPadding.back() ^= 0x01;
    Value::Data truncated(good.begin(), good.begin() + 15);
    Value::Data longer = good;
    longer.push_back(0);
    const Value::Data garbage = bytes("0123456789abcdef0123456789abcdef");
    const auto notText = encryptWithKey(Value::Data{0xFF, 0xFE, 0x41}, rememberedPasswordKey);
    ASSERT_TRUE(notText);

    struct Case {
        const char* name;
        Value stored;
    };
    const Case cases[] = {
        {"empty data (nothing remembered)", Value(Value::Data{})},
        {"15 bytes", Value(truncated)},
        {"17 bytes", Value(longer)},
        {"bad padding", Value(badPadding)},
        {"garbage", Value(garbage)},
        {"decrypts to bytes that are not UTF-8", Value(*notText)},
        {"missing", Value()},
        {"a number", Value(42)},
        {"a dictionary", Value(Value::Dictionary{{"password", Value(good)}})},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(rememberedPasswordFromValue(t.stored), std::nullopt);
    }
    EXPECT_EQ(decryptWithKey(truncated, rememberedPasswordKey), std::nullopt);
    EXPECT_EQ(decryptWithKey(badPadding, rememberedPasswordKey), std::nullopt);
    EXPECT_EQ(decryptWithKey(good, "another key"), std::nullopt);
    EXPECT_EQ(decryptWithKey({}, rememberedPasswordKey), std::nullopt);
}

// Older versions stored the password as a string; it is read as it is.
TEST(PasswordCrypto, StoredStringIsTakenAsItIs) {
    EXPECT_EQ(rememberedPasswordFromValue(Value("plain old")), "plain old");
}

TEST(PasswordCrypto, RoundTripThroughUserDefaultsOnDisk) {
    static std::atomic<int> counter{0};
    const char* root = std::getenv("LUMIQ_TEST_TMP");
    const std::filesystem::path folder =
        (root && *root ? std::filesystem::path(root) : std::filesystem::temp_directory_path()) /
        ("password-crypto-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder);
    const auto file = folder / "defaults.plist";
    const std::string password = "s\xC3\xA9same 42";
    {
        platform::UserDefaults defaults(file);
        defaults.setObject("login.last_value.password",
                           Value(encryptedRememberedPassword(password)));
        ASSERT_TRUE(defaults.synchronize());
    }
    platform::UserDefaults reread(file);
    const Value& stored = reread.objectForKey("login.last_value.password");
    ASSERT_TRUE(stored.isData());
    EXPECT_EQ(stored.data()->size(), 16u);
    EXPECT_EQ(rememberedPasswordFromValue(stored), password);
    std::filesystem::remove_all(folder);
}

} // namespace
