#include "app/core/SignInTestSupport.h"
#include "app/core/StorageAlerts.h"
#include "app/core/TemporaryLeftovers.h"
#include "engine/EngineStore.h"
#include "platform/kit/Panel.h"

#include <sys/wait.h>
#include <unistd.h>

namespace app_test {
namespace {

namespace fs = std::filesystem;

struct ShownAlert {
    std::string message;
    std::string information;
    std::vector<std::string> buttons;
};

// Answers every application-modal alert with the button of the given title (the first
// when it has none of that title), keeping what it showed.
std::vector<ShownAlert>& answerModalAlertsWith(std::string title) {
    static std::vector<ShownAlert> shown;
    shown.clear();
    platform::Alert::setPresentationHook([title](platform::Alert& alert) {
        if (alert.window() && alert.window()->isSheet())
            return;
        ShownAlert record{alert.messageText(), alert.informativeText(), {}};
        std::size_t press = 0;
        for (std::size_t i = 0; i < alert.buttons().size(); ++i) {
            record.buttons.push_back(alert.buttons()[i]->title());
            if (record.buttons.back() == title)
                press = i;
        }
        shown.push_back(std::move(record));
        alert.pressButtonForTesting(press);
    });
    return shown;
}

class StorageFailuresTest : public SignInTest {
protected:
    fs::path settingsFolder() const { return tmp / "data" / "Orvanta" / "Lumiq"; }
    fs::path storeFile() const { return settingsFolder() / EngineStore::fileName; }
};

TEST_F(StorageFailuresTest, LeftoverTemporaryFilesAreRemovedAtStartOthersKept) {
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string dead = ".tmp-" + std::to_string(ended) + "-3";
    const std::string live = ".tmp-" + std::to_string(getppid()) + "-3";
    const fs::path exportFolder = tmp / "home" / "exports";
    const fs::path config = tmp / "config";

    auto& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setString(lastExportFolderKey, exportFolder.string());
    ASSERT_TRUE(defaults.synchronize());
    const struct {
        fs::path file;
        bool removed;
    } cases[] = {
        {settingsFolder() / ("InternalContacts.csv" + dead), true},
        {settingsFolder() / ("InternalContacts.csv" + live), false},
        {config / ("defaults.plist" + dead), true},
        {config / ("defaults.plist" + live), false},
        {config / ("another-program.conf" + dead), false},
        {exportFolder / ("Alice Smith.vcf" + dead), true},
        {exportFolder / ("output.csv" + dead), true},
        {exportFolder / ("output.csv" + live), false},
        {exportFolder / ("holiday.jpg" + dead), false},
    };
    for (const auto& c : cases)
        writeFile(c.file, "half written");

    startOver();
    launch();
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(c.file), !c.removed) << c.file;
    EXPECT_TRUE(logged("left behind by a write that never finished"));
}

TEST_F(StorageFailuresTest, AStoreThatCannotBeOpenedShowsWhyAndOffersAWayOut) {
    const std::string damaged(4096, 'x');
    const struct {
        const char* answer;
        bool startsAfresh;
    } cases[] = {{"Quit", false}, {"Start Afresh", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        startClean();
        writeFile(storeFile(), damaged);
        auto& shown = answerModalAlertsWith(c.answer);
        launch();

        ASSERT_GE(shown.size(), 1u);
        EXPECT_EQ(shown[0].message, "Lumiq could not be started correctly");
        EXPECT_NE(shown[0].information.find(storeFile().string()), std::string::npos)
            << shown[0].information;
        EXPECT_NE(shown[0].information.find("file is not a database"), std::string::npos)
            << shown[0].information;
        EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{"Quit", "Start Afresh"}));

        std::vector<fs::path> aside;
        for (const auto& entry : fs::directory_iterator(settingsFolder()))
            if (entry.path().filename().string().find(".damaged-") != std::string::npos)
                aside.push_back(entry.path());
        if (c.startsAfresh) {
            EXPECT_EQ(shown.size(), 1u);
            EXPECT_FALSE(app().isTerminated());
            EXPECT_TRUE(engine().initialized());
            EXPECT_EQ(view(), "login");
            ASSERT_EQ(aside.size(), 1u);
            EXPECT_EQ(foundation_test::readFile(aside[0]), damaged);
        } else {
            EXPECT_TRUE(app().isTerminated());
            EXPECT_NE(app().exitStatus(), 0);
            EXPECT_TRUE(aside.empty());
            EXPECT_EQ(foundation_test::readFile(storeFile()), damaged) << "left as it was";
        }
    }
}

TEST(StoreMoveAside, KeepsTheDamagedStoreAndItsJournalNextToTheFreshOne) {
    TempDir dir;
    const fs::path file = dir / EngineStore::fileName;
    const std::string damaged(4096, 'x');
    writeFile(file, damaged);
    writeFile(dir / "engine.sqlite-journal", "an old journal");

    std::string error;
    const auto aside = StorageAlerts::moveStoreAside(file, &error);
    ASSERT_TRUE(aside) << error;
    EXPECT_EQ(aside->parent_path(), dir.path());
    EXPECT_EQ(aside->filename().string().rfind("engine.sqlite.damaged-", 0), 0u);
    EXPECT_EQ(foundation_test::readFile(*aside), damaged) << "nothing of the old store is lost";
    EXPECT_EQ(foundation_test::readFile(aside->string() + "-journal"), "an old journal");
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(dir / "engine.sqlite-journal")) << "it must not meet a new store";

    writeFile(file, damaged);
    const auto second = StorageAlerts::moveStoreAside(file);
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *aside) << "a second move in the same second gets its own name";
    EXPECT_FALSE(StorageAlerts::moveStoreAside(dir / "missing.sqlite", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(StorageFailuresTest, SettingsThatCannotBeSavedAreToldOnce) {
    launch();
    auto& shown = answerModalAlertsWith("OK");
    // The defaults' folder becomes a plain file: every save fails, as on a full disk.
    const fs::path config = tmp / "config";
    fs::remove_all(config);
    writeFile(config, "in the way");

    auto& defaults = platform::UserDefaults::standardUserDefaults();
    for (int i = 0; i < 3; ++i) {
        defaults.setInteger("attempt", i);
        settle();
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "Settings Not Saved");
    EXPECT_NE(shown[0].information.find("defaults.plist"), std::string::npos)
        << shown[0].information;
    EXPECT_NE(shown[0].information.find("Not a directory"), std::string::npos)
        << shown[0].information;
    fs::remove(config);
}

} // namespace
} // namespace app_test
