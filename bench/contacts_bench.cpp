// Importing 10,000 contacts from a CSV file whose rows all share one display name (a list of
// one company's numbers, say), the case in which every record used to be compared with every
// other: reading the file, finding duplicates, writing the store and building the list. The
// goal is well under 2 s. "Again" imports the same file a second time, when every row is a
// duplicate of a contact already there. "FromFile" is the whole import as the import sheet
// asks for it: the signed-in engine reads the file from disk in its run-loop slices, finds the
// duplicates, replaces the user's contacts in the store and answers its delegate.

#include "engine/ContactFileFormats.h"
#include "engine/LoginProfileItem.h"
#include "engine/OVContactImporterExporter.h"
#include "engine/OVContactManager.h"
#include "engine/PhoneService.h"
#include "engine/StartupService.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <optional>
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

// Hears the engine's answer to an import.
struct Answer : OVContactImporterExporterPro {
    std::optional<int> imported;
    bool failed = false;
    void ovieSuccess(int count) override { imported = count; }
    void ovieFailure() override { failed = true; }
};

void BM_ImportSharedNamesFromFile(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("lumiq-contacts-file-bench-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "acme.csv";
    std::ofstream(file, std::ios::binary) << sharedNameCSV();

    // The engine signed in with the demo user on a manual clock, as its tests run it.
    platform::RunLoop::resetMain(std::make_shared<platform::ManualClock>());
    platform::Bundle::setMainBundlePath(LUMIQ_RESOURCES_DIR);
    StartupService::resetInstance();
    StartupService& engine = StartupService::instance();
    engine.phoneService()->setUserSettingFolder(folder / "settings");
    engine.intialize(std::nullopt, {"Friends", "Family", "Work"}, "Others", "Added Contacts");
    platform::RunLoop::main().runUntilIdle();
    std::shared_ptr<LoginProfileItem> builtin;
    for (const auto& profile : engine.loginProfiles())
        if (profile->type() == LoginProfileItem::BUILTIN)
            builtin = profile;
    engine.login(builtin, platform::Value(platform::Value::Dictionary{{"username", "alice"},
                                                                      {"displayname", ""},
                                                                      {"authname", ""},
                                                                      {"password", "wonderland"}}));
    platform::RunLoop::main().runFor(1);
    engine.start("alice");
    platform::RunLoop::main().runFor(1);
    platform::RunLoop::main().runUntilIdle();

    const auto importer = engine.phoneService()->getContactImporterExporter();
    Answer answer;
    importer->setDelegate(&answer);
    for (auto _ : state) {
        answer.imported.reset();
        answer.failed = false;
        // Replacing the contacts there, so that every pass imports all the rows.
        importer->doImport(OVContactImporterExporter::formatCSV, file.string(), "", false, false,
                           true);
        platform::RunLoop::main().runUntil([&] { return answer.imported || answer.failed; }, 60);
        if (answer.imported != kRows) {
            state.SkipWithError("the import did not bring in every row");
            break;
        }
    }
    importer->removeDelegate(&answer);
    state.SetItemsProcessed(state.iterations() * kRows);
    StartupService::resetInstance();
    platform::RunLoop::resetMain();
    fs::remove_all(folder);
}
BENCHMARK(BM_ImportSharedNamesFromFile)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
