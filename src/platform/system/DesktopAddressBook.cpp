// The desktop's address books through Evolution Data Server: the source registry lists the
// books, each is opened through the address-book factory and its contacts are read as vCard
// text, which the same card-to-person mapping as the folder kind turns into people.

#include "platform/foundation/Log.h"
#include "platform/system/AddressBook.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <iterator>
#include <libebook/libebook.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace platform {

namespace {

// How long the registry, opening a book and reading it may each take before they are given up,
// and how long a book kept elsewhere (a server's) is given to come online; a book that does not
// is read from its copy on this computer.
constexpr std::chrono::seconds kRegistryWait{5};
constexpr std::chrono::seconds kBookWait{10};
constexpr guint32 kRemoteOnlineSeconds = 5;
// The service's value for not waiting for a book to come online (0 would wait without end).
constexpr guint32 kDoNotWait = static_cast<guint32>(-1);

// Whether the session has a message bus to ask, found the way GLib finds it, without the
// fallback of starting one: DBUS_SESSION_BUS_ADDRESS (an empty one means none), else the
// socket $XDG_RUNTIME_DIR/bus.
bool hasSessionBus() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
        return *address != '\0';
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/') {
        return false;
    }
    const std::string socket = std::string(runtime) + "/bus";
    struct stat info {};
    return ::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// Runs `work` with a cancellable that is cancelled once `limit` has passed, so that a service
// that does not answer cannot hold the caller.
template <typename Work> auto withDeadline(std::chrono::seconds limit, Work&& work) {
    GCancellable* cancellable = g_cancellable_new();
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!doneChanged.wait_for(lock, limit, [&] { return done; })) {
            g_cancellable_cancel(cancellable);
        }
    });
    auto result = work(cancellable);
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    doneChanged.notify_one();
    watchdog.join();
    g_object_unref(cancellable);
    return result;
}

// The message of an error, which is freed; "" when there is none.
std::string takeMessage(GError* error) {
    if (!error) {
        return {};
    }
    std::string message = error->message ? error->message : "";
    g_error_free(error);
    return message;
}

// Whether the book is kept on this computer, where there is nothing to wait for: while the
// computer has no network the service reports even such a book as not connected yet.
bool isLocal(ESource* source) {
    if (!e_source_has_extension(source, E_SOURCE_EXTENSION_ADDRESS_BOOK)) {
        return false;
    }
    auto* backend =
        E_SOURCE_BACKEND(e_source_get_extension(source, E_SOURCE_EXTENSION_ADDRESS_BOOK));
    const gchar* name = e_source_backend_get_backend_name(backend);
    return name && std::string_view(name) == "local";
}

std::string displayNameOf(ESource* source) {
    const gchar* name = e_source_get_display_name(source);
    if (name && *name) {
        return name;
    }
    const gchar* uid = e_source_get_uid(source);
    return uid ? uid : "";
}

class DesktopAddressBook : public AddressBook {
public:
    explicit DesktopAddressBook(ESourceRegistry* registry) : registry_(registry) {}
    ~DesktopAddressBook() override { g_object_unref(registry_); }
    DesktopAddressBook(const DesktopAddressBook&) = delete;
    DesktopAddressBook& operator=(const DesktopAddressBook&) = delete;

    std::string location() const override { return "the desktop's address books"; }

