#include "app/core/SecretServicePasswordStore.h"

#include "platform/foundation/FileManager.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <libsecret/secret.h>

namespace {

constexpr const char* kSecretServiceName = "org.freedesktop.secrets";
// How long the bus may take to say whether a Secret Service is there.
constexpr int kProbeTimeoutMilliseconds = 2000;

// One item for the application, told apart by its identifier.
SecretSchema schema() {
    SecretSchema s{};
    s.name = "org.lumiq.RememberedPassword";
    s.flags = SECRET_SCHEMA_NONE;
    s.attributes[0] = {"application", SECRET_SCHEMA_ATTRIBUTE_STRING};
    s.attributes[1] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
    return s;
}

std::string takeMessage(GError* error) {
    std::string message = error && error->message ? error->message : "unknown error";
    if (error)
        g_error_free(error);
    return message;
}

// Asks the bus a question answered by one boolean or one list of names.
bool busAnswers(GDBusConnection* bus, const char* method, GVariant* arguments,
                const GVariantType* reply, const std::function<bool(GVariant*)>& check) {
    GError* error = nullptr;
    GVariant* result = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        arguments, reply, G_DBUS_CALL_FLAGS_NONE, kProbeTimeoutMilliseconds, nullptr, &error);
    if (!result) {
        if (error)
            g_error_free(error);
        return false;
    }
    const bool yes = check(result);
    g_variant_unref(result);
    return yes;
}

bool secretServiceReachable() {
    // Without an address or the runtime folder's bus, GIO would try to start a bus itself.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    std::error_code code;
    if ((!address || !*address) &&
        !std::filesystem::exists(platform::runtimeDirectory() / "bus", code))
        return false;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        if (error)
            g_error_free(error);
        return false;
    }
    const bool owned = busAnswers(bus, "NameHasOwner", g_variant_new("(s)", kSecretServiceName),
                                  G_VARIANT_TYPE("(b)"), [](GVariant* result) {
                                      gboolean has = FALSE;
                                      g_variant_get(result, "(b)", &has);
                                      return has != FALSE;
                                  });
    const bool reachable =
        owned || busAnswers(bus, "ListActivatableNames", nullptr, G_VARIANT_TYPE("(as)"),
                            [](GVariant* result) {
                                GVariantIter* names = nullptr;
                                g_variant_get(result, "(as)", &names);
                                bool found = false;
                                const gchar* name = nullptr;
                                while (g_variant_iter_loop(names, "&s", &name))
                                    found = found || g_strcmp0(name, kSecretServiceName) == 0;
                                g_variant_iter_free(names);
                                return found;
                            });
    g_object_unref(bus);
    return reachable;
}

} // namespace

std::unique_ptr<SecretServicePasswordStore>
SecretServicePasswordStore::connect(std::string application) {
    if (!secretServiceReachable())
        return nullptr;
    return std::unique_ptr<SecretServicePasswordStore>(
        new SecretServicePasswordStore(std::move(application)));
}

std::string SecretServicePasswordStore::description() const {
    return "the desktop's secret store (" + application_ + ")";
}

std::optional<std::string> SecretServicePasswordStore::password() {
    const SecretSchema s = schema();
    GError* error = nullptr;
    gchar* found = secret_password_lookup_sync(&s, nullptr, &error, "application",
                                               application_.c_str(), nullptr);
    if (error)
        g_error_free(error);
    if (!found)
        return std::nullopt;
    std::string password(found);
    secret_password_free(found);
    if (password.empty())
        return std::nullopt;
    return password;
}

bool SecretServicePasswordStore::setPassword(const std::string& password, std::string* error) {
    const SecretSchema s = schema();
    GError* failure = nullptr;
    const std::string label = application_ + " remembered password";
    const gboolean stored =
        secret_password_store_sync(&s, SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(),
                                   nullptr, &failure, "application", application_.c_str(), nullptr);
    if (!stored) {
        const std::string message = takeMessage(failure);
        if (error)
            *error = message;
        return false;
    }
    if (failure)
        g_error_free(failure);
    return true;
}

bool SecretServicePasswordStore::removePassword(std::string* error) {
    const SecretSchema s = schema();
    GError* failure = nullptr;
    secret_password_clear_sync(&s, nullptr, &failure, "application", application_.c_str(), nullptr);
    if (failure) {
        const std::string message = takeMessage(failure);
        if (error)
            *error = message;
        return false;
    }
    return true;
}
