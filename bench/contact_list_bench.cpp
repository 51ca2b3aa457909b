// The contact list against its size: a 320 x 600 off-screen window holding the Contacts tab
// over 100 or 10,000 contacts. A keystroke in the filter (the search and the redrawn list), a
// screen of the list drawn, and a burst of 1,000 presence reports coalesced into one rebuild
// and drawn. The run loop's clock is a manual one, so the 0.01 s coalescing delay costs no
// waiting.

#include "app/contacts/ContactListController.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "platform/foundation/RunLoop.h"
#include "platform/kit/TextField.h"
#include "platform/kit/Window.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using platform::Rect;

struct ContactListWindow {
    explicit ContactListWindow(long count) {
        platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>(100.0));
        phone = std::make_shared<PhoneService>();
        std::vector<ContactConfig> contacts;
        for (long i = 0; i < count; ++i) {
            ContactConfig contact;
            contact.displayName = "Contact " + std::to_string(10000 + i);
            contact.groups = {"Group " + std::to_string(i % 20)};
            contact.fields = {{"softphone", "sip:c" + std::to_string(i) + "@x.example"},
                              {"organization", "Company " + std::to_string(i % 97)}};
            contact.presenceStatus =
                i % 3 ? OVPresenceStatus::statusOffline : OVPresenceStatus::statusAvailable;
            contacts.push_back(std::move(contact));
        }
        phone->getContactManager()->loadContacts(contacts, "Others");
        list = std::make_unique<ContactListController>(phone);
        window =
            platform::make<platform::Window>(Rect{100, 100, 320, 600}, platform::TitledWindowMask);
        list->view()->setFrame({0, 0, 320, 600});
        window->setContentView(list->view());
        list->startListening();
        window->display();
    }
    ~ContactListWindow() {
        list.reset();
        window.reset();
    }

    void settle() {
        platform::RunLoop::main().runFor(0.02);
        window->displayIfNeeded();
    }

    std::shared_ptr<PhoneService> phone;
    std::unique_ptr<ContactListController> list;
    std::shared_ptr<platform::Window> window;
};

// One keystroke: the filter grows or shrinks by a letter and the list is rebuilt and drawn.
void ContactListFilterKeystroke(benchmark::State& state) {
    ContactListWindow fixture(state.range(0));
    const char* texts[] = {"Contact 1", "Contact 12", "Contact 123", "Contact 12"};
    std::size_t next = 0;
    for (auto _ : state) {
        fixture.list->filterTextBox().setStringValue(texts[next++ % 4]);
        fixture.list->filterChanged();
        fixture.window->displayIfNeeded();
    }
}
BENCHMARK(ContactListFilterKeystroke)->Arg(10000)->Unit(benchmark::kMillisecond);

// One screen of the flat list drawn.
void ContactListDrawScreen(benchmark::State& state) {
    ContactListWindow fixture(state.range(0));
    fixture.list->contextFilterShowGroups();
    fixture.window->displayIfNeeded();
    for (auto _ : state) {
        fixture.list->view()->setNeedsDisplay(true);
        fixture.window->displayIfNeeded();
    }
}
BENCHMARK(ContactListDrawScreen)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

// 1,000 presence reports with offline contacts hidden (so the rows change): one rebuild and
// one frame.
void ContactListPresenceBurst(benchmark::State& state) {
    ContactListWindow fixture(state.range(0));
    fixture.list->contextFilterShowOffline();
    fixture.settle();
    const auto contacts = fixture.phone->getContactManager()->allContacts();
    bool online = true;
    for (auto _ : state) {
        for (std::size_t i = 0; i < 1000 && i < contacts.size(); ++i) {
            contacts[i]->defaultPresence()->update(
                online ? OVPresenceStatus::statusAvailable : OVPresenceStatus::statusOffline, "");
            contacts[i]->presenceChanged();
            fixture.list->presenceUpdated("", OVAccountProtocol::SIPprotocol,
                                          contacts[i]->defaultPresence()->status(), "", false);
        }
        online = !online;
        fixture.settle();
    }
    state.counters["rebuilds"] = fixture.list->rebuildCount();
}
BENCHMARK(ContactListPresenceBurst)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
