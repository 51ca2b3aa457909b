// Suggestions while typing, over a large address book and a long call history: 10,000 contacts
// and 10,000 calls in the engine's store. Each iteration is one keystroke's work: the lookup of
// the typed text in the index and the list of items the call entry shows. The goal is 5 ms or
// less per keystroke.

#include "engine/AutoCompleteIndex.h"
#include "engine/OVAutoCompleteItem.h"
#include "engine/OVConstants.h"
#include "engine/OVContactManager.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kContacts = 10000;
constexpr int kCalls = 10000;

const char* const kFirst[] = {"Bob",    "Alice", "Carol", "Dave",    "Erin",   "Frank",  "Grace",
                              "Heidi",  "Ivan",  "Judy",  "Mallory", "Niaj",   "Olivia", "Peggy",
                              "Rupert", "Sybil", "Trent", "Victor",  "Walter", "Bonnie"};
const char* const kLast[] = {"Builder", "Brown",  "Smith", "Jones",  "Bower", "Taylor",
                             "Boyd",    "Wilson", "Moore", "Bolton", "Clark", "Lewis",
                             "Bond",    "Young",  "King",  "Wright", "Boone", "Baker"};

std::string nameOf(int i) {
    return std::string(kFirst[i % 20]) + " " + kLast[(i / 20) % 18] + " " + std::to_string(i);
}

// One signed-in user's store: the contacts imported into the contact manager, the index made
// from them as the engine makes it, and the history written into the same database.
struct Store {
    fs::path folder;
    OVContactManager manager;
    AutoCompleteIndex index;

    Store() {
        folder =
            fs::temp_directory_path() / ("lumiq-autocomplete-bench-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        manager.loadSession("bench", {}, "Ungrouped", folder / "contacts.db");
        std::vector<ContactRecord> records;
        records.reserve(kContacts);
        for (int i = 0; i < kContacts; ++i) {
            ContactRecord record;
            record.displayName = nameOf(i);
            record.assignField(OVFieldNames::fieldMobileNum,
                               "+1 555 " + std::to_string(100000 + i));
            record.assignField(OVFieldNames::fieldSoftphone,
                               "sip:user" + std::to_string(i) + "@example.com");
            records.push_back(std::move(record));
        }
        manager.importRecords(records, false, std::nullopt);

        index.open(folder / "engine.db");
        index.setOwner("bench");
        index.addContacts(manager.allContacts());
        std::vector<CallHistoryRecord> calls;
        calls.reserve(kCalls);
        for (int i = 0; i < kCalls; ++i) {
            CallHistoryRecord call;
            call.address = i % 2 ? "sip:caller" + std::to_string(i) + "@remote.example"
                                 : "tel:+1555" + std::to_string(200000 + i);
            call.display = i % 3 ? nameOf(kContacts + i) : "";
            call.incoming = i % 4 == 0;
            call.started = 1.7e9 + i * 60.0;
            calls.push_back(std::move(call));
        }
        index.addCalls(calls);
    }
    ~Store() {
        index.close();
        fs::remove_all(folder);
    }
};

Store& store() {
    static Store instance;
    return instance;
}

// What the call entry's list holds after a keystroke.
std::vector<std::shared_ptr<OVAutoCompleteItem>> lookUp(const std::string& text) {
    std::vector<std::shared_ptr<OVAutoCompleteItem>> list;
    for (auto& record : store().index.suggestions(text, 25)) {
        auto item =
            std::make_shared<OVSpaceItem>(record.displayName, record.address, record.addressType,
                                          record.entityID, record.isContact);
        list.push_back(std::make_shared<OVAutoCompleteItem>(std::move(item), record.lastUsed));
    }
    return list;
}

// Typing a text key by key: every prefix is one keystroke.
void typeKeys(benchmark::State& state, const std::string& text) {
    store();
    std::size_t keys = 0;
    for (auto _ : state) {
        for (std::size_t n = 1; n <= text.size(); ++n) {
            benchmark::DoNotOptimize(lookUp(text.substr(0, n)));
        }
        keys += text.size();
    }
    // Seconds a keystroke ("1.2m" is 1.2 ms).
    state.counters["per_key"] = benchmark::Counter(
        static_cast<double>(keys), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TypeName(benchmark::State& state) {
    typeKeys(state, "bob bu");
}
void BM_TypeDigits(benchmark::State& state) {
    typeKeys(state, "1555123");
}
void BM_TypeAddress(benchmark::State& state) {
    typeKeys(state, "sip:caller77");
}

// The worst single keystroke: one letter, which begins the most words.
void BM_FirstLetter(benchmark::State& state) {
    store();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookUp("b"));
    }
}

BENCHMARK(BM_TypeName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeDigits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeAddress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLetter)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// Single keystrokes whose text begins many words: the scheme every address shares, a common
// digit run, a frequent name.
void BM_Keystroke(benchmark::State& state, const char* text) {
    store();
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookUp(text));
    }
}
BENCHMARK_CAPTURE(BM_Keystroke, sip, "sip")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, sip_colon_c, "sip:c")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, digits_1555, "1555")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, example, "example")->Unit(benchmark::kMillisecond);

} // namespace
