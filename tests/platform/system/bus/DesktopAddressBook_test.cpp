// The desktop's address book against the real service: a registry and an address-book factory
// of our own on the private session bus CTest gives this program, with data, configuration and
// cache folders of their own, so that no real address book is read or written.

#include "platform/system/AddressBook.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <libebook/libebook.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kRegistryName = "org.gnome.evolution.dataserver.Sources5";
constexpr const char* kFactoryName = "org.gnome.evolution.dataserver.AddressBook10";
constexpr const char* kRegistryProgram = "/usr/libexec/evolution-source-registry";
constexpr const char* kFactoryProgram = "/usr/libexec/evolution-addressbook-factory";

std::string takeMessage(GError* error) {
    std::string message = error && error->message ? error->message : "unknown error";
    g_clear_error(&error);
    return message;
}

bool nameHasOwner(GDBusConnection* bus, const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
        2000, nullptr, nullptr);
    if (!reply) {
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

// A person as one line, for comparisons that show what differs.
std::string describe(const platform::AddressBookPerson& person) {
    std::string text = person.lastName + ", " + person.firstName + " (" + person.nickname + ") " +
                       person.organization;
    for (const auto& [label, number] : person.phones) {
        text += " | " + label + "=" + number;
    }
    for (const auto& [label, address] : person.emails) {
        text += " | " + label + "=" + address;
    }
    return text;
}

class DesktopAddressBookTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only the private bus of CTest: a desktop session's bus has the user's own books.
        if (!std::getenv("LUMIQ_PRIVATE_SESSION_BUS")) {
            GTEST_SKIP() << "runs only on the private session bus CTest starts for it";
        }
        const char* base = std::getenv("LUMIQ_TEST_TMP");
        fs::create_directories(base ? base : "/tmp");
        std::string pattern = (fs::path(base ? base : "/tmp") / "desktop-book-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        for (const auto& [variable, name] :
             {std::pair{"XDG_DATA_HOME", "data"}, std::pair{"XDG_CONFIG_HOME", "config"},
              std::pair{"XDG_CACHE_HOME", "cache"}}) {
            fs::create_directories(folder_ / name);
            setenv(variable, (folder_ / name).c_str(), 1);
        }
        setenv("GSETTINGS_BACKEND", "memory", 1);
        // A second book whose kind the service does not have, so that it cannot be opened.
        const fs::path sources = folder_ / "config" / "evolution" / "sources";
        fs::create_directories(sources);
        std::ofstream(sources / "broken-book.source")
            << "[Data Source]\nDisplayName=Broken Book\nEnabled=true\nParent=local-stub\n\n"
               "[Address Book]\nBackendName=no-such-backend\n";

        GError* error = nullptr;
        bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        if (!bus_) {
            GTEST_SKIP() << "no session bus: " << takeMessage(error);
        }
        // Whatever the bus starts by itself gets our folders too.
        GVariantBuilder environment;
        g_variant_builder_init(&environment, G_VARIANT_TYPE("a{ss}"));
        for (const char* variable :
             {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "GSETTINGS_BACKEND"}) {
            g_variant_builder_add(&environment, "{ss}", variable, std::getenv(variable));
        }
        GVariant* updated = g_dbus_connection_call_sync(
            bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "UpdateActivationEnvironment", g_variant_new("(a{ss})", &environment), nullptr,
            G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, &error);
        if (!updated) {
            GTEST_SKIP() << "the bus keeps its environment: " << takeMessage(error);
        }
        g_variant_unref(updated);
        if (nameHasOwner(bus_, kRegistryName)) {
            GTEST_SKIP() << "an address-book registry already runs on this bus";
        }
        for (const char* program : {kRegistryProgram, kFactoryProgram}) {
            if (access(program, X_OK) != 0) {
                GTEST_SKIP() << program << " is not installed";
            }
        }
        if (const auto why = start(kRegistryProgram, kRegistryName)) {
            GTEST_SKIP() << "the registry does not start: " << *why;
        }
        if (const auto why = start(kFactoryProgram, kFactoryName)) {
            GTEST_SKIP() << "the address-book factory does not start: " << *why;
        }
    }

    void TearDown() override {
        for (pid_t pid : services_) {
            kill(pid, SIGTERM);
        }
        for (pid_t pid : services_) {
            // A service that does not end on SIGTERM within two seconds is killed.
            int status = 0;
            for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
                std::this_thread::sleep_for(10ms);
            }
            if (waitpid(pid, &status, WNOHANG) == 0) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
            }
        }
        if (bus_) {
            g_object_unref(bus_);
        }
        if (!folder_.empty()) {
            std::error_code ignored;
            fs::remove_all(folder_, ignored);
        }
    }

    // Starts a service with our folders and waits until it owns its name on the bus; why not,
    // when it does not.
    std::optional<std::string> start(const char* program, const char* name) {
        const pid_t pid = fork();
        if (pid < 0) {
            return "fork failed";
        }
        if (pid == 0) {
            execl(program, program, static_cast<char*>(nullptr));
            _exit(127);
        }
        services_.push_back(pid);
        for (int i = 0; i < 150; ++i) {
            if (nameHasOwner(bus_, name)) {
                return std::nullopt;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                services_.pop_back();
                return std::string(program) + " ended with status " + std::to_string(status);
            }
            std::this_thread::sleep_for(100ms);
        }
        return std::string(name) + " was not on the bus after 15 seconds";
    }

    // Adds cards to the desktop's own book ("Personal") through the service.
    std::optional<std::string> addToBuiltInBook(const std::vector<std::string>& cards) {
        GError* error = nullptr;
        ESourceRegistry* registry = e_source_registry_new_sync(nullptr, &error);
        if (!registry) {
            return "the registry cannot be reached: " + takeMessage(error);
        }
        ESource* source = e_source_registry_ref_builtin_address_book(registry);
        EClient* client =
            source ? e_book_client_connect_sync(source, static_cast<guint32>(-1), nullptr, &error)
                   : nullptr;
        std::optional<std::string> why;
        if (!client) {
            why = "the built-in book cannot be opened: " + takeMessage(error);
        } else {
            GSList* contacts = nullptr;
            for (const auto& card : cards) {
                contacts = g_slist_append(contacts, e_contact_new_from_vcard(card.c_str()));
            }
            GSList* uids = nullptr;
            if (!e_book_client_add_contacts_sync(E_BOOK_CLIENT(client), contacts,
                                                 E_BOOK_OPERATION_FLAG_NONE, &uids, nullptr,
                                                 &error)) {
                why = "the contacts cannot be added: " + takeMessage(error);
            }
            g_slist_free_full(uids, g_free);
            g_slist_free_full(contacts, g_object_unref);
            g_object_unref(client);
        }
        if (source) {
            g_object_unref(source);
        }
        g_object_unref(registry);
        return why;
    }

    fs::path folder_;
    GDBusConnection* bus_ = nullptr;
    std::vector<pid_t> services_;
};

