#include "app/core/FilePasswordStore.h"
#include "app/core/PasswordCrypto.h"
#include "app/core/PasswordStore.h"
#include "app/core/SecretServicePasswordStore.h"
#include "platform/foundation/TestSupport.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using foundation_test::TempDir;
using platform::Value;

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return 0;
    return info.st_mode & 0777;
}

// A store that refuses everything, as a locked keyring would.
class RefusingStore : public PasswordStore {
public:
    std::optional<std::string> password() override { return std::nullopt; }
    bool setPassword(const std::string&, std::string* error) override {
        if (error)
            *error = "the keyring is locked";
        return false;
    }
    bool removePassword(std::string*) override { return false; }
    std::string description() const override { return "a refusing store"; }
};

TEST(FilePasswordStoreTest, OnlyTheOwnerCanEverReadTheFile) {
    TempDir dir;
    FilePasswordStore store(dir / "settings" / "remembered-password");
    EXPECT_EQ(store.password(), std::nullopt);

    // Even with a umask that lets everyone read, the file never exists with a wider mode.
    const mode_t previous = umask(0);
    std::string error;
    ASSERT_TRUE(store.setPassword("s\xC3\xA9same 42", &error)) << error;
    umask(previous);
    EXPECT_EQ(modeOf(store.file()), 0600u);
    EXPECT_EQ(store.password(), "s\xC3\xA9same 42");

    // A file opened up by hand or restored from a backup is tightened when read.
    chmod(store.file().c_str(), 0644);
    EXPECT_EQ(store.password(), "s\xC3\xA9same 42");
    EXPECT_EQ(modeOf(store.file()), 0600u);

    ASSERT_TRUE(store.removePassword());
    EXPECT_FALSE(fs::exists(store.file()));
    EXPECT_TRUE(store.removePassword()) << "nothing stored is no failure";

    foundation_test::writeFile(dir / "blocked", "a file where the folder belongs");
    FilePasswordStore blocked(dir / "blocked" / "remembered-password");
    EXPECT_FALSE(blocked.setPassword("x", &error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
}

TEST(FilePasswordStoreTest, MigrationMovesAnOlderVersionsPasswordOutOfTheDefaults) {
    const struct {
        const char* name;
        Value stored;
        std::optional<std::string> moved;
    } cases[] = {
        {"encrypted by an older version", Value(encryptedRememberedPassword("wonderland")),
         "wonderland"},
        {"plain text of a still older one", Value("plain"), "plain"},
        {"cipher text that does not decrypt", Value(Value::Data(15, 0x41)), std::nullopt},
        {"remembering turned off", Value(Value::Data()), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        platform::UserDefaults defaults(dir / "defaults.plist");
        defaults.setObject(legacyRememberedPasswordKey, c.stored);
        FilePasswordStore store(dir / "remembered-password");

        migrateRememberedPassword(defaults, store);
        EXPECT_EQ(store.password(), c.moved);
        EXPECT_TRUE(defaults.objectForKey(legacyRememberedPasswordKey).isNull());
        EXPECT_FALSE(defaults.hasUnsavedChanges()) << "gone from the file at once";
        EXPECT_TRUE(platform::UserDefaults(dir / "defaults.plist")
                        .objectForKey(legacyRememberedPasswordKey)
                        .isNull());
    }

    TempDir dir;
    platform::UserDefaults defaults(dir / "defaults.plist");
    defaults.setObject(legacyRememberedPasswordKey, Value("kept"));
    RefusingStore refusing;
    migrateRememberedPassword(defaults, refusing);
    EXPECT_EQ(defaults.stringForKey(legacyRememberedPasswordKey), "kept")
        << "a store that refuses it must not cost the user the password";
}

TEST(SecretServicePasswordStoreTest, KeepsThePasswordInTheDesktopsSecretStore) {
    auto store = SecretServicePasswordStore::connect("org.lumiq.test-" + std::to_string(getpid()));
    if (!store)
        GTEST_SKIP() << "no Secret Service on a session bus here";
    std::string error;
    if (!store->setPassword("wonderland", &error))
        GTEST_SKIP() << "the secret store refused (" << error << "), e.g. a locked keyring";
    EXPECT_EQ(store->password(), "wonderland");
    ASSERT_TRUE(store->removePassword(&error)) << error;
    EXPECT_EQ(store->password(), std::nullopt);
}

} // namespace
