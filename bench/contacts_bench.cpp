// Importing 10,000 contacts from a CSV file whose rows all share one display name (a list of
// one company's numbers, say), the case in which every record used to be compared with every
// other: reading the file, finding duplicates, writing the store and building the list. The
// goal is well under 2 s. "Again" imports the same file a second time, when every row is a
// duplicate of a contact already there.

#include "engine/ContactFileFormats.h"
#include "engine/OVContactManager.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 10000;

std::string sharedNameCSV() {
    std::string text = "Display Name,Mobile Phone,Email,Groups\r\n";
    for (int i = 0; i < kRows; ++i) {
        text += "Acme Support,+1 555 " + std::to_string(100000 + i) + ",desk" +
                std::to_string(i % 50) + "@acme.example,Work\r\n";
    }
    return text;
}

// A fresh signed-in contact list over a store file of its own.
struct Session {
    fs::path folder;
    OVContactManager manager;

    Session() {
        folder = fs::temp_directory_path() / ("lumiq-contacts-bench-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        manager.loadSession("bench", {}, "Ungrouped", folder / "store.db");
    }
    ~Session() { fs::remove_all(folder); }
};

int import(OVContactManager& manager, const std::string& text) {
    auto parsed = contact_files::parseCSV(text);
    const auto& records = std::get<std::vector<ContactRecord>>(parsed);
    return std::get<int>(manager.importRecords(records, false, std::nullopt));
}

void BM_ImportSharedNames(benchmark::State& state) {
    const std::string text = sharedNameCSV();
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<Session>();
        state.ResumeTiming();
        benchmark::DoNotOptimize(import(session->manager, text));
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportSharedNames)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportSharedNamesAgain(benchmark::State& state) {
    const std::string text = sharedNameCSV();
    Session session;
    import(session.manager, text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(import(session.manager, text));
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImportSharedNamesAgain)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