TEST_F(DesktopAddressBookTest, PeopleOfTheDesktopsBookComeWithTheirLabels) {
    const std::vector<std::string> cards = {
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jürgen Müller\r\nN:Müller;Jürgen;;;\r\n"
        "ORG:Müller & Söhne\r\nTEL;TYPE=CELL:+49 170 1234567\r\nTEL;TYPE=WORK,VOICE:+49 30 "
        "555\r\nTEL;TYPE=WORK,FAX:+49 30 556\r\nEMAIL;TYPE=WORK:jm@firma.example\r\n"
        "EMAIL;TYPE=HOME:juergen@home.example\r\nIMPP:sip:juergen@sip.example\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎\r\nN:山田;太郎;;;\r\n"
        "TEL;TYPE=HOME:+81 3 1234 5678\r\nTEL;TYPE=PAGER:+81 90 1\r\n"
        "EMAIL;TYPE=INTERNET:taro@example.jp\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ελένη Παπαδοπούλου\r\nN:Παπαδοπούλου;Ελένη;;;\r\n"
        "NICKNAME:Λένα\r\nTEL;TYPE=HOME,FAX:+30 21 1\r\nTEL;TYPE=X-SATELLITE:+870 7\r\n"
        "X-JABBER:eleni@chat.example\r\nEND:VCARD\r\n",
        // A contact list is no person, though it holds addresses.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Team\r\nN:Team;;;;\r\nX-EVOLUTION-LIST:TRUE\r\n"
        "EMAIL:team-member@example.com\r\nEND:VCARD\r\n",
    };
    if (const auto why = addToBuiltInBook(cards)) {
        GTEST_SKIP() << *why;
    }

    auto book = platform::AddressBook::desktop();
    ASSERT_NE(book, nullptr) << "the registry is running, so the desktop's book is there";
    const auto contents = book->people();
    EXPECT_FALSE(contents.failure) << *contents.failure;
    // The book that cannot be opened is named with the service's reason; the others are read.
    ASSERT_EQ(contents.skipped.size(), 1u);
    EXPECT_EQ(contents.skipped[0].rfind("Broken Book: the book cannot be opened (", 0), 0u)
        << contents.skipped[0];
    std::vector<std::string> people;
    for (const auto& person : contents.people) {
        people.push_back(describe(person));
    }
    std::sort(people.begin(), people.end());
    EXPECT_EQ(people,
              (std::vector<std::string>{
                  "Müller, Jürgen () Müller & Söhne | mobile=+49 170 1234567 | work=+49 30 555 | "
                  "workFax=+49 30 556 | softphone=sip:juergen@sip.example | "
                  "work=jm@firma.example | home=juergen@home.example",
                  "Παπαδοπούλου, Ελένη (Λένα)  | homeFax=+30 21 1 | x-satellite=+870 7 | "
                  "jid=eleni@chat.example",
                  "山田, 太郎 ()  | home=+81 3 1234 5678 | pager=+81 90 1 | other=taro@example.jp",
              }));

    // The user's chosen folder comes before the desktop's book; without one the desktop's
    // book is the address book.
    const fs::path chosen = folder_ / "chosen";
    fs::create_directories(chosen);
    std::ofstream(chosen / "a.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nEND:VCARD\r\n";
    auto system = platform::AddressBook::system(chosen);
    EXPECT_EQ(system->location(), chosen.string());
    ASSERT_EQ(system->people().people.size(), 1u);
    EXPECT_EQ(platform::AddressBook::system(std::nullopt)->location(), book->location());
}

TEST_F(DesktopAddressBookTest, WithoutASessionBusTheDesktopsBookIsNotOffered) {
    // An empty address is no bus; GLib would not start one either.
    const char* set = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string address = set ? set : "";
    setenv("DBUS_SESSION_BUS_ADDRESS", "", 1);
    EXPECT_EQ(platform::AddressBook::desktop(), nullptr);
    // A system without a chosen folder then reads the XDG folder.
    EXPECT_EQ(platform::AddressBook::system(std::nullopt)->location(),
              platform::AddressBook::defaultVCardFolder().string());
    if (set) {
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    } else {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
}

TEST(DesktopAddressBookWithoutItsService, ABusThatCannotBeReachedGivesNoDesktopBook) {
    // In a process of its own, since GLib keeps the first connection to the session bus.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/lumiq-no-bus", 1);
            const bool none = platform::AddressBook::desktop() == nullptr;
            _exit(none ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