    AddressBookContents people() const override {
        AddressBookContents contents;
        GList* sources = e_source_registry_list_enabled(registry_, E_SOURCE_EXTENSION_ADDRESS_BOOK);
        std::vector<ESource*> books;
        for (GList* item = sources; item; item = item->next) {
            books.push_back(E_SOURCE(item->data));
        }
        // The user's own book first, the others by name.
        ESource* builtIn = e_source_registry_ref_builtin_address_book(registry_);
        const auto isBuiltIn = [&](ESource* source) {
            return builtIn && e_source_equal(source, builtIn);
        };
        std::stable_sort(books.begin(), books.end(), [&](ESource* a, ESource* b) {
            if (isBuiltIn(a) != isBuiltIn(b)) {
                return isBuiltIn(a);
            }
            return displayNameOf(a) < displayNameOf(b);
        });
        int opened = 0;
        for (ESource* source : books) {
            if (read(source, contents)) {
                ++opened;
            }
        }
        if (builtIn) {
            g_object_unref(builtIn);
        }
        g_list_free_full(sources, g_object_unref);
        if (books.empty()) {
            contents.failure = "the desktop has no address book turned on";
        } else if (opened == 0) {
            contents.failure = "none of the desktop's address books could be opened";
        }
        return contents;
    }

private:
    // Adds the people of one book; a book that cannot be opened or read is noted in `skipped`.
    static bool read(ESource* source, AddressBookContents& contents) {
        const std::string name = displayNameOf(source);
        GError* error = nullptr;
        EClient* client = withDeadline(kBookWait, [&](GCancellable* cancellable) {
            return e_book_client_connect_sync(
                source, isLocal(source) ? kDoNotWait : kRemoteOnlineSeconds, cancellable, &error);
        });
        if (!client) {
            contents.skipped.push_back(name + ": the book cannot be opened (" + takeMessage(error) +
                                       ")");
            return false;
        }
        EBookQuery* query = e_book_query_any_field_contains("");
        gchar* expression = e_book_query_to_string(query);
        e_book_query_unref(query);
        GSList* contacts = nullptr;
        const gboolean done = withDeadline(kBookWait, [&](GCancellable* cancellable) {
            return e_book_client_get_contacts_sync(E_BOOK_CLIENT(client), expression, &contacts,
                                                   cancellable, &error);
        });
        g_free(expression);
        g_object_unref(client);
        if (!done) {
            g_slist_free_full(contacts, g_object_unref);
            contents.skipped.push_back(name + ": the book cannot be read (" + takeMessage(error) +
                                       ")");
            return false;
        }
        g_clear_error(&error);
        for (GSList* item = contacts; item; item = item->next) {
            EContact* contact = E_CONTACT(item->data);
            // A contact list holds the addresses of its members, not a person.
            if (GPOINTER_TO_INT(e_contact_get(contact, E_CONTACT_IS_LIST))) {
                continue;
            }
            gchar* text = e_vcard_to_string(E_VCARD(contact), EVC_FORMAT_VCARD_30);
            auto people = peopleOfVCards(text ? text : "");
            g_free(text);
            if (auto* read = std::get_if<std::vector<AddressBookPerson>>(&people)) {
                std::move(read->begin(), read->end(), std::back_inserter(contents.people));
            } else {
                const char* fullName =
                    static_cast<const char*>(e_contact_get_const(contact, E_CONTACT_FULL_NAME));
                contents.skipped.push_back(name + ": " + (fullName ? fullName : "a contact") +
                                           ": " + std::get<std::string>(people));
            }
        }
        g_slist_free_full(contacts, g_object_unref);
        return true;
    }

    ESourceRegistry* registry_;
};

} // namespace

std::unique_ptr<AddressBook> AddressBook::desktop() {
    // Without a session bus GLib would try to start one; the folder is the book then.
    if (!hasSessionBus()) {
        return nullptr;
    }
    GError* error = nullptr;
    ESourceRegistry* registry = withDeadline(kRegistryWait, [&](GCancellable* cancellable) {
        return e_source_registry_new_sync(cancellable, &error);
    });
    if (!registry) {
        // A desktop without the service (another desktop, a bare window manager): the folder
        // is the book there too.
        Logf("Contacts: the desktop's address-book service cannot be reached (%@); the vCard "
             "folder is the address book",
             takeMessage(error));
        return nullptr;
    }
    return std::make_unique<DesktopAddressBook>(registry);
}

} // namespace platform
