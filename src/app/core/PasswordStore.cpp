#include "app/core/PasswordStore.h"

#include "app/core/FilePasswordStore.h"
#include "app/core/PasswordCrypto.h"
#include "app/core/SecretServicePasswordStore.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"

namespace {

std::unique_ptr<PasswordStore>& sharedStore() {
    static std::unique_ptr<PasswordStore> store;
    return store;
}

} // namespace

PasswordStore& PasswordStore::shared() {
    auto& store = sharedStore();
    if (!store) {
        std::string application = platform::Bundle::mainBundle().bundleIdentifier();
        if (application.empty())
            application = "com.orvanta.lumiq";
        store = SecretServicePasswordStore::connect(application);
        if (!store)
            store = std::make_unique<FilePasswordStore>();
        platform::Logf("The remembered password is kept in %@", store->description());
    }
    return *store;
}

void PasswordStore::setShared(std::unique_ptr<PasswordStore> store) {
    sharedStore() = std::move(store);
}

void migrateRememberedPassword(platform::UserDefaults& defaults, PasswordStore& store) {
    const platform::Value& old = defaults.objectForKey(legacyRememberedPasswordKey);
    if (old.isNull())
        return;
    if (auto password = rememberedPasswordFromValue(old); password && !password->empty()) {
        std::string error;
        if (!store.setPassword(*password, &error)) {
            platform::Logf("Warning: the remembered password could not be moved to %@: %@",
                           store.description(), error);
            return;
        }
    }
    defaults.removeObjectForKey(legacyRememberedPasswordKey);
    defaults.synchronize();
}
